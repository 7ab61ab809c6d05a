#pragma once

#include "platform/PackedTime.h"

namespace welcomer {

/// The local wall clock.
class Clock {
 public:
  virtual ~Clock() = default;
  /// The current local date and time, read once.
  virtual LocalDateTime Now() = 0;
};

/// The system's clock in the process's time zone.
class SystemClock : public Clock {
 public:
  LocalDateTime Now() override;
};

}  // namespace welcomer
