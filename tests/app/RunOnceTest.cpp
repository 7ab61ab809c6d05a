#include "app/RunOnce.h"

#include <gtest/gtest.h>

#include "app/StateStore.h"

namespace welcomer {
namespace {

TEST(RunOnceRecordTest, LocaleMonthAndSeparators) {
  DateTimeFormat german;
  german.shortMonthNames[2] = "M\xe4r";
  german.dateSeparator = ".";
  EXPECT_EQ(FormatRunOnceTime({1999, 3, 1, 0, 0, 7}, german), "01.M\xe4r.1999 00:00:07");
}

TEST(RunOnceRecordTest, ACommandTooLongForTheRecordIsCutInsideTheParentheses) {
  const std::string head = "Welcomer.RunOnce=05/Dec/2026 12:39:52 (";
  const size_t room = kMaxEntryLength - head.size() - 1;
  const std::string a(room - 3, 'A'), euro = "\xe2\x82\xac";  // three bytes in UTF-8
  // The command, and what the record keeps of it: never part of a character.
  const std::pair<std::string, std::string> rows[] = {
      {a + "AAA", a + "AAA"},
      {a + "AAAA", a + "AAA"},
      {a + "AA" + euro, a + "AA"},
      {a + euro + "B", a + euro},
  };
  for (const auto& [command, kept] : rows) {
    bool shortened = false;
    EXPECT_EQ(RunOnceRecord({2026, 12, 5, 12, 39, 52}, {}, command, &shortened), head + kept + ")");
    EXPECT_EQ(shortened, kept != command) << command.size();
  }
}

}  // namespace
}  // namespace welcomer
