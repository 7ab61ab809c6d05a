#include "app/RunOnce.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/StateStore.h"
#include "platform/AsciiText.h"
#include "tests/support/FakeServices.h"

namespace welcomer {
namespace {

using namespace welcomer::testing;

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

class RunOnceCommandTest : public ::testing::Test {
 protected:
  // Runs `command`, typed in lower case, with `record` (when not empty) stored before.
  void Run(const std::string& command, const std::string& record, bool verbose) {
    boxes_.shown.clear();
    launcher_.started.clear();
    directory_.values.clear();
    StringList stored;
    if (!record.empty()) {
      stored.Add(record);
      directory_.values.push_back(record);
    }
    RunOnceServices services{&directory_, clock_, DateTimeFormat{}, launcher_};
    RunOnceCommand(command, LowerCaseAscii(command), stored, verbose, false, services);
  }
  RecordingMessageBoxes boxes_;
  FakeNetWareClient directory_;
  FixedClock clock_{{2026, 12, 5, 23, 59, 59}};
  RecordingLauncher launcher_;
};

// Force mode and a command that cannot start: tests/client/e2e_run_once.sh.
TEST_F(RunOnceCommandTest, RunsUnlessItRanBeforeAndSaysWhatHappened) {
  const std::string command = "NOTEPAD C:\\README.TXT";
  const ShownBox launched{BoxKind::kInformation,
                          "Succesfully launched external command \"" + command + "\""};
  const ShownBox notStored{
      BoxKind::kError,
      "Could not store that the command has run, so it runs again at the next login"};
  // The record stored before, /v, whether the directory refuses the new record, whether the
  // command runs, the boxes, and how many values the directory holds afterwards.
  const std::tuple<std::string, bool, bool, bool, std::vector<ShownBox>, size_t> rows[] = {
      {"", true, false, true, {launched}, 1},
      {"", true, true, true, {notStored, launched}, 0},
      {"", false, true, true, {}, 0},
      // Keys compare without regard to case; the command in a record may hold "=".
      {"Welcomer.RunOnce=1 (SETX A=B)", true, false, false, {}, 1},
      {"welcomer.runonce=x", true, false, false, {}, 1},
      {"Welcomer.RunOnce=", true, false, true, {launched}, 2},
      {"Welcomer.RunOnceX=1", true, false, true, {launched}, 2},
  };
  for (const auto& [record, verbose, refused, runs, boxes, values] : rows) {
    SCOPED_TRACE(record + (refused ? " refused" : "") + (verbose ? " /v" : ""));
    directory_.failAdd = refused;
    Run(command, record, verbose);
    EXPECT_EQ(launcher_.started.size(), runs ? 1u : 0u);
    EXPECT_EQ(boxes_.shown, boxes);
    EXPECT_EQ(directory_.values.size(), values);
  }
}

// The command runs as typed and whole; only its record is cut, and /v says so.
TEST_F(RunOnceCommandTest, ARecordShortenedToFitIsReported) {
  Run(std::string(300, 'X'), "", true);
  EXPECT_EQ(launcher_.started, std::vector<std::string>{std::string(300, 'x')});
  ASSERT_EQ(directory_.values.size(), 1u);
  EXPECT_EQ(directory_.values[0].size(), kMaxEntryLength);
  EXPECT_EQ(boxes_.shown[0].text, "The command is too long for its record and is stored shortened");
}

}  // namespace
}  // namespace welcomer
