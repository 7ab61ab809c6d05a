#include "terminal/TextWrap.h"

#include <gtest/gtest.h>

namespace welcomer {
namespace {

using Rows = std::vector<std::string>;

TEST(WrapTextTest, RowsFitTheWidthAsTheTerminalCountsIt) {
  const std::string e = "e\xcc\x81";  // e and a combining acute accent
  struct Row {
    const char* name;
    int columns;
    std::string text;
    Rows expected;
  };
  const Row rows[] = {
      {"breaks after the last blank that fits", 10, "hello world foo", {"hello", "world foo"}},
      {"blanks at a break are dropped", 5, "ab   cd", {"ab", "cd"}},
      {"a long word breaks where the row is full", 5, "abcdefghijk", {"abcde", "fghij", "k"}},
      {"indentation is no place to break", 6, "  abcdefgh", {"  abcd", "efgh"}},
      {"line feeds and empty lines; the final one makes no row", 10, "a\n\nb\n", {"a", "", "b"}},
      {"nothing makes no row", 10, "", {}},
      {"tabs stop every eight cells", 20, "a\tb\tc", {"a       b       c"}},
      {"a tab at the edge is a break", 10, "abcdefgh\tij", {"abcdefgh", "ij"}},
      {"wide characters count two cells",
       6,
       "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae",
       {"\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e", "\xe3\x81\xae"}},
      {"a wide character never straddles the edge",
       5,
       "a\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e",
       {"a\xe6\x97\xa5\xe6\x9c\xac", "\xe8\xaa\x9e"}},
      {"combining marks take no cell and stay with their letter", 3, e + e + e + e, {e + e + e, e}},
      {"bytes that are not UTF-8 count one cell", 3, "\xff\xff\xff\xff", {"\xff\xff\xff", "\xff"}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(WrapText(row.text, row.columns), row.expected) << row.name;
}

}  // namespace
}  // namespace welcomer
