// The database under what a login meets: two runs at once, a run killed half-way, a damaged or
// foreign file, a home or folder that cannot be written.

#include <grp.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/client/ClientFixture.h"

namespace welcomer::testing {
namespace {

using ::testing::ElementsAre;

using StoreTest = ClientTest;

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Runs one SQL text on the database past the client; the first column of the first row.
std::string Sql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string answer;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
      sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0) != nullptr)
    answer = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return answer;
}

// Starts client_probe; with `output`, its standard output comes back through a pipe.
pid_t StartProbe(std::vector<std::string> words, FILE** output = nullptr) {
  words.insert(words.begin(), CLIENT_PROBE_PATH);
  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);
  int pipeEnds[2] = {-1, -1};
  if (output != nullptr && ::pipe(pipeEnds) != 0)
    return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (output != nullptr)
      ::dup2(pipeEnds[1], STDOUT_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  if (output != nullptr) {
    ::close(pipeEnds[1]);
    *output = ::fdopen(pipeEnds[0], "r");
  }
  return pid;
}

int WaitFor(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid)
    return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(StoreTest, TwoRunsOfTheSameUserAtOnceLoseNothing) {
  // From a fresh folder, so that both also race to make the database.
  constexpr int kEach = 150;
  const pid_t first = StartProbe({"add", "A", std::to_string(kEach)});
  const pid_t second = StartProbe({"add", "B", std::to_string(kEach)});
  ASSERT_TRUE(first > 0 && second > 0);
  EXPECT_EQ(WaitFor(first), 0);
  EXPECT_EQ(WaitFor(second), 0);

  const ReadOutcome read = ReadValues(ctx(), user, "L");
  ASSERT_EQ(read.result, 0);
  ASSERT_EQ(read.values.size(), 2u * kEach);
  int next[2] = {0, 0};
  for (const std::string& value : read.values) {
    int& expected = next[value[0] == 'A' ? 0 : 1];
    EXPECT_EQ(value.substr(2), std::to_string(expected++)) << "each run's values in its order";
  }
  EXPECT_EQ(Sql(DatabasePath(), "PRAGMA integrity_check"), "ok");
}

