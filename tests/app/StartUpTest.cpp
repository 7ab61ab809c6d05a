#include "app/Init_Unit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <tuple>

#include "app/FileSelection.h"
#include "app/StateStore.h"
#include "platform/AsciiText.h"
#include "tests/support/FakeServices.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

using namespace welcomer::testing;

const std::time_t kMarch1999 = LocalTime(1999, 3, 15, 8, 30, 0);
constexpr const char* kConfigFound = "Config found in NDS:\r\n";

// Searches the real file system, and stands in for the user's lock and for starting commands. Its
// own calls are noted in the directory's call log, so that one log shows the order of everything.
class StartUpTest : public ::testing::Test,
                    public FileSearcher,
                    public UserLock,
                    public ProcessLauncher {
 protected:
  void SetUp() override {
    dir_.MakeDir("motd");
    for (const char* name : {"a_news.txt", "b_rules.txt"}) {
      dir_.WriteFile(std::string("motd/") + name, "1234");
      dir_.SetModified(std::string("motd/") + name, kMarch1999);
    }
    motd_ = dir_ / "motd";
  }
  std::vector<FoundFile> Find(const std::string& pattern) override {
    Note("find " + pattern);
    return PosixFileSearcher().Find(pattern);
  }
  bool Acquire(std::chrono::milliseconds, std::string& reason) override {
    reason = fault_ == "lock" ? "another run held the lock too long" : "";
    if (reason.empty())
      Note("lock");
    return reason.empty();
  }
  void Release() override { Note("unlock"); }
  bool StartDetached(const std::string& commandLine, std::string& failure) override {
    failure = fault_ == "start" ? "No such file or directory" : "";
    Note("start " + commandLine);
    return failure.empty();
  }
  void Note(const std::string& what) { directory_.calls.push_back({what, "", "", {}, ""}); }

  StartUpResult Run(const std::vector<std::string>& arguments) {
    boxes_.shown.clear();
    directory_.calls.clear();
    StartUpServices services{*this, *this, clock_, DateTimeFormat{}, [this] {
                               return std::make_unique<ForwardingNetWareClient>(directory_);
                             }};
    services.userLock = this;
    return StartUp(arguments, state_, services);
  }
  std::string Log() const {
    std::string log;
    for (const FakeNetWareClient::Call& call : directory_.calls)
      log += call.operation + " ";
    return log;
  }
  std::string Record(const std::string& name) const {
    return "Welcomer.File." + UpperCaseAscii(motd_ + "/" + name) + "=4 644826048";
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const ShownBox& box : boxes_.shown)
      texts.push_back(box.text);
    return texts;
  }

  TempDir dir_;
  std::string motd_;
  RecordingMessageBoxes boxes_;
  FakeNetWareClient directory_;
  FixedClock clock_{{2026, 12, 5, 12, 39, 52}};
  RunState state_;
  std::string fault_;  ///< what goes wrong: "lock" is held elsewhere, "start" fails
};

