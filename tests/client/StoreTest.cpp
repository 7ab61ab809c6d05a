// The database under what a login meets: first use, two runs at once, a run killed half-way,
// a damaged or foreign file, a home that cannot be written.

#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "tests/client/ClientFixture.h"

extern char** environ;

namespace welcomer::testing {
namespace {

using ::testing::ElementsAre;

using StoreTest = ClientTest;

mode_t ModeOf(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// Runs one SQL text on the database directly, past the client; the first column of the first
// row comes back.
std::string Sql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string answer;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
      SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0) != nullptr)
      answer = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return answer;
}

pid_t StartProbe(const std::vector<std::string>& arguments, int* output = nullptr) {
  std::vector<std::string> words = {CLIENT_PROBE_PATH};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int pipeEnds[2] = {-1, -1};
  if (output != nullptr) {
    if (::pipe(pipeEnds) != 0)
      return -1;
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  }
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
    pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  if (output != nullptr) {
    ::close(pipeEnds[1]);
    *output = pipeEnds[0];
  }
  return pid;
}

int WaitFor(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid)
    return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(StoreTest, FirstUseMakesAPrivateFolderAndFile) {
  EXPECT_EQ(ModeOf(temp / "state"), 0u) << "nothing before the first use";
  ASSERT_EQ(AddText(ctx(), user, "L", "v"), 0);
  EXPECT_EQ(ModeOf(temp / "state"), 0700u);
  EXPECT_EQ(ModeOf(temp / "state/welcomer"), 0700u);
  EXPECT_EQ(ModeOf(DatabasePath()), 0600u);
  EXPECT_EQ(Sql(DatabasePath(), "PRAGMA journal_mode"), "wal");
  EXPECT_EQ(Sql(DatabasePath(), "PRAGMA integrity_check"), "ok");
}

TEST_F(StoreTest, WithoutXdgStateHomeTheStateLivesInTheHomeFolder) {
  ::unsetenv("XDG_STATE_HOME");
  const char* home = std::getenv("HOME");
  const std::string savedHome = home != nullptr ? home : "";
  ::setenv("HOME", temp.path().c_str(), 1);
  const int32_t result = AddText(ctx(), user, "L", "v");
  if (home != nullptr)
    ::setenv("HOME", savedHome.c_str(), 1);
  else
    ::unsetenv("HOME");
  ASSERT_EQ(result, 0);
  EXPECT_EQ(ModeOf(temp / ".local/state/welcomer/directory.sqlite3"), 0600u);
}

TEST_F(StoreTest, TwoRunsOfTheSameUserAtOnceLoseNothing) {
  // From a fresh folder, so that both also race to make the database.
  constexpr int kEach = 150;
  const pid_t first = StartProbe({"add", "A", std::to_string(kEach)});
  const pid_t second = StartProbe({"add", "B", std::to_string(kEach)});
  ASSERT_GT(first, 0);
  ASSERT_GT(second, 0);
  EXPECT_EQ(WaitFor(first), 0);
  EXPECT_EQ(WaitFor(second), 0);

  ReadOutcome read = ReadTexts(ctx(), user, "L");
  ASSERT_EQ(read.result, 0);
  ASSERT_EQ(read.values.size(), 2u * kEach);
  int nextA = 0;
  int nextB = 0;
  for (size_t i = 0; i < read.values.size(); ++i) {
    const std::string& value = read.values[i];
    int& next = value[0] == 'A' ? nextA : nextB;
    EXPECT_EQ(value.substr(2), std::to_string(next)) << "each run's values in its own order";
    ++next;
  }
  EXPECT_EQ(Sql(DatabasePath(), "PRAGMA integrity_check"), "ok");
}

TEST_F(StoreTest, AWriterThatHoldsTheStoreTooLongDelaysOnlyWritesAndOnlyForAWhile) {
  ASSERT_EQ(AddText(ctx(), user, "L", "stored"), 0);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(DatabasePath().c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

  EXPECT_THAT(ReadTexts(ctx(), user, "L").values, ElementsAre("stored"));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(AddText(ctx(), user, "L", "new"), kNWErrStoreBusy);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::seconds(4));
  EXPECT_LT(waited, std::chrono::seconds(30));

  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(AddText(ctx(), user, "L", "new"), 0);
}

