#include "app/StringList.h"

#include <gtest/gtest.h>

namespace welcomer {
namespace {

TEST(StringListTest, NameValueLookUpIgnoresCaseAndTakesTheFirstMatch) {
  StringList list;
  list.Add("plain word");
  list.Add("Key=first");
  list.Add("KEY=second");
  list.Add("path=with=equals");
  list.Add("empty=");
  struct Row {
    std::string name;
    int index;
    std::string value;
  };
  const Row rows[] = {
      {"key", 1, "first"}, {"PATH", 3, "with=equals"}, {"path=with", -1, ""}, {"empty", 4, ""},
      {"", -1, ""},        {"plain word", -1, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(list.IndexOfName(row.name), row.index);
    EXPECT_EQ(list.Value(row.name), row.value);
  }
  EXPECT_EQ(list.IndexOf("PLAIN WORD"), 0);
  EXPECT_EQ(list.IndexOf("plain"), -1);
}

TEST(StringListTest, TextEndsEveryEntryWithCrLf) {
  StringList list;
  EXPECT_EQ(list.Text(), "");
  list.Add("a");
  list.Add("b=1");
  EXPECT_EQ(list.Text(), "a\r\nb=1\r\n");
  list.Delete(0);
  EXPECT_EQ(list.Text(), "b=1\r\n");
}

}  // namespace
}  // namespace welcomer
