#include "app/PageMarks.h"

#include <gtest/gtest.h>

#include <utility>

namespace welcomer {
namespace {

using Entries = std::vector<std::string>;

TEST(PageMarksTest, StoresWhatWasLeftUntickedOncePerPath) {
  struct Row {
    const char* name;
    Entries displayList;
    std::vector<std::pair<int, bool>> leaves;  // page, box ticked
    bool forceMode;
    Entries expected;
  };
  const Row rows[] = {
      {"unticked pages, in list order",
       {"/B=2", "/A=1", "/C=3"},
       {{2, false}, {0, false}},
       false,
       {"Welcomer.File./B=2", "Welcomer.File./C=3"}},
      {"ticking again takes the mark away", {"/A=1"}, {{0, false}, {0, true}}, false, {}},
      {"one path, one mark, stored once",
       {"/A=1", "/a=1"},
       {{1, false}, {0, false}},
       false,
       {"Welcomer.File./A=1"}},
      {"force mode marks nothing", {"/A=1"}, {{0, false}}, true, {}},
  };
  for (const Row& row : rows) {
    RunState state;
    for (const std::string& entry : row.displayList)
      state.DisplayList.Add(entry);
    state.StoredEntries.Add("Welcomer.RunOnce=x");
    state.ForceMode = row.forceMode;
    PageMarks marks(state);
    for (const auto& [page, ticked] : row.leaves)
      marks.LeavePage(page, ticked);
    Entries stored;
    marks.Commit([&](const std::string& entry) {
      stored.push_back(entry);
      return false;
    });
    EXPECT_EQ(stored, row.expected) << row.name;
    EXPECT_TRUE(state.DisplayList.Empty() && state.StoredEntries.Empty()) << row.name;
  }
}

}  // namespace
}  // namespace welcomer
