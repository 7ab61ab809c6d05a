#include "app/RunOnce.h"

#include <gtest/gtest.h>

#include "app/StateStore.h"
#include "tests/support/FakeServices.h"

namespace welcomer {
namespace {

using namespace welcomer::testing;

TEST(FormatRunOnceTimeTest, UsesTheLocaleMonthAndSeparators) {
  DateTimeFormat english;
  DateTimeFormat german;
  german.shortMonthNames[2] = "M\xe4r";
  german.dateSeparator = ".";
  german.timeSeparator = ":";
  EXPECT_EQ(FormatRunOnceTime({2026, 12, 5, 12, 39, 52}, english), "05/Dec/2026 12:39:52");
  EXPECT_EQ(FormatRunOnceTime({1999, 3, 1, 0, 0, 7}, german), "01.M\xe4r.1999 00:00:07");
  EXPECT_EQ(RunOnceRecord({2026, 12, 5, 12, 39, 52}, english, "COMMAND /CDIR H:\\"),
            "Welcomer.RunOnce=05/Dec/2026 12:39:52 (COMMAND /CDIR H:\\)");
}

TEST(RunOnceRecordTest, ACommandTooLongForTheRecordIsCutInsideTheParentheses) {
  const size_t room =
      kMaxEntryLength - std::string("Welcomer.RunOnce=05/Dec/2026 12:39:52 (").size() - 1;
  struct Row {
    std::string command;
    std::string kept;
  };
  const std::string euro = "\xe2\x82\xac";  // three bytes in UTF-8
  const Row rows[] = {
      {"SETUP.SH", "SETUP.SH"},
      {std::string(room, 'A'), std::string(room, 'A')},
      {std::string(room + 1, 'A'), std::string(room, 'A')},
      {std::string(room - 1, 'A') + euro, std::string(room - 1, 'A')},
      {std::string(room - 3, 'A') + euro + "B", std::string(room - 3, 'A') + euro},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command.size());
    bool shortened = false;
    const std::string record =
        RunOnceRecord({2026, 12, 5, 12, 39, 52}, {}, row.command, &shortened);
    EXPECT_EQ(record, "Welcomer.RunOnce=05/Dec/2026 12:39:52 (" + row.kept + ")");
    EXPECT_LE(record.size(), kMaxEntryLength);
    EXPECT_EQ(shortened, row.kept != row.command);
  }
}

class RunOnceCommandTest : public ::testing::Test {
 protected:
  void Run(const StringList& stored, bool verbose, bool force = false) {
    RunOnceServices services{&directory, clock, format, launcher};
    RunOnceCommand(command, "notepad c:\\readme.txt", stored, verbose, force, services);
  }
  std::string command = "NOTEPAD C:\\README.TXT";
  RecordingMessageBoxes boxes;
  FakeNetWareClient directory;
  FixedClock clock{{2026, 12, 5, 23, 59, 59}};
  DateTimeFormat format;
  RecordingLauncher launcher;
};

TEST_F(RunOnceCommandTest, AStoredRecordWithAValueStopsIt) {
  struct Row {
    std::string stored;
    bool runs;
  };
  const Row rows[] = {
      {"Welcomer.RunOnce=01/Jan/2000 00:00:00 (OTHER)", false},
      {"welcomer.runonce=x", false},  // keys compare without regard to case
      {"Welcomer.RunOnce=01/Jan/2000 00:00:00 (SETX A=B)", false},  // "=" in the command
      {"Welcomer.RunOnce=", true},                                  // an empty record is no record
      {"Welcomer.RunOnceX=1", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.stored);
    directory.values.clear();
    launcher.started.clear();
    boxes.shown.clear();
    StringList stored;
    stored.Add(row.stored);
    Run(stored, true);
    EXPECT_EQ(launcher.started.size(), row.runs ? 1u : 0u);
    EXPECT_EQ(directory.values.size(), row.runs ? 1u : 0u);
    EXPECT_EQ(boxes.shown.size(), row.runs ? 1u : 0u);
  }
}

TEST_F(RunOnceCommandTest, VerboseModeSaysWhatHappened) {
  struct Row {
    const char* name;
    bool force;
    bool failAdd;
    std::string startFailure;
    std::string longCommand;
    std::vector<ShownBox> boxes;
    size_t records;
  };
  const std::string launched = "Succesfully launched external command \"NOTEPAD C:\\README.TXT\"";
  const std::string notStored =
      "Could not store that the command has run, so it runs again at the next login";
  const Row rows[] = {
      {"started", false, false, "", "", {{BoxKind::kInformation, launched}}, 1},
      {"force stores nothing", true, false, "", "", {{BoxKind::kInformation, launched}}, 0},
      {"failed start, record kept",
       false,
       false,
       "No such file or directory",
       "",
       {{BoxKind::kError,
         "Could not launch external command \"NOTEPAD C:\\README.TXT\": No such "
         "file or directory"}},
       1},
      {"record refused",
       false,
       true,
       "",
       "",
       {{BoxKind::kError, notStored}, {BoxKind::kInformation, launched}},
       0},
      {"record shortened",
       false,
       false,
       "",
       std::string(300, 'X'),
       {{BoxKind::kInformation, "The command is too long for its record and is stored shortened"},
        {BoxKind::kInformation,
         "Succesfully launched external command \"" + std::string(300, 'X') + "\""}},
       1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    directory.values.clear();
    directory.failAdd = row.failAdd;
    launcher.started.clear();
    launcher.failWith = row.startFailure;
    boxes.shown.clear();
    command = row.longCommand.empty() ? "NOTEPAD C:\\README.TXT" : row.longCommand;
    Run(StringList(), true, row.force);
    EXPECT_EQ(launcher.started, std::vector<std::string>{"notepad c:\\readme.txt"});
    EXPECT_EQ(boxes.shown, row.boxes);
    ASSERT_EQ(directory.values.size(), row.records);
    if (row.records > 0) {
      EXPECT_LE(directory.values[0].size(), kMaxEntryLength);
      EXPECT_EQ(directory.values[0].back(), ')');
    }
  }
}

TEST_F(RunOnceCommandTest, AFailedRecordStillStartsTheCommandSilently) {
  directory.failAdd = true;
  Run(StringList(), false);
  EXPECT_EQ(launcher.started.size(), 1u);
  EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace welcomer
