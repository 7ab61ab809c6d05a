#include "app/FileSelection.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <map>

#include "app/Init_Unit.h"
#include "platform/AsciiText.h"
#include "tests/support/FakeServices.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

using namespace welcomer::testing;

const std::time_t kMarch1999 = LocalTime(1999, 3, 15, 8, 30, 0);

TEST(FileStampTest, SizeAndPackedLocalTime) {
  struct Row {
    uint64_t size;
    std::string expected;
  };
  const Row rows[] = {
      {1234, "1234 644826048"},
      {0, "0 644826048"},
      {3000000000ull, "-1294967296 644826048"},  // the low 32 bits, taken as signed
      {(1ull << 32) + 5, "5 644826048"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FileStamp(FoundFile{"x", row.size, kMarch1999, 0}), row.expected);
  }
}

class SelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.MakeDir("motd");
    Write("motd/a_news.txt", "1234");
    Write("motd/b_rules.txt", "rules");
    Write("motd/.secret", "hidden");
    dir_.MakeDir("motd/old");
  }
  void Write(const std::string& name, const std::string& content) {
    dir_.WriteFile(name, content);
    dir_.SetModified(name, kMarch1999);
  }
  std::string Upper(const std::string& name) const { return UpperCaseAscii(dir_ / name); }
  std::vector<std::string> Entries(const StringList& list) const {
    std::vector<std::string> entries;
    for (const auto& item : list.Items())
      entries.push_back(item.text);
    return entries;
  }
  std::vector<std::string> Files(const StringList& list) const {
    std::vector<std::string> files;
    for (const auto& item : list.Items())
      files.push_back(item.file);
    return files;
  }

  TempDir dir_;
  PosixFileSearcher searcher_;
  RecordingMessageBoxes boxes_;
};

TEST_F(SelectionTest, SearchPathFindsDirectoryPatternOrFile) {
  struct Row {
    std::string searchPath;
    std::vector<std::string> expected;
  };
  const std::string news = "=4 644826048";
  const std::string rules = "=5 644826048";
  const Row rows[] = {
      {UpperCaseAscii(dir_ / "motd"),
       {Upper("motd/A_NEWS.TXT") + news, Upper("motd/B_RULES.TXT") + rules}},
      {UpperCaseAscii(dir_ / "motd/"),
       {Upper("motd/A_NEWS.TXT") + news, Upper("motd/B_RULES.TXT") + rules}},
      {UpperCaseAscii(dir_ / "motd/B*.TXT"), {Upper("motd/B_RULES.TXT") + rules}},
      {UpperCaseAscii(dir_ / "motd/A_NEWS.TXT"), {Upper("motd/A_NEWS.TXT") + news}},
      {UpperCaseAscii(dir_ / "motd/OLD"), {}},
      {UpperCaseAscii(dir_ / "nothing"), {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.searchPath);
    StringList list;
    list.Add("LEFT OVER");
    SelectBySearchPath(row.searchPath, list, false, searcher_);
    EXPECT_EQ(Entries(list), row.expected);
    // Each page is read from the file as it is spelt on disk.
    for (const auto& item : list.Items()) {
      EXPECT_EQ(UpperCaseAscii(item.file), NameOf(item.text));
      EXPECT_EQ(::access(item.file.c_str(), F_OK), 0) << item.file;
    }
  }
}

TEST_F(SelectionTest, RelativeSearchPathGivesBareKeys) {
  char previous[4096];
  ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(::chdir((dir_ / "motd").c_str()), 0);
  StringList list;
  SelectBySearchPath("*.TXT", list, false, searcher_);
  ASSERT_EQ(::chdir(previous), 0);
  EXPECT_EQ(Entries(list),
            (std::vector<std::string>{"A_NEWS.TXT=4 644826048", "B_RULES.TXT=5 644826048"}));
  EXPECT_EQ(Files(list), (std::vector<std::string>{"a_news.txt", "b_rules.txt"}));
}

TEST_F(SelectionTest, ArgumentsKeepTheirTextAndDropWhatIsMissing) {
  StringList list;
  list.Add(UpperCaseAscii(dir_ / "motd/*.TXT"), 0);
  list.Add("/X", 1);
  list.Add(UpperCaseAscii(dir_ / "motd/B_RULES.TXT"), 2);
  list.Add(UpperCaseAscii(dir_ / "motd/OLD"), 3);
  list.Add(UpperCaseAscii(dir_ / "motd/.SECRET"), 4);
  SelectByArguments(list, {}, true, searcher_);
  ASSERT_EQ(list.Count(), 2u);
  // A pattern gives one entry, keyed by the pattern, stamped by its first match.
  EXPECT_EQ(NameOf(list[0]), UpperCaseAscii(dir_ / "motd/*.TXT"));
  EXPECT_EQ(list.Tag(0), 0);
  EXPECT_EQ(list[1], Upper("motd/B_RULES.TXT") + "=5 644826048");
  // The pattern's page is read from the file it matched.
  EXPECT_EQ(Files(list),
            (std::vector<std::string>{dir_ / "motd/a_news.txt", dir_ / "motd/b_rules.txt"}));
  ASSERT_EQ(boxes_.shown.size(), 3u);
  EXPECT_EQ(boxes_.shown[0], (ShownBox{BoxKind::kError, "Could not find file /X"}));
  EXPECT_EQ(boxes_.shown[1].text, "Could not find file " + UpperCaseAscii(dir_ / "motd/OLD"));
}

TEST_F(SelectionTest, PatternArgumentTakesItsFirstShowableMatch) {
  struct Row {
    std::string first;  // comes before "news.txt" by name
    std::function<void(const std::string&)> make;
  };
  const Row rows[] = {
      {".draft.txt", [](const std::string& path) { ::close(::creat(path.c_str(), 0600)); }},
      {"a_folder.txt", [](const std::string& path) { ::mkdir(path.c_str(), 0700); }},
      {"a_pipe.txt", [](const std::string& path) { ::mkfifo(path.c_str(), 0600); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.first);
    const std::string folder = "row" + std::to_string(&row - rows);
    dir_.MakeDir(folder);
    row.make(dir_ / folder + "/" + row.first);
    Write(folder + "/news.txt", "news!");
    StringList list;
    list.Add(Upper(folder + "/*.TXT"), 0);
    SelectByArguments(list, {}, true, searcher_);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{Upper(folder + "/*.TXT") + "=5 644826048"}));
    EXPECT_TRUE(boxes_.shown.empty());
  }
}

