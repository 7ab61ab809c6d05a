#include <langinfo.h>

#include "platform/LocaleFormat.h"

namespace welcomer {

DateTimeFormat CurrentDateTimeFormat() {
  DateTimeFormat format;
  static constexpr nl_item kMonths[12] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                          ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
  for (int i = 0; i < 12; ++i) {
    const char* name = ::nl_langinfo(kMonths[i]);
    if (name != nullptr && *name != '\0')
      format.shortMonthNames[i] = name;
  }
  format.dateSeparator = SeparatorOf(::nl_langinfo(D_FMT), format.dateSeparator);
  format.timeSeparator = SeparatorOf(::nl_langinfo(T_FMT), format.timeSeparator);
  return format;
}

}  // namespace welcomer
