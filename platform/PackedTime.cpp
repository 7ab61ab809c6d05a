#include "platform/PackedTime.h"

namespace welcomer {

int32_t PackFatDateTime(const LocalDateTime& time) {
  LocalDateTime t = time;
  if (t.year < 1980) {
    t = LocalDateTime{1980, 1, 1, 0, 0, 0};
  } else if (t.year > 2107) {
    t = LocalDateTime{2107, 12, 31, 23, 59, 59};
  }
  // A leap second has no place in two-second steps; it counts as the second before it.
  const int seconds = t.second > 59 ? 59 : t.second;
  const uint32_t date = (static_cast<uint32_t>(t.year - 1980) << 9) |
                        (static_cast<uint32_t>(t.month) << 5) | static_cast<uint32_t>(t.day);
  const uint32_t clock = (static_cast<uint32_t>(t.hour) << 11) |
                         (static_cast<uint32_t>(t.minute) << 5) |
                         static_cast<uint32_t>(seconds / 2);
  return static_cast<int32_t>((date << 16) | clock);
}

}  // namespace welcomer
