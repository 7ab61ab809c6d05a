#include "app/StateStore.h"

#include <gtest/gtest.h>

#include "tests/support/FakeServices.h"

namespace welcomer {
namespace {

using testing::FakeNetWareClient;

// Paths may hold "=", stamps never do; the run-once command may hold "=" too.
TEST(RecordSplittingTest, FileRecordsSplitAtTheLastRunOnceRecordsAtTheFirst) {
  const std::pair<std::string, std::string> rows[] = {
      {"/HOME/M=DIR/A.TXT=12 345", "/HOME/M=DIR/A.TXT"},
      {"/HOME/MOTD/A=B.TXT=12 345", "/HOME/MOTD/A=B.TXT"},
      {"/A=B/C==D.TXT=12 345", "/A=B/C==D.TXT"},
      {"/HOME/MOTD/A.TXT=12 345", "/HOME/MOTD/A.TXT"},
  };
  StringList list;
  for (const auto& [entry, name] : rows)
    list.Add(entry);
  for (const auto& [entry, name] : rows) {
    EXPECT_EQ(NameOf(entry), name);
    EXPECT_EQ(ValueOf(entry), "12 345");
    EXPECT_EQ(list.Value(name), "12 345");
  }
  EXPECT_TRUE(NameOf("NO STAMP").empty() && ValueOf("NO STAMP").empty());

  StringList stored;
  stored.Add("Welcomer.File./M=DIR/A.TXT=1 2");
  stored.Add("Welcomer.RunOnce=05/Dec/2026 12:39:52 (SETX A=B)");
  EXPECT_EQ(StoredRunOnceValue(stored), "05/Dec/2026 12:39:52 (SETX A=B)");
}

// A cut entry would be another entry: one too long is never sent.
TEST(AddRemoveStateEntryTest, LongEntriesAreNeverSent) {
  FakeNetWareClient directory;
  const std::string fits = "Welcomer.File." + std::string(kMaxEntryLength - 14, 'A');
  EXPECT_FALSE(AddStateEntry(&directory, fits + "B"));
  EXPECT_TRUE(AddStateEntry(&directory, fits));
  EXPECT_EQ(directory.values, std::vector<std::string>{fits});
  EXPECT_FALSE(RemoveStateEntry(&directory, fits + "B"));
  EXPECT_TRUE(RemoveStateEntry(&directory, fits));
  EXPECT_TRUE(directory.values.empty());
  EXPECT_FALSE(AddStateEntry(nullptr, "Welcomer.RunOnce=x"));
}

}  // namespace
}  // namespace welcomer
