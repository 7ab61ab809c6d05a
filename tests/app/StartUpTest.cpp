#include "app/Init_Unit.h"

#include <gtest/gtest.h>

#include "platform/AsciiText.h"
#include "tests/support/FakeServices.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

using namespace welcomer::testing;

const std::time_t kMarch1999 = LocalTime(1999, 3, 15, 8, 30, 0);
constexpr const char* kConfigFound = "Config found in NDS:\r\n";

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.MakeDir("motd");
    for (const char* name : {"a_news.txt", "b_rules.txt"}) {
      dir_.WriteFile(std::string("motd/") + name, "1234");
      dir_.SetModified(std::string("motd/") + name, kMarch1999);
    }
    motd_ = dir_ / "motd";
  }

  StartUpResult Run(const std::vector<std::string>& arguments) {
    StartUpServices services{searcher_, launcher_, clock_, format_, [this] {
                               ++clientsCreated_;
                               return std::make_unique<ForwardingNetWareClient>(directory_);
                             }};
    return StartUp(arguments, state_, services);
  }

  std::string Key(const std::string& name) const { return UpperCaseAscii(motd_ + "/" + name); }
  std::string Record(const std::string& name) const {
    return "Welcomer.File." + Key(name) + "=4 644826048";
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
  PosixFileSearcher searcher_;
  RecordingLauncher launcher_;
  FixedClock clock_{{2026, 12, 5, 12, 39, 52}};
  DateTimeFormat format_;
  RunState state_;
  int clientsCreated_ = 0;
};

TEST_F(StartUpTest, UsageEndsWithExitCodeTen) {
  const std::vector<std::vector<std::string>> rows = {
      {},
      {"/?"},
      {"a?b.txt", "/v"},
      {"/f", "/remove"},
      {"/remove", "/F"},
      {"/nt"},
      {"/nt", "/v"},  // /v goes first, leaving /nt without its text
      {"/ro"},
      {"x", "/ro"},
      {"/@"},
  };
  for (const auto& arguments : rows) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    boxes_.shown.clear();
    directory_.calls.clear();
    const StartUpResult result = Run(arguments);
    EXPECT_FALSE(result.showWindow);
    EXPECT_EQ(result.exitCode, 10);
    ASSERT_FALSE(boxes_.shown.empty());
    EXPECT_EQ(boxes_.shown.back(), (ShownBox{BoxKind::kInformation, UsageText()}));
    EXPECT_TRUE(launcher_.started.empty());
    EXPECT_EQ(directory_.CountOf("remove"), 0u);
    EXPECT_FALSE(state_.NetWareClient);
  }
}

TEST_F(StartUpTest, UsageTextLines) {
  const std::string text = UsageText();
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[0], "Welcomer 1.3 Usage:");
  EXPECT_EQ(lines[4], "\t\texample: /ro \"command /cdir h:\\\"");
  EXPECT_EQ(lines[16],
            "/@ dir\\pattern\tshow only files that match this dir\\pattern (e.g. XXX\\*.*)");
  EXPECT_EQ(lines[22], "Timestamps for each textfile are stored in NDS in the \"L\" attribute");
  EXPECT_EQ(text.find('\n', text.size() - 1), std::string::npos);
}

