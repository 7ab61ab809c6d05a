// The database as it sits in a home folder and under what a login meets: the journal, what a
// login that only reads leaves behind, two runs at once, a run killed half-way, a damaged or
// foreign file, folders that are not the user's or cannot be written.

#include <signal.h>
#include <sqlite3.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/client/ClientFixture.h"

namespace welcomer::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

using StoreTest = ClientTest;

TEST_F(StoreTest, ChangesShareOneConnectionAndARollbackJournalThatLeavesNothingBehind) {
  ASSERT_EQ(AddText(ctx(), user, "L", "first"), 0);
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(::inotify_add_watch(watch, DatabasePath().c_str(), IN_OPEN), 0);
  for (int page = 0; page < 20; ++page)
    ASSERT_EQ(AddText(ctx(), user, "L", "page " + std::to_string(page)), 0);
  char events[4096];
  EXPECT_EQ(::read(watch, events, sizeof events), -1) << "the database was opened again";
  ::close(watch);
  EXPECT_EQ(Sh("sqlite3 $f 'PRAGMA journal_mode'; ls $d"), "delete\ndirectory.sqlite3");
}

TEST_F(StoreTest, ADatabaseInWalModeIsSwitchedOverAtItsFirstWrite) {
  ASSERT_EQ(AddText(ctx(), user, "L", "before"), 0);
  // As an earlier version left it when it died: a value only in the WAL file, and side files
  // that a read-only episode made unwritable.
  ASSERT_EQ(Sh("sqlite3 $f 'PRAGMA journal_mode = WAL' \"INSERT INTO attribute_values SELECT "
               "NULL, object_id, attribute, syntax, 'wal', 'wal' FROM attribute_values WHERE "
               "attribute = 'L'\" '.shell chmod 444 $f-*; kill -9 $PPID'; ls $d | wc -l"),
            "3");
  EXPECT_THAT(Probe("codes"), StartsWith("0 0 0 0")) << "a fresh run reads and writes";
  EXPECT_EQ(Sh("sqlite3 $f 'PRAGMA journal_mode'; ls $d"), "delete\ndirectory.sqlite3");
  EXPECT_EQ(Probe("read"), "0 3") << "the value in the old side file was kept";
}

TEST_F(StoreTest, ALoginThatOnlyReadsChangesNothingOnDisk) {
  ASSERT_EQ(AddText(ctx(), user, "L", "seen"), 0);
  Sh("touch -d @1000000000 $f $d");
  EXPECT_EQ(Probe("read"), "0 1");
  EXPECT_EQ(Sh("stat -c %Y $f $d"), "1000000000\n1000000000");
}

TEST_F(StoreTest, ChangesInABatchAreKeptTogetherAtItsEnd) {
  ASSERT_EQ(ChangeValues(ctx(), user, "L", {"a", "b", "c"}), 0);
  ASSERT_EQ(NWDSBeginChanges(), 0);
  EXPECT_EQ(RemoveText(ctx(), user, "L", "a"), 0);
  EXPECT_EQ(RemoveText(ctx(), user, "L", "missing"), kNWErrNoSuchValue);
  EXPECT_EQ(RemoveText(ctx(), user, "L", "b"), 0);
  EXPECT_THAT(ReadValues(ctx(), user, "L").values, ElementsAre("c")) << "this run sees them";
  EXPECT_EQ(Probe("read"), "0 3") << "others see them only once they are kept";
  ASSERT_EQ(NWDSEndChanges(), 0);
  EXPECT_EQ(Probe("read"), "0 1");
  EXPECT_EQ(NWDSEndChanges(), 0) << "nothing open is no failure";
}

TEST_F(StoreTest, TwoRunsOfTheSameUserAtOnceLoseNothing) {
  // From a fresh folder, so that both also race to make the database.
  FILE* first = Start(CLIENT_PROBE_PATH " A 150");
  FILE* second = Start(CLIENT_PROBE_PATH " B 150");
  EXPECT_EQ(Finish(first), 0);
  EXPECT_EQ(Finish(second), 0);
  const ReadOutcome read = ReadValues(ctx(), user, "L");
  ASSERT_EQ(read.values.size(), 300u);
  int next[2] = {0, 0};
  for (const std::string& value : read.values)
    EXPECT_EQ(value.substr(2), std::to_string(next[value[0] - 'A']++)) << "in each run's order";
  EXPECT_EQ(Sh("sqlite3 $f 'PRAGMA integrity_check'"), "ok");
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
  sqlite3_close(other);
  EXPECT_EQ(AddText(ctx(), user, "L", "new"), 0);
}

TEST_F(StoreTest, ARunKilledHalfWayLeavesEveryStoredValueWhole) {
  for (int round = 0; round < 3; ++round) {
    const std::string prefix = "K" + std::to_string(round);
    pid_t pid = -1;
    FILE* probe = Start(CLIENT_PROBE_PATH " " + prefix, &pid);
    ASSERT_GT(pid, 0);
    long last = -1;
    char line[64];
    while (last < 5 + round * 40 && std::fgets(line, sizeof line, probe) != nullptr)
      last = std::atol(line);
    // Somewhere inside the next change, most likely.
    std::this_thread::sleep_for(std::chrono::microseconds(300 * round));
    ::kill(pid, SIGKILL);
    EXPECT_EQ(Finish(probe), 128 + SIGKILL);
    ASSERT_EQ(Sh("sqlite3 $f 'PRAGMA integrity_check'"), "ok");
    const ReadOutcome read = ReadValues(ctx(), user, "L");
    ASSERT_GE(static_cast<long>(read.values.size()), last + 1) << "a change reported done is kept";
    for (size_t i = 0; i < read.values.size(); ++i)
      EXPECT_EQ(read.values[i], prefix + "-" + std::to_string(i));
    // Usable afterwards; the next round starts from no values.
    EXPECT_EQ(ChangeValues(ctx(), user, "L", {}, kClearAttribute), 0);
  }
}