TEST_F(StoreTest, AWriterThatHoldsTheStoreTooLongDelaysOnlyWritesAndOnlyForAWhile) {
  ASSERT_EQ(AddText(ctx(), user, "L", "stored"), 0);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(DatabasePath().c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

  EXPECT_THAT(ReadValues(ctx(), user, "L").values, ElementsAre("stored"));
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
    FILE* lines = nullptr;
    const pid_t probe = StartProbe({"add-until-killed", prefix}, &lines);
    ASSERT_GT(probe, 0);
    ASSERT_NE(lines, nullptr);
    long last = -1;
    char line[64];
    while (last < 5 + round * 40 && std::fgets(line, sizeof line, lines) != nullptr)
      last = std::atol(line);
    // Somewhere inside the next change, most likely.
    std::this_thread::sleep_for(std::chrono::microseconds(300 * round));
    ::kill(probe, SIGKILL);
    EXPECT_EQ(WaitFor(probe), 128 + SIGKILL);
    std::fclose(lines);

    ASSERT_EQ(Sql(DatabasePath(), "PRAGMA integrity_check"), "ok");
    const ReadOutcome read = ReadValues(ctx(), user, "L");
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

// Writes `bytes` at `offset`, or in place of everything when `offset` is negative.
void Overwrite(const std::string& path, const std::string& bytes, long offset) {
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out |
                              (offset < 0 ? std::ios::trunc : std::ios::openmode()));
  file.seekp(offset < 0 ? 0 : offset);
  file << bytes;
}

TEST_F(StoreTest, ADamagedOrForeignFileIsReportedAndLeftAsItIs) {
  const struct {
    const char* name;
    void (*damage)(const std::string& path);
    int32_t expected;
  } cases[] = {
      {"text", [](const std::string& p) { Overwrite(p, "\n\nmy notes, not a database", -1); },
       kNWErrInconsistentDatabase},
      {"cut header", [](const std::string& p) { Overwrite(p, "SQLite for", -1); },
       kNWErrInconsistentDatabase},
      {"damaged page", [](const std::string& p) { Overwrite(p, std::string(64, '\xff'), 4096); },
       kNWErrInconsistentDatabase},
      {"foreign database",
       [](const std::string& p) {
         std::remove(p.c_str());
         Sql(p, "CREATE TABLE notes(text)");
       },
       kNWErrDatabaseFormat},
      {"newer version", [](const std::string& p) { Sql(p, "PRAGMA user_version = 2"); },
       kNWErrDatabaseFormat},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(DatabasePath().c_str());
    ASSERT_EQ(AddText(ctx(), user, "L", "stored"), 0);
    c.damage(DatabasePath());
    const std::string before = FileBytes(DatabasePath());
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(ReadValues(ctx(), user, "L").result, c.expected);
    EXPECT_EQ(AddText(ctx(), user, "L", "new"), c.expected);
    EXPECT_EQ(RemoveText(ctx(), user, "L", "stored"), c.expected);
    EXPECT_EQ(WhoAmI(ctx()), user) << "who the user is does not depend on the store";
    EXPECT_TRUE(FileBytes(DatabasePath()) == before) << "never written over";
  }
}

TEST_F(StoreTest, OnlyAFileCanHoldTheStore) {
  temp.MakeDir("state");
  temp.MakeDir("state/welcomer");
  ASSERT_EQ(::mkfifo(DatabasePath().c_str(), 0600), 0);
  EXPECT_EQ(ReadValues(ctx(), user, "L").result, kNWErrStoreUnavailable) << "and does not hang";
  ASSERT_EQ(::unlink(DatabasePath().c_str()), 0);
  ASSERT_EQ(::mkdir(DatabasePath().c_str(), 0700), 0);
  EXPECT_EQ(AddText(ctx(), user, "L", "v"), kNWErrStoreUnavailable);
  ASSERT_EQ(::rmdir(DatabasePath().c_str()), 0);
  temp.WriteFile("state/welcomer/directory.sqlite3", "");
  EXPECT_EQ(AddText(ctx(), user, "L", "v"), 0) << "an empty file is set up afresh";
  EXPECT_THAT(ReadValues(ctx(), user, "L").values, ElementsAre("v"));
}

TEST_F(StoreTest, WordValuesAreHandedOutAsOneWordWhateverTheStoreHolds) {
  const uint32_t answer = 42;
  const std::string word(reinterpret_cast<const char*>(&answer), 4);
  ASSERT_EQ(ChangeValues(ctx(), user, "Login Grace Limit", kAddValue, kInteger, {&answer}), 0);
  EXPECT_EQ(ChangeValues(ctx(), user, "Login Grace Limit", kAddValue, kCiString, {"43"}),
            kNWErrSyntaxViolation);
  EXPECT_EQ(ChangeValues(ctx(), user, "L", kAddValue, 9, {"octets"}), kNWErrInvalidAttrSyntax);
  ReadOutcome read = ReadValues(ctx(), user, "Login Grace Limit");
  EXPECT_EQ(read.syntax, kInteger);
  EXPECT_TRUE(read.exact);
  EXPECT_THAT(read.values, ElementsAre(word));

  Sql(DatabasePath(),
      "UPDATE attribute_values SET value = x'2a000000ffffffffffff' "
      "WHERE attribute = 'Login Grace Limit'");
  read = ReadValues(ctx(), user, "Login Grace Limit");
  EXPECT_TRUE(read.exact) << "written past the reported size";
  EXPECT_THAT(read.values, ElementsAre(word));
}

// Runs the client in a child process bound by file modes (as root, the child becomes "nobody")
// and gives the codes of a read and an add there, and 0 when it still knows the user.
std::vector<int32_t> RestrictedReadAddWho() {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0)
    return {};
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
      ::_exit(3);
    ClientContext context;
    const std::string me = WhoAmI(context.handle());
    const int32_t codes[] = {ReadValues(context.handle(), me, "L").result,
                             AddText(context.handle(), me, "L", "x"), me.empty() ? -1 : 0};
    ::_exit(::write(pipeEnds[1], codes, sizeof codes) == sizeof codes ? 0 : 4);
  }
  ::close(pipeEnds[1]);
  std::vector<int32_t> codes(3);
  const bool complete = ::read(pipeEnds[0], codes.data(), 12) == 12;
  ::close(pipeEnds[0]);
  EXPECT_EQ(WaitFor(child), 0) << "the restricted run failed or crashed";
  return complete ? codes : std::vector<int32_t>{};
}

TEST_F(StoreTest, WhatTheRunCannotWriteGivesErrorsAndStaysAsItIs) {
  // A home it cannot write, where nothing is made...
  ASSERT_EQ(::chmod(temp.path().c_str(), 0555), 0);
  EXPECT_THAT(RestrictedReadAddWho(),
              ElementsAre(kNWErrStoreUnavailable, kNWErrStoreUnavailable, 0));
  EXPECT_EQ(::access((temp / "state").c_str(), F_OK), -1) << "nothing made";
  ASSERT_EQ(::chmod(temp.path().c_str(), 0755), 0);
  const std::string folder = temp / "state/welcomer";
  ASSERT_EQ(AddText(ctx(), user, "L", "stored"), 0);
  const std::string before = FileBytes(DatabasePath());
  ASSERT_EQ(::chmod((temp / "state").c_str(), 0755), 0);
  // ...then a file it cannot read in a folder of its own...
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
  }
  ASSERT_EQ(::chmod(DatabasePath().c_str(), 0000), 0);
  EXPECT_THAT(RestrictedReadAddWho(),
              ElementsAre(kNWErrStoreUnavailable, kNWErrStoreUnavailable, 0));
  // ...then a file it can read in a folder it cannot write.
  ASSERT_EQ(::chmod(DatabasePath().c_str(), 0444), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
  const std::vector<int32_t> codes = RestrictedReadAddWho();
  ::chmod(folder.c_str(), 0700);
  ASSERT_EQ(codes.size(), 3u);
  EXPECT_NE(codes[1], 0) << "a change cannot work";
  EXPECT_TRUE(FileBytes(DatabasePath()) == before);
}

}  // namespace
}  // namespace welcomer::testing