// The lock spans reading the state through storing the run-once record; the record goes first,
// so that a command that cannot start still counts as run. A force run reads and stores nothing.
TEST_F(StartUpTest, RunsThatEndWithoutTheWindow) {
  // The run-once key compares without regard to case, and its command may hold "=".
  const std::vector<std::string> mixed = {"Berlin", "Welcomer.RUNONCE=1 (A=B)", "welcomer.File.X=1",
                                          "Welcomer.File.A=1"};
  const std::vector<std::string> foreign = {"Berlin", "welcomer.File.X=1"};
  const std::vector<std::string> unchanged = {Record("a_news.txt"), Record("b_rules.txt")};
  const std::string listed =
      std::string(kConfigFound) + "Welcomer.RUNONCE=1 (A=B)\r\nWelcomer.File.A=1\r\n";
  const std::string usage = UsageText(), ask = NoFileQuestion(false), askAt = NoFileQuestion(true);
  const std::string removed = "Succesfully removed Welcomer entrys from NDS";
  const std::string notFound = "Could not find file ";
  const std::string head = "Welcomer.RunOnce=05/Dec/2026 12:39:52 (";
  const std::string typed = "Setup -q", record = head + "SETUP -Q)";
  const std::string launched = "Succesfully launched external command \"SETUP -Q\"";
  const std::string notLaunched =
      "Could not launch external command \"SETUP -Q\": No such file or directory";
  const std::string notStored =
      "Could not store that the command has run, so it runs again at the next login";
  const std::vector<std::string> lockless = {
      "Going on without the lock of this user: another run held the lock too long", kConfigFound,
      launched};
  const std::string started = "start " + typed + " ",
                    locked = "lock read add " + started + "unlock ";
  // Only its record is cut, whole characters kept; the command runs as typed and whole.
  const std::string x300(300, 'x');
  const std::string cut = head + std::string(kMaxEntryLength - head.size() - 1, 'X') + ")";
  const std::vector<std::string> cutTexts = {
      kConfigFound, "The command is too long for its record and is stored shortened",
      "Succesfully launched external command \"" + UpperCaseAscii(x300) + "\""};
  const std::vector<std::string> notRecords = {"Welcomer.RunOnceX=1", "Welcomer.RunOnce="};
  const std::string notRemoved = "Error removing Welcomer entrys from NDS";
  const std::vector<std::string> told = {kConfigFound, "Directory:\r\nFrom the cache\nreplayed"};
  struct Row {
    std::vector<std::string> arguments;
    std::vector<std::string> stored;  // the directory's values before the run
    std::vector<std::string> texts;   // every box, in order; the usage text last ends with 10
    std::vector<std::string> left;    // the directory's values after the run
    // fault_, "add" or "remove" refused, "notices" told, or "yes" answered to the question
    std::string fault = "";
    // The lock, the directory's calls and the commands started, in order; where none is given,
    // no command starts.
    std::optional<std::string> log = std::nullopt;
  };
  const Row rows[] = {
      {{}, mixed, {usage}, mixed},
      {{"a?b.txt", "/v"}, mixed, {usage}, mixed},
      {{"/remove", "/F"}, mixed, {usage}, mixed},
      {{"/nt", "/v"}, mixed, {listed, usage}, mixed},  // /v goes first, /nt is left bare
      {{"x", "/ro"}, mixed, {usage}, mixed},
      {{"/@"}, mixed, {usage}, mixed},
      // Only the program's own values are listed and removed.
      {{"/v"}, mixed, {listed}, mixed},
      {{"/remove", "/ro", "x", "file"}, mixed, {}, foreign},
      {{"/v", "/remove"}, mixed, {listed, removed}, foreign},
      {{"/remove", "/ro", "x"}, foreign, {}, foreign},  // nothing to remove, nothing to say
      {{"/ro", "x"}, mixed, {}, mixed},                 // it ran before
      {{"/@", motd_}, unchanged, {}, unchanged},        // every page unchanged
      // No file left: the question, with the hint only without /@. A repeated option is a file
      // argument, and "?" counts only in the first argument.
      {{"/x"}, {}, {ask}, {}},
      {{"/x"}, {}, {ask, usage}, {}, "yes"},
      {{"/@", "/nowhere"}, {}, {askAt}, {}},
      {{"/v", "/x", "/v"}, {}, {kConfigFound, notFound + "/X", notFound + "/V", ask}, {}},
      {{"/v", "x/?"}, {}, {kConfigFound, notFound + "X/?", ask}, {}},
      // The client's notices show under /v only; a semicolon breaks the line in any box.
      {{"/ro", typed}, {}, {}, {record}, "notices", locked},
      {{"/v"}, {}, told, {}, "notices", "read "},
      {{"/ro", typed, "/v"}, {}, lockless, {record}, "lock", "read add " + started},
      {{"/ro", typed, "/f"}, {}, {}, {}, "", started},
      // A record left so that it runs again, said only under /v.
      {{"/ro", typed, "/v"}, {}, {kConfigFound, notStored, launched}, {}, "add", locked},
      // A command that cannot start still counts as run, so that it is not retried at every login.
      {{"/ro", typed, "/v"}, {}, {kConfigFound, notLaunched}, {record}, "start", locked},
      // Neither an empty stamp nor a longer key is a run-once record.
      {{"/ro", typed}, notRecords, {}, {notRecords[0], notRecords[1], record}, "", locked},
      {{"/ro", x300, "/v"}, {}, cutTexts, {cut}, "", "lock read add start " + x300 + " unlock "},
      // Removing stops at the first failure, which shows in any mode.
      {{"/remove"}, mixed, {notRemoved}, mixed, "remove", "read remove "},
      {{"/remove", "/v"}, mixed, {listed, notRemoved}, mixed, "remove", "read remove "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments) + " " + row.fault);
    directory_.values = row.stored;
    fault_ = row.fault;
    directory_.failAdd = row.fault == "add";
    directory_.failRemoveAt = row.fault == "remove" ? 0 : -1;
    directory_.notices.assign(row.fault == "notices", "From the cache;replayed");
    boxes_.answers.assign(row.fault == "yes", true);
    const StartUpResult result = Run(row.arguments);
    EXPECT_EQ(result.exitCode, !row.texts.empty() && row.texts.back() == usage ? 10 : 0);
    EXPECT_FALSE(result.showWindow);
    EXPECT_EQ(Texts(), row.texts);
    EXPECT_EQ(directory_.values, row.left);
    if (row.log) {
      EXPECT_EQ(Log(), *row.log);
    } else {
      EXPECT_EQ(Log().find("start"), std::string::npos);
    }
    EXPECT_FALSE(state_.NetWareClient);
  }
}