TEST_F(StartUpTest, VerboseAloneListsTheStateAndEnds) {
  directory_.values = {"Berlin", "Welcomer.RunOnce=x"};
  const StartUpResult result = Run({"/v"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_FALSE(result.showWindow);
  EXPECT_EQ(Texts(),
            std::vector<std::string>{std::string(kConfigFound) + "Welcomer.RunOnce=x\r\n"});
  EXPECT_EQ(clientsCreated_, 1);
  EXPECT_FALSE(state_.NetWareClient);
}

TEST_F(StartUpTest, RemoveTakesOnlyOwnEntriesAndEnds) {
  struct Row {
    std::vector<std::string> arguments;
    std::vector<std::string> stored;
    std::vector<std::string> left;
    std::vector<std::string> texts;
  };
  const Row rows[] = {
      {{"/remove", "/ro", "x", "file"},
       {"Berlin", "Welcomer.RunOnce=x", "welcomer.File.X=1", "Welcomer.File.A=1"},
       {"Berlin", "welcomer.File.X=1"},
       {}},
      {{"/v", "/remove"},
       {"Welcomer.RunOnce=x"},
       {},
       {std::string(kConfigFound) + "Welcomer.RunOnce=x\r\n",
        "Succesfully removed Welcomer entrys from NDS"}},
      // Nothing stored: nothing to remove and nothing to say.
      {{"/remove", "/ro", "x"}, {"Berlin"}, {"Berlin"}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    boxes_.shown.clear();
    directory_.values = row.stored;
    const StartUpResult result = Run(row.arguments);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_FALSE(result.showWindow);
    EXPECT_EQ(directory_.values, row.left);
    EXPECT_EQ(Texts(), row.texts);
    EXPECT_TRUE(launcher_.started.empty());
  }
}

TEST_F(StartUpTest, CaptionRule) {
  struct Row {
    std::string typed;
    std::string caption;
  };
  const Row rows[] = {
      {"_thi&s is a text", "Thi&s is a text"},
      {"_good _morning", "Good Morning"},
      {"a_", "a_"},
      {"__x", "_x"},
      {"_", "_"},
      {"x__", "x_"},
      {"_1st", "1st"},
      {"\xc9T\xc9", "\xc9t\xc9"},
      {"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.typed);
    EXPECT_EQ(TransformCaption(UpperCaseAscii(row.typed)), row.caption);
  }
}

TEST_F(StartUpTest, OptionValuesFollowTheOptionOnceEarlierOptionsAreGone) {
  EXPECT_TRUE(Run({"/nt", "/v", "_x", "/ro", "/nt", motd_ + "/a_news.txt"}).showWindow);
  EXPECT_EQ(state_.CheckboxCaption, "X");
  EXPECT_EQ(launcher_.started, std::vector<std::string>{"/nt"});
  EXPECT_EQ(boxes_.shown[0].text, kConfigFound);  // the verbose flag was taken first
}

TEST_F(StartUpTest, RunOnceRunsOnceAndEndsWhenNothingIsLeft) {
  EXPECT_EQ(Run({"/ro", "Touch /tmp/Marker"}).exitCode, 0);
  EXPECT_EQ(launcher_.started, std::vector<std::string>{"Touch /tmp/Marker"});
  EXPECT_EQ(directory_.values,
            std::vector<std::string>{"Welcomer.RunOnce=05/Dec/2026 12:39:52 (TOUCH /TMP/MARKER)"});

  // The next start finds the record and runs nothing, not even with another command.
  EXPECT_EQ(Run({"/v", "/ro", "other"}).exitCode, 0);
  EXPECT_EQ(launcher_.started.size(), 1u);
  EXPECT_EQ(directory_.values.size(), 1u);

  // Force mode reads and stores nothing: the command runs, and a later real start still finds
  // only the first record.
  directory_.values.clear();
  EXPECT_EQ(Run({"/ro", "x", "/f"}).exitCode, 0);
  EXPECT_EQ(launcher_.started.size(), 2u);
  EXPECT_TRUE(directory_.values.empty());
  EXPECT_EQ(directory_.CountOf("read"), 2u);
  EXPECT_EQ(Run({"/ro", "x"}).exitCode, 0);
  EXPECT_EQ(launcher_.started.size(), 3u);
}

// Notes, at each directory call, whether the lock was held.
class WatchedLock : public UserLock {
 public:
  bool Acquire(std::chrono::milliseconds, std::string& reason) override {
    ++acquired;
    reason = refusal;
    held = refusal.empty();
    return held;
  }
  void Release() override { held = false; }
  bool held = false;
  int acquired = 0;
  std::string refusal;
};

class LockWatchingClient : public ForwardingNetWareClient {
 public:
  LockWatchingClient(NetWareClient& target, const WatchedLock& lock,
                     std::vector<std::string>& heldAt)
      : ForwardingNetWareClient(target), lock_(lock), heldAt_(heldAt) {}
  bool ReadAttributeValues(const std::string& c, const std::string& o, TNWDSAttribute a,
                           std::vector<std::string>& v) override {
    heldAt_.push_back("read:" + std::to_string(lock_.held));
    return ForwardingNetWareClient::ReadAttributeValues(c, o, a, v);
  }
  bool AddAttributeValue(const std::string& c, const std::string& o, TNWDSAttribute a,
                         const std::string& v) override {
    heldAt_.push_back("add:" + std::to_string(lock_.held));
    return ForwardingNetWareClient::AddAttributeValue(c, o, a, v);
  }

 private:
  const WatchedLock& lock_;
  std::vector<std::string>& heldAt_;
};

TEST_F(StartUpTest, TheLockSpansReadingTheStateThroughStoringTheRunOnceRecord) {
  struct Row {
    std::vector<std::string> arguments;
    std::string refusal;
    std::vector<std::string> heldAt;
    size_t started;
  };
  const std::string waited = "another run held the lock too long";
  const Row rows[] = {
      {{"/ro", "setup"}, "", {"read:1", "add:1"}, 1},
      {{"/ro", "setup", "/v"}, waited, {"read:0", "add:0"}, 1},  // goes on as without a lock
      {{"/ro", "setup", "/f"}, "", {}, 1},                       // nothing read, nothing stored
      {{"/v", "/@", motd_}, "", {"read:0"}, 0},                  // no run-once, no lock
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    directory_.values.clear();
    launcher_.started.clear();
    boxes_.shown.clear();
    WatchedLock lock;
    lock.refusal = row.refusal;
    std::vector<std::string> heldAt;
    StartUpServices services{
        searcher_, launcher_, clock_, format_,
        [&] { return std::make_unique<LockWatchingClient>(directory_, lock, heldAt); }};
    services.userLock = &lock;
    StartUp(row.arguments, state_, services);
    EXPECT_EQ(heldAt, row.heldAt);
    EXPECT_FALSE(lock.held) << "released before the pages";
    EXPECT_EQ(launcher_.started.size(), row.started);
    EXPECT_EQ(lock.acquired, row.heldAt.size() == 2 ? 1 : 0);
    if (!row.refusal.empty()) {
      EXPECT_EQ(boxes_.shown[0].text, "Going on without the lock of this user: " + waited);
    }
  }
}

TEST_F(StartUpTest, VerboseModeSaysWhyThereIsNoStateAndWhichPathsCannotBeRemembered) {
  directory_.whyUnusable = "the directory client could not be loaded: libnetwin32.so: missing";
  dir_.MakeDir("motd/" + std::string(230, 'd'));
  const std::string longName = "motd/" + std::string(230, 'd') + "/x.txt";
  dir_.WriteFile(longName, "1");
  const std::string longPath = UpperCaseAscii(dir_ / longName);
  EXPECT_TRUE(Run({"/v", motd_ + "/a_news.txt", dir_ / longName}).showWindow);
  const std::vector<std::string> texts = Texts();
  ASSERT_GE(texts.size(), 4u);
  EXPECT_EQ(texts[0], kConfigFound);
  EXPECT_EQ(texts[1], "No state can be kept: " + directory_.whyUnusable);
  EXPECT_EQ(texts[texts.size() - 2],
            "These paths are too long to be remembered, so their pages show at every login:\r\n" +
                longPath + "\r\n");
}

TEST_F(StartUpTest, NoFileQuestion) {
  struct Row {
    std::vector<std::string> arguments;
    bool answer;
    int exitCode;
    bool hint;
    std::vector<std::string> before;
  };
  const Row rows[] = {
      {{"/x"}, false, 0, true, {}},
      {{"/x"}, true, 10, true, {}},
      {{"/v", "/x", "/v"},
       false,
       0,
       true,
       {kConfigFound, "Could not find file /X", "Could not find file /V"}},
      {{"/@", "/nowhere"}, false, 0, false, {}},
      // The "?" only counts in the first argument.
      {{"/v", "x/?"}, false, 0, true, {kConfigFound, "Could not find file X/?"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    boxes_.shown.clear();
    boxes_.answers = {row.answer};
    const StartUpResult result = Run(row.arguments);
    EXPECT_EQ(result.exitCode, row.exitCode);
    EXPECT_FALSE(result.showWindow);
    std::vector<std::string> texts = Texts();
    ASSERT_FALSE(texts.empty());
    size_t question = 0;
    while (question < boxes_.shown.size() && boxes_.shown[question].kind != BoxKind::kConfirm) {
      ++question;
    }
    ASSERT_LT(question, boxes_.shown.size());
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + question), row.before);
    EXPECT_EQ(texts[question].find("Use /@") != std::string::npos, row.hint);
    EXPECT_EQ(boxes_.shown.size(), question + (row.answer ? 2 : 1));
    EXPECT_FALSE(state_.NetWareClient);
  }
}

TEST_F(StartUpTest, ChangedFilesGoToTheWindowAndStaleRecordsGo) {
  dir_.SetModified("motd/b_rules.txt", kMarch1999 + 60);
  directory_.values = {Record("a_news.txt"), Record("b_rules.txt"), "Berlin"};
  const StartUpResult result = Run({"/v", "/@", motd_, "ignored.txt"});
  ASSERT_TRUE(result.showWindow);
  ASSERT_EQ(state_.DisplayList.Count(), 1u);
  EXPECT_EQ(NameOf(state_.DisplayList[0]), Key("B_RULES.TXT"));
  EXPECT_EQ(state_.CurrentPage, 0);
  EXPECT_EQ(state_.StoredEntries.Count(), 2u);
  EXPECT_EQ(directory_.values, (std::vector<std::string>{Record("a_news.txt"), "Berlin"}));
  ASSERT_EQ(boxes_.shown.size(), 3u);
  EXPECT_EQ(boxes_.shown[1].text.rfind("Files to track:\r\n", 0), 0u);
  EXPECT_EQ(boxes_.shown[2].text, "Files to display:\r\n" + state_.DisplayList.Text());
  EXPECT_TRUE(state_.NetWareClient);
}

TEST_F(StartUpTest, EveryFileUnchangedEndsQuietly) {
  directory_.values = {Record("a_news.txt"), Record("b_rules.txt")};
  const StartUpResult result = Run({"/@", motd_});
  EXPECT_FALSE(result.showWindow);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(directory_.CountOf("remove"), 0u);
  EXPECT_FALSE(state_.NetWareClient);
}

TEST_F(StartUpTest, ForceModeShowsEverythingAndTouchesNothing) {
  directory_.values = {Record("a_news.txt"), Record("b_rules.txt")};
  const StartUpResult result = Run({"/f", "/v", "/@", motd_});
  ASSERT_TRUE(result.showWindow);
  EXPECT_TRUE(state_.ForceMode);
  EXPECT_EQ(state_.DisplayList.Count(), 2u);
  EXPECT_TRUE(state_.StoredEntries.Empty());
  EXPECT_TRUE(directory_.calls.empty());
  // Only "Files to display:" — no state listing, no "Files to track:".
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text.rfind("Files to display:", 0), 0u);
}

TEST_F(StartUpTest, RepeatedOptionIsAFileArgument) {
  const StartUpResult result = Run({"/V", "/v", motd_ + "/A_NEWS.TXT"});
  ASSERT_TRUE(result.showWindow);
  ASSERT_EQ(state_.DisplayList.Count(), 1u);
  EXPECT_EQ(state_.DisplayList[0], Key("A_NEWS.TXT") + "=4 644826048");
  EXPECT_EQ(Texts()[1], "Could not find file /V");
}

TEST(ArgumentsFromTest, DropsTheProgramNameAndEmptyArguments) {
  char program[] = "welcomer", empty[] = "", v[] = "/v", spaced[] = " a b ";
  char* argv[] = {program, empty, v, spaced, nullptr};
  EXPECT_EQ(ArgumentsFrom(4, argv), (std::vector<std::string>{"/v", " a b "}));
}

}  // namespace
}  // namespace welcomer
