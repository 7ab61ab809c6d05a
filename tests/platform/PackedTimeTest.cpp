#include "platform/PackedTime.h"

#include <gtest/gtest.h>

namespace welcomer {
namespace {

TEST(PackFatDateTimeTest, PacksAndClamps) {
  const std::pair<LocalDateTime, int32_t> rows[] = {
      {{1999, 3, 15, 8, 30, 0}, 644826048},
      {{1980, 1, 1, 0, 0, 0}, (1 << 21) | (1 << 16)},
      {{1980, 1, 1, 0, 0, 59}, (1 << 21) | (1 << 16) | 29},  // seconds in two-second steps
      {{1979, 12, 31, 23, 59, 59}, (1 << 21) | (1 << 16)},   // before the epoch of the form
      // 2044 onwards sets the top bit: the stamp is written as a negative number.
      {{2044, 1, 1, 0, 0, 0}, static_cast<int32_t>(0x80210000u)},
      {{2107, 12, 31, 23, 59, 58}, static_cast<int32_t>(0xFF9FBF7Du)},
      {{2200, 6, 1, 12, 0, 0}, static_cast<int32_t>(0xFF9FBF7Du)},  // clamped to the last
      {{2026, 12, 5, 12, 39, 60}, PackFatDateTime({2026, 12, 5, 12, 39, 59})},
  };
  for (const auto& [time, packed] : rows)
    EXPECT_EQ(PackFatDateTime(time), packed) << time.year;
}

}  // namespace
}  // namespace welcomer
