#include "app/FileSelection.h"

#include <gtest/gtest.h>

#include "tests/support/FakeServices.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

using namespace welcomer::testing;

const std::time_t kMarch1999 = LocalTime(1999, 3, 15, 8, 30, 0);

// The size is kept to its low 32 bits, taken as signed.
TEST(FileStampTest, SizeAndPackedLocalTime) {
  const std::pair<uint64_t, std::string> rows[] = {
      {1234, "1234 644826048"},
      {3000000000ull, "-1294967296 644826048"},
      {(1ull << 32) + 5, "5 644826048"},
  };
  for (const auto& [size, stamp] : rows)
    EXPECT_EQ(FileStamp(FoundFile{"x", size, kMarch1999, 0}), stamp);
}

TEST(DetectChangesTest, DropsUnchangedAndRemovesStaleRecords) {
  struct Row {
    const char* name;
    std::vector<std::string> display;
    std::vector<std::string> stored;  // the records, less their key prefix
    std::vector<std::string> kept;
    std::vector<std::string> left;  // the records after the stale ones were removed
  };
  const Row rows[] = {
      {"unchanged dropped", {"F:A=1 2"}, {"F:A=1 2"}, {}, {"F:A=1 2"}},
      {"changed kept, stale removed", {"F:A=1 3"}, {"F:A=1 2"}, {"F:A=1 3"}, {}},
      {"older time is a change too", {"F:A=1 1"}, {"F:A=1 2"}, {"F:A=1 1"}, {}},
      {"new file kept", {"F:B=1 2"}, {"F:A=1 2"}, {"F:B=1 2"}, {"F:A=1 2"}},
      {"first stored record wins", {"F:A=1 2"}, {"F:A=9 9", "F:A=1 2"}, {"F:A=1 2"}, {"F:A=1 2"}},
      {"empty stored value is no record", {"F:A=1 2"}, {"F:A="}, {"F:A=1 2"}, {"F:A="}},
      {"path with equals", {"F:A=B=1 2"}, {"F:A=B=1 2"}, {}, {"F:A=B=1 2"}},
      {"a dropped twin no longer counts", {"F:A=1 3", "F:A=1 2"}, {"F:A=1 3"}, {"F:A=1 2"}, {}},
      {"twins both kept", {"F:A=1 4", "F:A=1 3"}, {"F:A=1 3"}, {"F:A=1 4", "F:A=1 3"}, {}},
  };
  // Keys compare without regard to case, so the prefix is written in lower case.
  const std::string prefix = "welcomer.file.";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeNetWareClient directory;
    StringList display, stored;
    for (const std::string& text : row.display)
      display.Add(text);
    for (const std::string& text : row.stored) {
      stored.Add(prefix + text);
      directory.values.push_back(prefix + text);
    }
    DetectChanges(display, stored, false, &directory);
    std::vector<std::string> kept, left;
    for (const auto& item : display.Items())
      kept.push_back(item.text);
    for (const std::string& value : directory.values)
      left.push_back(value.substr(prefix.size()));
    EXPECT_EQ(kept, row.kept);
    EXPECT_EQ(left, row.left);
  }
}

}  // namespace
}  // namespace welcomer