TEST_F(StoreTest, ARunKilledHalfWayLeavesEveryStoredValueWhole) {
  for (int round = 0; round < 3; ++round) {
    const std::string prefix = "K" + std::to_string(round);
    int output = -1;
    const pid_t probe = StartProbe({"add-until-killed", prefix}, &output);
    ASSERT_GT(probe, 0);
    FILE* lines = ::fdopen(output, "r");
    ASSERT_NE(lines, nullptr);
    long last = -1;
    char line[64];
    const long stopAfter = 5 + round * 40;
    while (last < stopAfter && std::fgets(line, sizeof line, lines) != nullptr)
      last = std::atol(line);
    // Somewhere inside the next change, most likely.
    std::this_thread::sleep_for(std::chrono::microseconds(300 * round));
    ::kill(probe, SIGKILL);
    EXPECT_EQ(WaitFor(probe), 128 + SIGKILL);
    std::fclose(lines);

    ASSERT_EQ(Sql(DatabasePath(), "PRAGMA integrity_check"), "ok");
    ReadOutcome read = ReadTexts(ctx(), user, "L");
    ASSERT_EQ(read.result, 0);
    std::vector<std::string> mine;
    for (const std::string& value : read.values)
      if (value.rfind(prefix + "-", 0) == 0)
        mine.push_back(value);
    ASSERT_GE(static_cast<long>(mine.size()), last + 1) << "a change reported done is kept";
    for (size_t i = 0; i < mine.size(); ++i)
      EXPECT_EQ(mine[i], prefix + "-" + std::to_string(i));
    EXPECT_EQ(AddText(ctx(), user, "L", prefix + "-after"), 0) << "usable afterwards";
  }
}

struct DamageCase {
  const char* name;
  std::function<void(const std::string& path)> damage;
  int32_t expected;
};

class DamagedStoreTest : public ClientTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedStoreTest, IsReportedAndLeftAsItIs) {
  ASSERT_EQ(AddText(ctx(), user, "L", "stored"), 0);
  GetParam().damage(DatabasePath());
  const std::string before = FileBytes(DatabasePath());
  ASSERT_FALSE(before.empty());

  EXPECT_EQ(ReadTexts(ctx(), user, "L").result, GetParam().expected);
  EXPECT_EQ(AddText(ctx(), user, "L", "new"), GetParam().expected);
  EXPECT_EQ(RemoveText(ctx(), user, "L", "stored"), GetParam().expected);
  EXPECT_EQ(WhoAmI(ctx()), user) << "who the user is does not depend on the store";
  EXPECT_TRUE(FileBytes(DatabasePath()) == before) << "never written over";
}

void Overwrite(const std::string& path, const std::string& bytes, long offset, bool truncate) {
  if (truncate) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return;
  }
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  file.seekp(offset);
  file << bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedStoreTest,
    ::testing::Values(
        DamageCase{"Text",
                   [](const std::string& path) {
                     Overwrite(path, std::string(50, '\n') + "my notes, not a database", 0, true);
                   },
                   kNWErrInconsistentDatabase},
        DamageCase{"CutHeader",
                   [](const std::string& path) { Overwrite(path, "SQLite for", 0, true); },
                   kNWErrInconsistentDatabase},
        DamageCase{
            "DamagedPage",
            [](const std::string& path) { Overwrite(path, std::string(64, '\xff'), 4096, false); },
            kNWErrInconsistentDatabase},
        DamageCase{"ForeignDatabase",
                   [](const std::string& path) {
                     std::remove(path.c_str());
                     Sql(path, "CREATE TABLE notes(text)");
                     Sql(path, "INSERT INTO notes VALUES ('mine')");
                   },
                   kNWErrDatabaseFormat},
        DamageCase{"NewerVersion",
                   [](const std::string& path) { Sql(path, "PRAGMA user_version = 2"); },
                   kNWErrDatabaseFormat}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return info.param.name; });

TEST_F(StoreTest, AnEmptyFileIsSetUpAfresh) {
  ASSERT_EQ(::mkdir((temp / "state").c_str(), 0700), 0);
  ASSERT_EQ(::mkdir((temp / "state/welcomer").c_str(), 0700), 0);
  temp.WriteFile("state/welcomer/directory.sqlite3", "");
  EXPECT_EQ(AddText(ctx(), user, "L", "v"), 0);
  EXPECT_THAT(ReadTexts(ctx(), user, "L").values, ElementsAre("v"));
}

TEST_F(StoreTest, SomethingElseInPlaceOfTheFileIsNoStore) {
  ASSERT_EQ(::mkdir((temp / "state").c_str(), 0700), 0);
  ASSERT_EQ(::mkdir((temp / "state/welcomer").c_str(), 0700), 0);
  ASSERT_EQ(::mkfifo(DatabasePath().c_str(), 0600), 0);
  EXPECT_EQ(ReadTexts(ctx(), user, "L").result, kNWErrStoreUnavailable) << "and does not hang";
  ASSERT_EQ(::unlink(DatabasePath().c_str()), 0);
  ASSERT_EQ(::mkdir(DatabasePath().c_str(), 0700), 0);
  EXPECT_EQ(AddText(ctx(), user, "L", "v"), kNWErrStoreUnavailable);
}

