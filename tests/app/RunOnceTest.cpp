#include "app/RunOnce.h"

#include <gtest/gtest.h>

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

class RunOnceCommandTest : public ::testing::Test {
 protected:
  void Run(const StringList& stored, bool verbose) {
    RunOnceServices services{&directory, clock, format, launcher};
    RunOnceCommand("NOTEPAD C:\\README.TXT", "notepad c:\\readme.txt", stored, verbose, services);
  }
  RecordingMessageBoxes boxes;
  FakeDirectoryClient directory;
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
      {"Welcomer.RunOnce=", true},    // an empty record is no record
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

TEST_F(RunOnceCommandTest, AFailedRecordStillStartsTheCommand) {
  directory.failAdd = true;
  Run(StringList(), false);
  EXPECT_EQ(launcher.started.size(), 1u);
  EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace welcomer