// Runs `work` in a child process without privileges (root may read and list anything) and hands
// back what it returned.
std::string Unprivileged(const std::function<std::string()>& work) {
  int fds[2];
  if (::pipe(fds) != 0)
    return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    const bool dropped = ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                              ::setgid(65534) == 0 && ::setuid(65534) == 0);
    const std::string result = dropped ? work() : "privileges kept";
    const bool written =
        ::write(fds[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
    ::_exit(written ? 0 : 1);
  }
  ::close(fds[1]);
  std::string result;
  char buffer[4096];
  for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;)
    result.append(buffer, static_cast<size_t>(got));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return result;
}

TEST_F(SelectionTest, UnreadableFilesAreLeftOutAndTypedNamesReachUnlistableFolders) {
  ASSERT_EQ(::chmod(dir_.path().c_str(), 0755), 0);
  dir_.MakeDir("locked");
  Write("locked/a_secret.txt", "secret");
  Write("locked/b_news.txt", "news!");
  dir_.MakeDir("xonly");
  Write("xonly/News.txt", "hello");
  ASSERT_EQ(::chmod((dir_ / "locked").c_str(), 0755), 0);
  // Modes that hold for the owner too, so that the test means the same run by anyone.
  ASSERT_EQ(::chmod((dir_ / "locked/a_secret.txt").c_str(), 0000), 0);
  ASSERT_EQ(::chmod((dir_ / "locked/b_news.txt").c_str(), 0644), 0);
  ASSERT_EQ(::chmod((dir_ / "xonly/News.txt").c_str(), 0644), 0);
  ASSERT_EQ(::chmod((dir_ / "xonly").c_str(), 0311), 0);

  const std::string secret =
      "box Files left out, as they cannot be read:\r\n" + (dir_ / "locked/a_secret.txt") + "\r\n\n";
  struct Row {
    bool at;  // given after /@, else a plain argument
    std::string typed;
    std::string expected;  // entries, then boxes
  };
  const Row rows[] = {
      {true, dir_ / "locked", "entry " + Upper("locked/B_NEWS.TXT") + "=5 644826048\n" + secret},
      {false, dir_ / "locked/*.txt", "entry " + Upper("locked/*.TXT") + "=5 644826048\n" + secret},
      {true, dir_ / "locked/a_secret.txt", secret},
      // Only a listing finds "NEWS.TXT"; the name as typed needs none.
      {false, dir_ / "xonly/News.txt", "entry " + Upper("xonly/NEWS.TXT") + "=5 644826048\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.typed);
    EXPECT_EQ(Unprivileged([&] {
                StringList list;
                if (row.at) {
                  SelectBySearchPath(row.typed, list, true, searcher_);
                } else {
                  list.Add(UpperCaseAscii(row.typed), 0);
                  SelectByArguments(list, {row.typed}, true, searcher_);
                }
                std::string summary;
                for (const std::string& entry : Entries(list))
                  summary += "entry " + entry + "\n";
                for (const ShownBox& box : boxes_.shown)
                  summary += "box " + box.text + "\n";
                return summary;
              }),
              row.expected);
  }
  // Listable again, so that the folder can be removed.
  EXPECT_EQ(::chmod((dir_ / "xonly").c_str(), 0700), 0);
}

// Answers from a table and records what it was asked.
class TableSearcher : public FileSearcher {
 public:
  std::vector<FoundFile> Find(const std::string& pattern) override {
    asked.push_back(pattern);
    const auto found = results.find(pattern);
    return found == results.end() ? std::vector<FoundFile>() : found->second;
  }
  std::map<std::string, std::vector<FoundFile>> results;
  std::vector<std::string> asked;
};

TEST(StartUpSelectionTest, SearchesTheArgumentsAsTyped) {
  const FoundFile motd{"motd", 0, kMarch1999, kAttrDirectory, "/srv/motd"};
  struct Row {
    std::vector<std::string> arguments;
    std::map<std::string, std::vector<FoundFile>> results;
    std::vector<std::string> searched;
  };
  const Row rows[] = {
      // The folder's files are searched where it was found: resolving its letter case again
      // would list every folder on the way a second time.
      {{"/f", "/@", "/Srv/MOTD"}, {{"/Srv/MOTD", {motd}}}, {"/Srv/MOTD", "/srv/motd/*.*"}},
      {{"/f", "/Srv/a*", "/v", "b.txt"}, {}, {"/Srv/a*", "b.txt"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    RecordingMessageBoxes boxes;
    TableSearcher searcher;
    searcher.results = row.results;
    RecordingLauncher launcher;
    FixedClock clock{{2026, 12, 5, 12, 39, 52}};
    StartUpServices services{searcher, launcher, clock, DateTimeFormat{},
                             [] { return std::make_unique<FakeNetWareClient>(); }};
    RunState state;
    StartUp(row.arguments, state, services);
    EXPECT_EQ(searcher.asked, row.searched);
  }
}

TEST(DetectChangesTest, DropsUnchangedAndRemovesStaleRecords) {
  struct Row {
    const char* name;
    std::vector<std::string> display;
    std::vector<std::string> stored;
    std::vector<std::string> kept;
    std::vector<std::string> removed;
  };
  const Row rows[] = {
      {"unchanged dropped", {"F:A=1 2"}, {"Welcomer.File.F:A=1 2"}, {}, {}},
      {"changed kept, stale removed",
       {"F:A=1 3"},
       {"Welcomer.File.F:A=1 2"},
       {"F:A=1 3"},
       {"Welcomer.File.F:A=1 2"}},
      {"older time is a change too",
       {"F:A=1 1"},
       {"Welcomer.File.F:A=1 2"},
       {"F:A=1 1"},
       {"Welcomer.File.F:A=1 2"}},
      {"new file kept", {"F:B=1 2"}, {"Welcomer.File.F:A=1 2"}, {"F:B=1 2"}, {}},
      {"key case ignored", {"F:A=1 2"}, {"welcomer.file.f:a=1 2"}, {}, {}},
      {"first stored record wins",
       {"F:A=1 2"},
       {"Welcomer.File.F:A=9 9", "Welcomer.File.F:A=1 2"},
       {"F:A=1 2"},
       {"Welcomer.File.F:A=9 9"}},
      {"empty stored value is no record", {"F:A=1 2"}, {"Welcomer.File.F:A="}, {"F:A=1 2"}, {}},
      {"path with equals splits at the first", {"F:A=B=1 2"}, {"Welcomer.File.F:A=B=1 2"}, {}, {}},
      {"a dropped duplicate no longer counts",
       {"F:A=1 3", "F:A=1 2"},
       {"Welcomer.File.F:A=1 3"},
       {"F:A=1 2"},
       {"Welcomer.File.F:A=1 3"}},
      {"duplicate key after a kept one",
       {"F:A=1 4", "F:A=1 3"},
       {"Welcomer.File.F:A=1 3"},
       {"F:A=1 4", "F:A=1 3"},
       {"Welcomer.File.F:A=1 3", "Welcomer.File.F:A=1 3"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RecordingMessageBoxes boxes;
    FakeNetWareClient directory;
    StringList display, stored;
    for (const auto& text : row.display)
      display.Add(text);
    for (const auto& text : row.stored)
      stored.Add(text);
    DetectChanges(display, stored, false, &directory);
    std::vector<std::string> kept, removed;
    for (const auto& item : display.Items())
      kept.push_back(item.text);
    for (const auto& call : directory.calls)
      removed.push_back(call.value);
    EXPECT_EQ(kept, row.kept);
    EXPECT_EQ(removed, row.removed);
    EXPECT_TRUE(boxes.shown.empty());
  }
}

TEST(NoFileQuestionTest, HintOnlyWithoutSearchPath) {
  const std::string head =
      "No files remained after parsing & checking. It seems that\r\n"
      "you only gave invalid filenames, pathnames or patterns\r\n"
      "on the commandline. ";
  const std::string tail = "\r\n\r\nDo you want to see the help screen ?";
  EXPECT_EQ(NoFileQuestion(false), head + "Use /@ dir|pattern|file instead." + tail);
  EXPECT_EQ(NoFileQuestion(true), head + tail);
}

}  // namespace
}  // namespace welcomer