TEST(CaptionRuleTest, UnderscoresCapitaliseTheNextLetter) {
  const std::pair<std::string, std::string> rows[] = {
      {"_thi&s is a text", "Thi&s is a text"},
      {"_good _morning", "Good Morning"},
      {"a_", "a_"},
      {"__x", "_x"},
      {"_1st", "1st"},
      {"\xc9T\xc9", "\xc9t\xc9"},
      {"", ""},
  };
  for (const auto& [typed, caption] : rows)
    EXPECT_EQ(TransformCaption(UpperCaseAscii(typed)), caption) << typed;
}

TEST_F(StartUpTest, OptionValuesFollowTheOptionOnceEarlierOptionsAreGone) {
  EXPECT_TRUE(Run({"/nt", "/v", "_x", "/ro", "/nt", motd_ + "/a_news.txt"}).showWindow);
  EXPECT_EQ(state_.CheckboxCaption, "X");
  // The command as typed.
  EXPECT_EQ(Log(), "lock read add start /nt unlock find " + motd_ + "/a_news.txt ");
  EXPECT_EQ(boxes_.shown[0].text, kConfigFound);  // the verbose flag went first
}

TEST_F(StartUpTest, ChangedFilesGoToTheWindowAndStaleRecordsGo) {
  dir_.SetModified("motd/b_rules.txt", kMarch1999 + 60);
  const std::string longPath = dir_.WriteFile("motd/" + std::string(230, 'x'), "");
  directory_.values = {Record("a_news.txt"), Record("b_rules.txt"), "Berlin"};
  directory_.whyUnusable = "the directory client could not be loaded: libnetwin32.so: missing";
  ASSERT_TRUE(Run({"/v", "/@", dir_ / "MOTD", "ignored.txt"}).showWindow);
  // The folder is searched as typed, and its files where it was found: resolving its letter
  // case again would list every folder on the way a second time.
  EXPECT_EQ(Log(), "read find " + (dir_ / "MOTD") + " find " + motd_ + "/*.* remove ");
  ASSERT_EQ(state_.DisplayList.Count(), 2u);
  EXPECT_EQ(NameOf(state_.DisplayList[0]), UpperCaseAscii(motd_ + "/B_RULES.TXT"));
  EXPECT_EQ(directory_.values, (std::vector<std::string>{Record("a_news.txt"), "Berlin"}));
  // Verbose mode says why no state is kept, and which pages show at every login.
  const std::vector<std::string> texts = Texts();
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[1], "No state can be kept: " + directory_.whyUnusable);
  EXPECT_EQ(texts[3],
            "These paths are too long to be remembered, so their pages show at every login:\r\n" +
                UpperCaseAscii(longPath) + "\r\n");
  EXPECT_EQ(texts[4], "Files to display:\r\n" + state_.DisplayList.Text());
}

// While it lives, the process acts as a user without privileges (root may read and list
// anything): permission checks look at the effective IDs.
class Unprivileged {
 public:
  Unprivileged() { EXPECT_TRUE(!root_ || (::setegid(65534) == 0 && ::seteuid(65534) == 0)); }
  ~Unprivileged() { EXPECT_TRUE(!root_ || (::seteuid(0) == 0 && ::setegid(0) == 0)); }

 private:
  const bool root_ = ::geteuid() == 0;
};

