#include <ctime>

#include "platform/Clock.h"

namespace welcomer {

LocalDateTime SystemClock::Now() {
  return ToLocalDateTime(std::time(nullptr));
}

}  // namespace welcomer
