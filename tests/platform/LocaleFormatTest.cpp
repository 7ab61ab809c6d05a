#include "platform/LocaleFormat.h"

#include <gtest/gtest.h>

#include <clocale>

namespace welcomer {
namespace {

TEST(SeparatorOfTest, TakesTheTextBetweenTheFirstTwoFields) {
  const std::pair<std::string, std::string> rows[] = {
      {"%m/%d/%y", "/"}, {"%d.%m.%Y", "."},    {"%Y-%m-%d", "-"},
      {"%H:%M:%S", ":"}, {"%-d. %B %Y", ". "}, {"%Ey", "?"},
      {"", "?"},         {"%d", "?"},          {"%H%M", "?"},
  };
  for (const auto& [format, separator] : rows)
    EXPECT_EQ(SeparatorOf(format, "?"), separator) << format;
}

TEST(CurrentDateTimeFormatTest, CLocaleGivesEnglishMonthsAndSlashColon) {
  const std::string saved = std::setlocale(LC_TIME, nullptr);
  std::setlocale(LC_TIME, "C");
  const DateTimeFormat format = CurrentDateTimeFormat();
  std::setlocale(LC_TIME, saved.c_str());
  EXPECT_EQ(format.shortMonthNames[0] + format.shortMonthNames[11], "JanDec");
  EXPECT_EQ(format.dateSeparator + format.timeSeparator, "/:");
}

}  // namespace
}  // namespace welcomer
