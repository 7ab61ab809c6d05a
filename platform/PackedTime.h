#pragma once

#include <cstdint>
#include <ctime>

namespace welcomer {

/// A local calendar date and time of day, as the clock or a file's last-write time gives it.
struct LocalDateTime {
  int year = 1980;  ///< four digits
  int month = 1;    ///< 1..12
  int day = 1;      ///< 1..31
  int hour = 0;     ///< 0..23
  int minute = 0;   ///< 0..59
  int second = 0;   ///< 0..59 (60 for a leap second)
};

/// Packs a local time in the FAT directory-entry form: date in the upper 16 bits (years since
/// 1980, month, day), time in the lower 16 (hours, minutes, seconds / 2), as a signed 32-bit
/// value. Times before 1980 or after 2107 clamp to the first or last time the form can hold.
int32_t PackFatDateTime(const LocalDateTime& time);

/// Converts seconds since the epoch to the local time of the process's time zone.
LocalDateTime ToLocalDateTime(std::time_t time);

}  // namespace welcomer
