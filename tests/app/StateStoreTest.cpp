#include "app/StateStore.h"

#include <gtest/gtest.h>

#include "tests/support/FakeServices.h"

namespace welcomer {
namespace {

using testing::FakeNetWareClient;
using testing::RecordingMessageBoxes;
using testing::ShownBox;

TEST(ReadStateEntriesTest, KeepsOnlyOwnValuesInDirectoryOrder) {
  FakeNetWareClient directory;
  directory.values = {
      "Berlin",   "Welcomer.File.X=1 2", "welcomer.File.Y=1", "Welcomer.RunOnce=x", "Welcomer.",
      "WelcomerX"};
  StringList stored;
  stored.Add("left over");
  ReadStateEntries(&directory, stored);
  EXPECT_EQ(stored.Text(), "Welcomer.File.X=1 2\r\nWelcomer.RunOnce=x\r\nWelcomer.\r\n");
  ASSERT_EQ(directory.calls.size(), 1u);
  EXPECT_EQ(directory.calls[0].contextName, "");
  EXPECT_EQ(directory.calls[0].objectName, "CN=Admin.O=Org");
  EXPECT_EQ(AttributeName(directory.calls[0].attribute), "L");
}

// Paths may hold "=", stamps never do; the run-once command may hold "=" too.
TEST(RecordSplittingTest, FileRecordsSplitAtTheLastRunOnceRecordsAtTheFirst) {
  struct Row {
    std::string entry;
    std::string name;
    std::string value;
  };
  const Row rows[] = {
      {"/HOME/M=DIR/A.TXT=12 345", "/HOME/M=DIR/A.TXT", "12 345"},
      {"/HOME/MOTD/A=B.TXT=12 345", "/HOME/MOTD/A=B.TXT", "12 345"},
      {"/A=B/C==D.TXT=X12 345", "/A=B/C==D.TXT", "X12 345"},
      {"/HOME/MOTD/A.TXT=12 345", "/HOME/MOTD/A.TXT", "12 345"},
      {"NO STAMP", "", ""},
  };
  StringList list;
  for (const Row& row : rows)
    list.Add(row.entry);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.entry);
    EXPECT_EQ(NameOf(row.entry), row.name);
    EXPECT_EQ(ValueOf(row.entry), row.value);
    if (!row.name.empty()) {
      EXPECT_EQ(list.Value(row.name), row.value);
    }
  }

  StringList stored;
  stored.Add("Welcomer.File./M=DIR/A.TXT=1 2");
  stored.Add("Welcomer.RunOnce=05/Dec/2026 12:39:52 (SETX A=B)");
  EXPECT_EQ(StoredRunOnceValue(stored), "05/Dec/2026 12:39:52 (SETX A=B)");
  EXPECT_EQ(stored.Value("Welcomer.File./M=DIR/A.TXT"), "1 2");
}

TEST(ReadStateEntriesTest, FailedReadLeavesNothing) {
  FakeNetWareClient directory;
  directory.values = {"Welcomer.RunOnce=x"};
  directory.failRead = true;
  StringList stored;
  stored.Add("Welcomer.File.OLD=1");
  ReadStateEntries(&directory, stored);
  EXPECT_TRUE(stored.Empty());
  ReadStateEntries(nullptr, stored);
  EXPECT_TRUE(stored.Empty());
}

TEST(AddRemoveStateEntryTest, LongEntriesAreNeverSent) {
  FakeNetWareClient directory;
  const std::string fits = "Welcomer.File." + std::string(kMaxEntryLength - 14, 'A');
  const std::string tooLong = fits + "B";
  ASSERT_EQ(fits.size(), 255u);
  EXPECT_TRUE(AddStateEntry(&directory, fits));
  EXPECT_FALSE(AddStateEntry(&directory, tooLong));
  EXPECT_FALSE(RemoveStateEntry(&directory, tooLong));
  EXPECT_TRUE(RemoveStateEntry(&directory, fits));
  EXPECT_EQ(directory.calls.size(), 2u);
  EXPECT_FALSE(AddStateEntry(nullptr, "Welcomer.RunOnce=x"));
}

TEST(RemoveAllStateEntriesTest, StopsAtTheFirstFailure) {
  struct Row {
    const char* name;
    int failAt;
    bool verbose;
    size_t removeCalls;
    std::vector<ShownBox> boxes;
  };
  const Row rows[] = {
      {"all removed, quiet", -1, false, 3, {}},
      {"all removed, verbose",
       -1,
       true,
       3,
       {{BoxKind::kInformation, "Succesfully removed Welcomer entrys from NDS"}}},
      {"first fails", 0, false, 1, {{BoxKind::kError, "Error removing Welcomer entrys from NDS"}}},
      {"second fails, verbose",
       1,
       true,
       2,
       {{BoxKind::kError, "Error removing Welcomer entrys from NDS"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RecordingMessageBoxes boxes;
    FakeNetWareClient directory;
    directory.values = {"Welcomer.A=1", "Welcomer.A=1", "Welcomer.B=2", "mine"};
    directory.failRemoveAt = row.failAt;
    StringList entries;
    entries.Add("Welcomer.A=1");
    entries.Add("Welcomer.A=1");
    entries.Add("Welcomer.B=2");
    EXPECT_EQ(RemoveAllStateEntries(&directory, entries, row.verbose), row.failAt < 0);
    EXPECT_EQ(directory.CountOf("remove"), row.removeCalls);
    EXPECT_EQ(boxes.shown, row.boxes);
    if (row.failAt < 0) {
      EXPECT_EQ(directory.values, std::vector<std::string>{"mine"});
    }
  }
}

TEST(ShowClientNoticesTest, ShowsWhatTheClientToldOnceAndOnlyInVerboseMode) {
  RecordingMessageBoxes boxes;
  FakeNetWareClient directory;
  directory.notices = {"State from the offline cache", "The directory refused the add"};
  ShowClientNotices(&directory, false);
  EXPECT_TRUE(boxes.shown.empty());
  ShowClientNotices(&directory, true);
  ShowClientNotices(&directory, true);
  ShowClientNotices(nullptr, true);
  EXPECT_EQ(boxes.shown, (std::vector<ShownBox>{{BoxKind::kInformation,
                                                 "Directory:\r\nState from the offline "
                                                 "cache\r\nThe directory refused the add"}}));
}

}  // namespace
}  // namespace welcomer
