#include "platform/FileSearch.h"

#include <gtest/gtest.h>

#include "platform/PathCase.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

using testing::TempDir;

// Each row is a pattern, a blank and a name. A final ".*" also takes names without a dot, as
// "*.*" does.
TEST(MatchesWildcardTest, WindowsRules) {
  const char* const matching[] = {
      "*.* README",    "*.* .hidden",    "* x.y", "*.TXT news.txt",    "A?.txt ab.TXT",
      "a*b*c aXXbYYc", "*a bbbbbbbbbba", " ",     "news.txt NEWS.TXT", "x[1].txt x[1].txt",
      "a*.* abc",      "a*.* abc.txt",   "a.* A", "a?.* ab",
  };
  const char* const other[] = {
      "*.txt news.txt.bak", "a?.txt a.txt", "a*b*c aXXbYY", "a*.* .abc", "a.* ab",
  };
  const auto matches = [](const std::string& row) {
    const size_t blank = row.find(' ');
    return MatchesWildcard(row.substr(0, blank), row.substr(blank + 1));
  };
  for (const char* row : matching)
    EXPECT_TRUE(matches(row)) << row;
  for (const char* row : other)
    EXPECT_FALSE(matches(row)) << row;
}

// Kinds, sizes, patterns and letter case reach the user through the pages each argument finds
// (tests/app/StartUpTest.cpp); here the order, the choice between names equal but for case, and
// the resolving of a path's letter case.
TEST(PosixFileSearcherTest, NamesComeInTheOrderOfTheirCapitalsAndTheExactSpellingWins) {
  TempDir dir;
  // Made out of order, so that the file system's own order is unlikely to be the right one.
  for (const char* name :
       {"zeta", "alpha", "readme", "Mid", "a_2", "beta", "9", "README", "AB", "10"}) {
    dir.WriteFile(name, "");
  }
  const auto names = [&](const std::string& pattern) {
    std::vector<std::string> found;
    for (const FoundFile& file : PosixFileSearcher().Find(dir / pattern))
      found.push_back(file.name);
    return found;
  };
  // Letters compare as capitals, so "_" comes after them; digits by their bytes; names equal but
  // for case in byte order.
  EXPECT_EQ(names("*.*"), (std::vector<std::string>{"10", "9", "AB", "alpha", "a_2", "beta", "Mid",
                                                    "README", "readme", "zeta"}));
  EXPECT_EQ(names("README"), std::vector<std::string>{"README"});
  EXPECT_EQ(names("readme"), std::vector<std::string>{"readme"});
  EXPECT_EQ(names("Readme").size(), 1u);
  // Paths are resolved component by component; from the first that matches nothing, the rest
  // stays as given.
  dir.MakeDir("Sub");
  EXPECT_EQ(ResolvePathIgnoringCase(dir / "SUB/ALPHA/"), dir / "Sub/ALPHA/");
  EXPECT_EQ(ResolvePathIgnoringCase(dir / "SUB/"), dir / "Sub/");
}

}  // namespace
}  // namespace welcomer
