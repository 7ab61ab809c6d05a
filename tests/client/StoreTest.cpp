// The database under what a login meets: two runs at once, a run killed half-way, a damaged or
// foreign file, a home or folder that cannot be written.

#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/client/ClientFixture.h"

namespace welcomer::testing {
namespace {

using ::testing::ElementsAre;

using StoreTest = ClientTest;

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Starts client_probe with `arguments`; the first line it prints is its process ID.
FILE* StartProbe(const std::string& arguments, pid_t* pid = nullptr) {
  FILE* output = ::popen(("exec '" CLIENT_PROBE_PATH "' " + arguments).c_str(), "r");
  char line[32];
  const bool started = output != nullptr && std::fgets(line, sizeof line, output) != nullptr;
  if (pid != nullptr)
    *pid = started ? std::atoi(line) : -1;
  return output;
}

// Reads the rest of the probe's output and tells how it ended.
int Finish(FILE* probe) {
  char line[64];
  while (probe != nullptr && std::fgets(line, sizeof line, probe) != nullptr) {
  }
  const int status = probe != nullptr ? ::pclose(probe) : -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The codes a fresh run (`mode` "codes"), or one bound by file modes ("restricted"), gets for a
// read and an add, and 0 when it knows the user.
std::vector<int32_t> RestrictedReadAddWho(const std::string& mode = "restricted") {
  FILE* probe = StartProbe(mode);
  int codes[3];
  const bool complete =
      probe != nullptr && std::fscanf(probe, "%d %d %d", &codes[0], &codes[1], &codes[2]) == 3;
  EXPECT_EQ(Finish(probe), 0) << "the restricted run failed or crashed";
  return complete ? std::vector<int32_t>(codes, codes + 3) : std::vector<int32_t>{};
}

TEST_F(StoreTest, TwoRunsOfTheSameUserAtOnceLoseNothing) {
  // From a fresh folder, so that both also race to make the database.
  constexpr int kEach = 150;
  FILE* first = StartProbe("A " + std::to_string(kEach));
  FILE* second = StartProbe("B " + std::to_string(kEach));
  EXPECT_EQ(Finish(first), 0);
  EXPECT_EQ(Finish(second), 0);

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
  // A writer in the middle of its transaction; readers wait only for the moment of a commit.
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

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
    pid_t pid = -1;
    FILE* probe = StartProbe(prefix, &pid);
    ASSERT_GT(pid, 0);
    long last = -1;
    char line[64];
    while (last < 5 + round * 40 && std::fgets(line, sizeof line, probe) != nullptr)
      last = std::atol(line);
    // Somewhere inside the next change, most likely.
    std::this_thread::sleep_for(std::chrono::microseconds(300 * round));
    ::kill(pid, SIGKILL);
    EXPECT_EQ(Finish(probe), 128 + SIGKILL);

    ASSERT_EQ(Sql(DatabasePath(), "PRAGMA integrity_check"), "ok");
    const ReadOutcome read = ReadValues(ctx(), user, "L");
    ASSERT_EQ(read.result, 0);
    ASSERT_GE(static_cast<long>(read.values.size()), last + 1) << "a change reported done is kept";
    for (size_t i = 0; i < read.values.size(); ++i)
      EXPECT_EQ(read.values[i], prefix + "-" + std::to_string(i));
    // Usable afterwards; the next round starts from no values.
    EXPECT_EQ(ChangeValues(ctx(), user, "L", kClearAttribute, kCiString, {}), 0);
  }
}

TEST_F(StoreTest, ADamagedOrForeignFileIsReportedAndLeftAsItIs) {
  const struct {
    const char* name;
    void (*damage)(const std::string& path);
    int32_t expected;
  } cases[] = {
      {"cut header", [](const std::string& p) { std::ofstream(p) << "SQLite for"; },
       kNWErrInconsistentDatabase},
      {"damaged page",
       [](const std::string& p) {
         std::fstream(p, std::ios::binary | std::ios::in | std::ios::out).seekp(4096)
             << std::string(64, '\xff');
       },
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
    // The file is checked once per process, so a fresh one meets the damage.
    EXPECT_THAT(RestrictedReadAddWho("codes"), ElementsAre(c.expected, c.expected, 0));
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
  ASSERT_EQ(ChangeValues(ctx(), user, "Login Grace Limit", kAddValue, kInteger, {word}), 0);
  EXPECT_EQ(ChangeValues(ctx(), user, "Login Grace Limit", kAddValue, kCiString, {"43"}),
            kNWErrSyntaxViolation);
  EXPECT_EQ(ChangeValues(ctx(), user, "L", kAddValue, 9, {"octets"}), kNWErrInvalidAttrSyntax);
  // A stored value longer than a word must still come out as one word, and no more.
  Sql(DatabasePath(),
      "UPDATE attribute_values SET value = x'2a000000ffffffffffff' "
      "WHERE attribute = 'Login Grace Limit'");
  const ReadOutcome read = ReadValues(ctx(), user, "Login Grace Limit");
  EXPECT_EQ(read.syntax, kInteger);
  EXPECT_TRUE(read.exact) << "written past the reported size";
  EXPECT_THAT(read.values, ElementsAre(word));
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
