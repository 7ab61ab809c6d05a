#include <time.h>

#include "platform/PackedTime.h"

namespace welcomer {

LocalDateTime ToLocalDateTime(std::time_t time) {
  struct tm local {};
  if (::localtime_r(&time, &local) == nullptr)
    return LocalDateTime{};
  return LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                       local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace welcomer