// Searched by a user without privileges, from the motd folder. The modes give groups what they
// give others, so that the groups of whoever runs the test do not matter.
TEST_F(StartUpTest, WhatEachArgumentFinds) {
  // Before "news.txt" by name: a hidden file, a folder and a pipe, none of them a page.
  dir_.MakeDir("first");
  dir_.WriteFile("first/.draft.txt", "");
  dir_.MakeDir("first/a_folder.txt");
  ::mkfifo((dir_ / "first/a_pipe.txt").c_str(), 0600);
  dir_.WriteFile("motd/.secret", "");
  dir_.MakeDir("motd/old");
  dir_.MakeDir("locked");
  dir_.WriteFile("locked/a_secret.txt", "");
  dir_.MakeDir("xonly");
  for (const char* name : {"first/news.txt", "locked/b_news.txt", "xonly/News.txt"}) {
    dir_.WriteFile(name, "news!");
    dir_.SetModified(name, kMarch1999);
  }
  // Modes that hold for the owner too, so that the test means the same run by anyone.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path()))
    std::filesystem::permissions(entry, std::filesystem::perms(entry.is_directory() ? 0755 : 0644));
  for (const auto& [name, mode] :
       {std::pair{"", 0755}, {"locked/a_secret.txt", 0}, {"xonly", 0311}})
    ASSERT_EQ(::chmod((dir_ / name).c_str(), static_cast<mode_t>(mode)), 0) << name;
  const std::string news = "=4 644826048 < motd/a_news.txt|",
                    rules = "=4 644826048 < motd/b_rules.txt|";
  const std::string secret = "Files left out, as they cannot be read:\r\nlocked/a_secret.txt\r\n|";
  // The arguments after /v; the pages' entries and where each is read from, then the error boxes,
  // with the test's folder left out.
  const std::pair<std::vector<std::string>, std::string> rows[] = {
      {{"/@", motd_}, "MOTD/A_NEWS.TXT" + news + "MOTD/B_RULES.TXT" + rules},
      {{"/@", motd_ + "/"}, "MOTD/A_NEWS.TXT" + news + "MOTD/B_RULES.TXT" + rules},
      {{"/@", dir_ / "MOTD/B*.TXT"}, "MOTD/B_RULES.TXT" + rules},
      {{"/@", motd_ + "/old"}, ""},
      {{"/@", "*.TXT"},
       "A_NEWS.TXT=4 644826048 < a_news.txt|B_RULES.TXT=4 644826048 < b_rules.txt|"},
      // A plain pattern is keyed by its text and read from its first match that is a page.
      {{motd_ + "/*.TXT", "/X", dir_ / "MOTD/B_RULES.TXT", motd_ + "/old", motd_ + "/.secret"},
       "MOTD/*.TXT" + news + "MOTD/B_RULES.TXT" + rules +
           "Could not find file /X|Could not find file MOTD/OLD|Could not find file MOTD/.SECRET|"},
      {{dir_ / "first/*.txt"}, "FIRST/*.TXT=5 644826048 < first/news.txt|"},
      // A file the user may not read is left out, and named.
      {{"/@", dir_ / "locked"}, "LOCKED/B_NEWS.TXT=5 644826048 < locked/b_news.txt|" + secret},
      {{dir_ / "locked/*.txt"}, "LOCKED/*.TXT=5 644826048 < locked/b_news.txt|" + secret},
      {{"/@", dir_ / "locked/a_secret.txt"}, secret},
      // Only a listing finds "NEWS.TXT"; the name as typed needs none.
      {{dir_ / "xonly/News.txt"}, "XONLY/NEWS.TXT=5 644826048 < xonly/News.txt|"},
  };
  char previous[4096];
  ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(::chdir(motd_.c_str()), 0);
  for (const auto& [arguments, expected] : rows) {
    std::vector<std::string> verbose = {"/v"};
    verbose.insert(verbose.end(), arguments.begin(), arguments.end());
    {
      Unprivileged user;
      Run(verbose);
    }
    std::string seen;
    for (const StringList::Item& item : state_.DisplayList.Items())
      seen += item.text + " < " + item.file + "|";
    for (const ShownBox& box : boxes_.shown)
      seen += box.kind == BoxKind::kError ? box.text + "|" : "";
    for (const std::string& folder : {dir_.path() + "/", UpperCaseAscii(dir_.path() + "/")}) {
      for (size_t at; (at = seen.find(folder)) != std::string::npos;)
        seen.erase(at, folder.size());
    }
    EXPECT_EQ(seen, expected) << ::testing::PrintToString(arguments);
  }
  ASSERT_EQ(::chdir(previous), 0);
  // Listable again, so that the folder can be removed.
  EXPECT_EQ(::chmod((dir_ / "xonly").c_str(), 0700), 0);
}

TEST(ArgumentsFromTest, DropsTheProgramNameAndEmptyArguments) {
  char program[] = "welcomer", empty[] = "", v[] = "/v", spaced[] = " a b ";
  char* argv[] = {program, empty, v, spaced, nullptr};
  EXPECT_EQ(ArgumentsFrom(4, argv), (std::vector<std::string>{"/v", " a b "}));
}

}  // namespace
}  // namespace welcomer
