#include "platform/FileSearch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PathCase.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

using testing::TempDir;

TEST(MatchesWildcardTest, WindowsRules) {
  struct Row {
    std::string pattern, name;
    bool expected;
  };
  const Row rows[] = {
      {"*.*", "README", true},
      {"*.*", ".hidden", true},
      {"*", "x.y", true},
      {"*.TXT", "news.txt", true},
      {"*.txt", "news.txt.bak", false},
      {"A?.txt", "ab.TXT", true},
      {"a?.txt", "a.txt", false},
      {"a*b*c", "aXXbYYc", true},
      {"a*b*c", "aXXbYY", false},
      {"*a", "bbbbbbbbbba", true},
      {"", "", true},
      {"news.txt", "NEWS.TXT", true},
      {"x[1].txt", "x[1].txt", true},
      // A final ".*" also takes names without a dot, as "*.*" does.
      {"a*.*", "abc", true},
      {"a*.*", "abc.txt", true},
      {"a*.*", ".abc", false},
      {"a.*", "A", true},
      {"a.*", "ab", false},
      {"a?.*", "ab", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pattern + " ~ " + row.name);
    EXPECT_EQ(MatchesWildcard(row.pattern, row.name), row.expected);
  }
}

std::vector<std::string> Names(const std::vector<FoundFile>& found) {
  std::vector<std::string> names;
  for (const FoundFile& file : found)
    names.push_back(file.name);
  return names;
}

class FileSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.MakeDir("Motd");
    dir_.WriteFile("Motd/a_news.txt", "1234");
    dir_.WriteFile("Motd/B_Rules.TXT", "rules");
    dir_.WriteFile("Motd/.hidden", "h");
    dir_.MakeDir("Motd/sub");
    ::mkfifo((dir_ / "Motd/pipe").c_str(), 0600);
  }
  TempDir dir_;
  PosixFileSearcher searcher_;
};

TEST_F(FileSearchTest, PatternListsEverythingWithAttributes) {
  const auto found = searcher_.Find(dir_ / "MOTD/*.*");
  EXPECT_EQ(Names(found),
            (std::vector<std::string>{".hidden", "a_news.txt", "B_Rules.TXT", "pipe", "sub"}));
  for (const FoundFile& file : found) {
    SCOPED_TRACE(file.name);
    const uint32_t expected = file.name == ".hidden" ? kAttrHidden
                              : file.name == "sub"   ? kAttrDirectory
                              : file.name == "pipe"  ? kAttrSystem
                                                     : kAttrArchive;
    EXPECT_TRUE(file.attributes & expected);
    if (file.name == "a_news.txt") {
      EXPECT_EQ(file.attributes & (kAttrHidden | kAttrSystem | kAttrDirectory), 0u);
      EXPECT_EQ(file.size, 4u);
    }
  }
}

TEST_F(FileSearchTest, NamesAndPatternsIgnoreCase) {
  struct Row {
    std::string pattern;
    std::vector<std::string> expected;
  };
  const Row rows[] = {
      {"MOTD/A_NEWS.TXT", {"a_news.txt"}},
      {"motd/b_rules.txt", {"B_Rules.TXT"}},
      {"MOTD/*.TXT", {"a_news.txt", "B_Rules.TXT"}},
      {"MOTD/?_*", {"a_news.txt", "B_Rules.TXT"}},
      {"MOTD/missing.txt", {}},
      {"NOWHERE/*.*", {}},
      {"MOTD/", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pattern);
    EXPECT_EQ(Names(searcher_.Find(dir_ / row.pattern)), row.expected);
  }
}

TEST_F(FileSearchTest, ExactSpellingWinsOverACaseTwin) {
  dir_.WriteFile("Motd/A_NEWS.TXT", "twin");
  const auto found = searcher_.Find(dir_ / "Motd/A_NEWS.TXT");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, "A_NEWS.TXT");
  EXPECT_EQ(found[0].size, 4u);
}

TEST_F(FileSearchTest, RelativePatternsSearchTheCurrentDirectory) {
  char previous[4096];
  ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(::chdir((dir_ / "Motd").c_str()), 0);
  const auto found = Names(searcher_.Find("*.TXT"));
  ASSERT_EQ(::chdir(previous), 0);
  EXPECT_EQ(found, (std::vector<std::string>{"a_news.txt", "B_Rules.TXT"}));
}

TEST(FileSearchOrderTest, NamesComeInTheOrderOfTheirCapitals) {
  TempDir dir;
  // Made out of order, so that the file system's own order is unlikely to be the right one.
  for (const char* name :
       {"zeta", "alpha", "readme", "Mid", "a_2", "beta", "9", "README", "AB", "10"}) {
    dir.WriteFile(name, "x");
  }
  PosixFileSearcher searcher;
  // Letters compare as capitals, so "_" comes after them; digits by their bytes, not their
  // value; names equal but for case in byte order.
  EXPECT_EQ(Names(searcher.Find(dir / "*.*")),
            (std::vector<std::string>{"10", "9", "AB", "alpha", "a_2", "beta", "Mid", "README",
                                      "readme", "zeta"}));
}

TEST_F(FileSearchTest, ResolvesEachComponentWithoutRegardToCase) {
  EXPECT_EQ(ResolvePathIgnoringCase(dir_ / "MOTD/A_NEWS.TXT"), dir_ / "Motd/a_news.txt");
  EXPECT_EQ(ResolvePathIgnoringCase(dir_ / "MOTD/SUB/"), dir_ / "Motd/sub/");
  // From the first component that matches nothing, the rest stays as given.
  EXPECT_EQ(ResolvePathIgnoringCase(dir_ / "MOTD/NONE/X"), dir_ / "Motd/NONE/X");
  EXPECT_EQ(ResolvePathIgnoringCase(""), "");
}

}  // namespace
}  // namespace welcomer