TEST_F(StoreTest, AWordOfAnotherLengthInTheStoreIsHandedOutAsOneWord) {
  const uint32_t answer = 42;
  ASSERT_EQ(ChangeValue(ctx(), user, "Login Grace Limit", kAddValue, kInteger, &answer), 0);
  Sql(DatabasePath(),
      "UPDATE attribute_values SET value = x'2a000000ffffffffffff' "
      "WHERE attribute = 'Login Grace Limit'");
  ASSERT_EQ(Sql(DatabasePath(),
                "SELECT length(value) FROM attribute_values WHERE attribute = 'Login Grace Limit'"),
            "10");
  NWDSBuf* request = nullptr;
  NWDSBuf* result = nullptr;
  ASSERT_EQ(NWDSAllocBuf(4096, &request), 0);
  ASSERT_EQ(NWDSAllocBuf(4096, &result), 0);
  ASSERT_EQ(NWDSInitBuf(ctx(), 3, request), 0);
  ASSERT_EQ(NWDSPutAttrName(ctx(), request, "Login Grace Limit"), 0);
  int32_t iteration = -1;
  ASSERT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, &iteration, result), 0);
  uint32_t count = 0;
  uint32_t values = 0;
  uint32_t syntax = 0;
  uint32_t size = 0;
  char name[34];
  ASSERT_EQ(NWDSGetAttrCount(ctx(), result, &count), 0);
  ASSERT_EQ(NWDSGetAttrName(ctx(), result, name, &values, &syntax), 0);
  ASSERT_EQ(NWDSComputeAttrValSize(ctx(), result, syntax, &size), 0);
  EXPECT_EQ(size, 4u);
  uint32_t words[2] = {0, 0x23232323};
  ASSERT_EQ(NWDSGetAttrVal(ctx(), result, syntax, words), 0);
  EXPECT_EQ(words[0], answer);
  EXPECT_EQ(words[1], 0x23232323u) << "written past the reported size";
  NWDSFreeBuf(result);
  NWDSFreeBuf(request);
}

// What a restricted run sees: the codes of a read, an add and WhoAmI.
std::vector<int32_t> ReadAddWho() {
  ClientContext context;
  const std::string me = WhoAmI(context.handle());
  return {ReadTexts(context.handle(), me, "L").result, AddText(context.handle(), me, "L", "x"),
          me.empty() ? -1 : 0};
}

TEST_F(StoreTest, AHomeThatCannotBeWrittenGivesErrors) {
  ASSERT_EQ(::chmod(temp.path().c_str(), 0555), 0);
  const std::vector<int32_t> codes = RunRestricted(ReadAddWho);
  ::chmod(temp.path().c_str(), 0700);
  ASSERT_EQ(codes.size(), 3u);
  EXPECT_EQ(codes[0], kNWErrStoreUnavailable);
  EXPECT_EQ(codes[1], kNWErrStoreUnavailable);
  EXPECT_EQ(codes[2], 0);
  EXPECT_EQ(ModeOf(temp / "state"), 0u);
}

TEST_F(StoreTest, AStoreThatCannotBeReadGivesErrorsAndStaysAsItIs) {
  // The restricted run is another user when the tests run as root: it owns the folder, and the
  // database is there but not readable for it.
  const std::string folder = temp / "state/welcomer";
  ASSERT_EQ(AddText(ctx(), user, "L", "stored"), 0);
  const std::string before = FileBytes(DatabasePath());
  ASSERT_EQ(::chmod(temp.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod((temp / "state").c_str(), 0755), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
  }
  ASSERT_EQ(::chmod(DatabasePath().c_str(), 0000), 0);
  const std::vector<int32_t> codes = RunRestricted(ReadAddWho);
  ::chmod(DatabasePath().c_str(), 0600);
  ASSERT_EQ(codes.size(), 3u);
  EXPECT_EQ(codes[0], kNWErrStoreUnavailable);
  EXPECT_EQ(codes[1], kNWErrStoreUnavailable);
  EXPECT_TRUE(FileBytes(DatabasePath()) == before);
}

TEST_F(StoreTest, AStoreInAFolderThatCannotBeWrittenKeepsItsData) {
  const std::string folder = temp / "state/welcomer";
  ASSERT_EQ(AddText(ctx(), user, "L", "stored"), 0);
  const std::string before = FileBytes(DatabasePath());
  ASSERT_EQ(::chmod(temp.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod((temp / "state").c_str(), 0755), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
  ASSERT_EQ(::chmod(DatabasePath().c_str(), 0444), 0);
  const std::vector<int32_t> codes = RunRestricted(ReadAddWho);
  ::chmod(folder.c_str(), 0700);
  ASSERT_EQ(codes.size(), 3u);
  // Reading may or may not work without the database's side files; a change never does.
  EXPECT_TRUE(codes[0] == kNWErrNoSuchEntry || codes[0] < 0) << codes[0];
  EXPECT_NE(codes[1], 0);
  EXPECT_TRUE(FileBytes(DatabasePath()) == before);
}

}  // namespace
}  // namespace welcomer::testing