// Each row starts from a database that holds a value and changes what is on the way to it, by
// a shell command in the test's folder; then a fresh run, as the user or (as root) as another
// user bound by file modes, reads, adds and reads again. A run that fails says why and leaves
// what was there as it was; one that works has made the folder and the file the user's alone.
// Damage is looked for in full only before a run's first write: until then a read fails only
// when it reaches a damaged page, and after it every call of the run is refused.
TEST_F(StoreTest, WhatTheRunCannotUseIsReportedAndLeftAsItIs) {
  constexpr int32_t kDamaged = kNWErrInconsistentDatabase, kForeign = kNWErrDatabaseFormat,
                    kUnusable = kNWErrStoreUnavailable, kNone = kNWErrNoSuchAttribute;
  // As root the run of "nobody" finds no object of its own, which only a writer could make.
  const int32_t kOthers = ::geteuid() == 0 ? kNWErrNoAccess : 0;
  const struct {
    const char* name;
    const char* arrange;
    int32_t read, add, again;
    const char* why = "";
    bool restricted = false, otherUser = false;
  } rows[] = {
      {"cut header", "printf 'SQLite for' >$f", kDamaged, kDamaged, kDamaged},
      {"damaged page the read needs", "zero attribute_values", kDamaged, kDamaged, kDamaged,
       "damaged"},
      {"damaged page the read does not need", "zero objects", 0, kDamaged, kDamaged, "damaged"},
      {"foreign database", "rm $f; sqlite3 $f 'CREATE TABLE notes(text)'", kForeign, kForeign,
       kForeign},
      {"newer version", "sqlite3 $f 'PRAGMA user_version = 2'", kForeign, kForeign, kForeign},
      {"a pipe in its place", "rm $f; mkfifo $f", kUnusable, kUnusable, kUnusable},
      {"a folder in its place", "rm $f; mkdir $f", kUnusable, kUnusable, kUnusable},
      {"an empty file, set up afresh", ": >$f", kNone, 0, 0},
      {"a home it cannot write", "rm -r state; chmod 555 .", kUnusable, kUnusable, kUnusable, "",
       true},
      {"a file it cannot read", "chown 65534 $d $f; chmod 0 $f", kUnusable, kUnusable, kUnusable,
       "", true},
      {"a folder it cannot write", "chown 65534 $d $f; chmod 444 $f; chmod 555 $d", kOthers,
       kNWErrNoAccess, kOthers, "", true},
      {"folder of another user", "chown 65534 $d; chmod 777 $d", kUnusable, kUnusable, kUnusable,
       "belongs to user 65534", false, true},
      {"link of another user on the way",
       "rm -r state; mkdir real; ln -s real state; chown -h 65534 state", kUnusable, kUnusable,
       kUnusable, "the link", false, true},
      {"link of the user, loose modes",
       "rm -r state; mkdir -p real/welcomer; ln -s real state; : >$f; chmod 777 $d; chmod 666 $f",
       kNone, 0, 0},
  };
  // What lies where the database belongs; zero <table> zeroes the head of the table's first page.
  const std::string snapshot = "stat -c '%F %a %s %y' $f $d; [ -f $f ] && cksum <$f";
  const std::string zero =
      "zero() { p=$(sqlite3 $f \"SELECT rootpage FROM sqlite_master WHERE name = '$1'\") && "
      "head -c 64 /dev/zero | dd of=$f bs=1 conv=notrunc "
      "seek=$(((p - 1) * $(sqlite3 $f 'PRAGMA page_size'))); }; ";
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.otherUser && ::geteuid() != 0)
      continue;  // needs root to make files of another user
    ASSERT_EQ(Sh("chmod -R u+rwX .; rm -rf state real && echo ok"), "ok");
    ASSERT_EQ(AddText(ctx(), user, "L", "stored"), 0);
    ASSERT_EQ(Sh(zero + "chmod 755 . state; " + row.arrange + " && echo ok"), "ok");
    const std::string before = Sh(snapshot);
    const std::string answer = Probe(row.restricted ? "restricted" : "codes");
    EXPECT_THAT(answer, StartsWith(std::to_string(row.read) + " " + std::to_string(row.add) + " " +
                                   std::to_string(row.again) + " 0"));
    EXPECT_THAT(answer, HasSubstr(row.why));
    if (row.add != 0) {
      EXPECT_EQ(Sh(snapshot), before) << "what was there was changed";
    } else {
      EXPECT_EQ(Sh("stat -c %a $d $f"), "700\n600");
    }
  }
  Sh("chmod -R u+rwX .");
}

}  // namespace
}  // namespace welcomer::testing
