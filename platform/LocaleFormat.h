#pragma once

#include <array>
#include <string>

namespace welcomer {

/// What the user's regional settings say about writing a date and a time of day.
struct DateTimeFormat {
  std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string dateSeparator = "/";
  std::string timeSeparator = ":";
};

/// The separator between the first two fields of a strftime-style format such as "%d.%m.%Y";
/// `fallback` when the format has none.
std::string SeparatorOf(const std::string& format, const std::string& fallback);

/// The abbreviated month names and separators of the process's LC_TIME locale.
DateTimeFormat CurrentDateTimeFormat();

}  // namespace welcomer
