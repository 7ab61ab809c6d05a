#include "app/FileSelection.h"

#include <gtest/gtest.h>

#include <tuple>

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
  // What it is about, the pages found, the records stored (less their key prefix), the pages kept
  // and the records left after the stale ones were removed.
  using Texts = std::vector<std::string>;
  const std::tuple<const char*, Texts, Texts, Texts, Texts> rows[] = {
      {"unchanged dropped", {"F:A=1 2"}, {"F:A=1 2"}, {}, {"F:A=1 2"}},
      {"changed kept, stale removed", {"F:A=1 3"}, {"F:A=1 2"}, {"F:A=1 3"}, {}},
      {"older time is a change too", {"F:A=1 1"}, {"F:A=1 2"}, {"F:A=1 1"}, {}},
      {"new file kept", {"F:B=1 2"}, {"F:A=1 2"}, {"F:B=1 2"}, {"F:A=1 2"}},
      {"first stored record wins", {"F:A=1 2"}, {"F:A=9 9", "F:A=1 2"}, {"F:A=1 2"}, {"F:A=1 2"}},
      {"empty stored value is no record", {"F:A=1 2"}, {"F:A="}, {"F:A=1 2"}, {"F:A="}},
      // Paths may hold "=", stamps never do.
      {"path with equals", {"F:A=B=1 2"}, {"F:A=B=1 2"}, {}, {"F:A=B=1 2"}},
      {"= in a folder", {"M=DIR/A=1 2"}, {"M=1 2"}, {"M=DIR/A=1 2"}, {"M=1 2"}},
      {"a dropped twin no longer counts", {"F:A=1 3", "F:A=1 2"}, {"F:A=1 3"}, {"F:A=1 2"}, {}},
      {"twins both kept", {"F:A=1 4", "F:A=1 3"}, {"F:A=1 3"}, {"F:A=1 4", "F:A=1 3"}, {}},
  };
  // Keys compare without regard to case, so the prefix is written in lower case.
  const std::string prefix = "welcomer.file.";
  for (const auto& [name, found, records, kept, left] : rows) {
    SCOPED_TRACE(name);
    FakeNetWareClient directory;
    StringList display, stored;
    for (const std::string& text : found)
      display.Add(text);
    for (const std::string& text : records) {
      stored.Add(prefix + text);
      directory.values.push_back(prefix + text);
    }
    DetectChanges(display, stored, false, &directory);
    Texts shown, remaining;
    for (const auto& item : display.Items())
      shown.push_back(item.text);
    for (const std::string& value : directory.values)
      remaining.push_back(value.substr(prefix.size()));
    EXPECT_EQ(shown, kept);
    EXPECT_EQ(remaining, left);
  }
}

}  // namespace
}  // namespace welcomer
