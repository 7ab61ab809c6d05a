#include "platform/LocaleFormat.h"

#include <gtest/gtest.h>

#include <clocale>

namespace welcomer {
namespace {

TEST(SeparatorOfTest, TakesTheTextBetweenTheFirstTwoFields) {
  struct Row {
    std::string format;
    std::string expected;
  };
  const Row rows[] = {
      {"%m/%d/%y", "/"}, {"%d.%m.%Y", "."},    {"%Y-%m-%d", "-"},
      {"%H:%M:%S", ":"}, {"%-d. %B %Y", ". "}, {"%Ey", "?"},
      {"", "?"},         {"%d", "?"},          {"%H%M", "?"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.format);
    EXPECT_EQ(SeparatorOf(row.format, "?"), row.expected);
  }
}

TEST(CurrentDateTimeFormatTest, CLocaleGivesEnglishMonthsAndSlashColon) {
  const char* previous = std::setlocale(LC_TIME, nullptr);
  const std::string saved = previous ? previous : "C";
  std::setlocale(LC_TIME, "C");
  const DateTimeFormat format = CurrentDateTimeFormat();
  std::setlocale(LC_TIME, saved.c_str());
  EXPECT_EQ(format.shortMonthNames[0], "Jan");
  EXPECT_EQ(format.shortMonthNames[11], "Dec");
  EXPECT_EQ(format.dateSeparator, "/");
  EXPECT_EQ(format.timeSeparator, ":");
}

}  // namespace
}  // namespace welcomer
