// The database as it sits in a home folder: journal mode, what a login that only reads leaves
// behind, one connection per process, and who may own the folder on the way.

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "tests/client/ClientFixture.h"

namespace welcomer::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

using JournalTest = ClientTest;

bool Exists(const std::string& path) {
  return ::access(path.c_str(), F_OK) == 0;
}

// The first line a fresh process prints for `mode` (see client_probe).
std::string Probe(const std::string& mode) {
  FILE* output = ::popen(("exec '" CLIENT_PROBE_PATH "' " + mode + " | tail -n 1").c_str(), "r");
  char line[64] = {};
  if (output == nullptr || std::fgets(line, sizeof line, output) == nullptr)
    line[0] = '\0';
  if (output != nullptr)
    ::pclose(output);
  std::string text = line;
  while (!text.empty() && text.back() == '\n')
    text.pop_back();
  return text;
}

TEST_F(JournalTest, ChangesGoThroughARollbackJournalThatLeavesNothingBehind) {
  ASSERT_EQ(AddText(ctx(), user, "L", "one"), 0);
  EXPECT_EQ(Sql(DatabasePath(), "PRAGMA journal_mode"), "delete");
  for (const char* side : {"-journal", "-wal", "-shm"})
    EXPECT_FALSE(Exists(DatabasePath() + side)) << side;
}

TEST_F(JournalTest, ADatabaseInWalModeIsSwitchedOverAtItsFirstWrite) {
  ASSERT_EQ(AddText(ctx(), user, "L", "before"), 0);
  // As an earlier version left it when it died: a value only in the WAL file, and side files
  // that a read-only episode made unwritable.
  const pid_t old = ::fork();
  ASSERT_GE(old, 0);
  if (old == 0) {
    sqlite3* db = nullptr;
    const bool written =
        sqlite3_open(DatabasePath().c_str(), &db) == SQLITE_OK &&
        sqlite3_exec(db,
                     "PRAGMA journal_mode=WAL; INSERT INTO attribute_values SELECT NULL, "
                     "object_id, attribute, syntax, 'wal', 'wal' FROM attribute_values "
                     "WHERE attribute = 'L'",
                     nullptr, nullptr, nullptr) == SQLITE_OK;
    ::chmod((DatabasePath() + "-wal").c_str(), 0444);
    ::chmod((DatabasePath() + "-shm").c_str(), 0444);
    ::_exit(written ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(old, &status, 0), old);
  ASSERT_EQ(status, 0);
  ASSERT_TRUE(Exists(DatabasePath() + "-wal"));
  EXPECT_EQ(Probe("codes"), "0 0 0") << "a fresh run reads and writes";
  EXPECT_EQ(Sql(DatabasePath(), "PRAGMA journal_mode"), "delete");
  EXPECT_FALSE(Exists(DatabasePath() + "-wal"));
  EXPECT_EQ(Probe("read"), "0 3") << "the value in the old side file was kept";
}

TEST_F(JournalTest, ALoginThatOnlyReadsChangesNothingOnDisk) {
  ASSERT_EQ(AddText(ctx(), user, "L", "seen"), 0);
  const std::string folder = temp / "state/welcomer";
  const struct timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, DatabasePath().c_str(), past, 0), 0);
  ASSERT_EQ(::utimensat(AT_FDCWD, folder.c_str(), past, 0), 0);
  EXPECT_EQ(Probe("read"), "0 1");
  struct stat file;
  struct stat dir;
  ASSERT_EQ(::stat(DatabasePath().c_str(), &file), 0);
  ASSERT_EQ(::stat(folder.c_str(), &dir), 0);
  EXPECT_EQ(file.st_mtim.tv_sec, past[1].tv_sec) << "the file was written";
  EXPECT_EQ(dir.st_mtim.tv_sec, past[1].tv_sec) << "a file was made or removed in the folder";
}

TEST_F(JournalTest, ManyChangesShareOneConnection) {
  ASSERT_EQ(AddText(ctx(), user, "L", "first"), 0);
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, DatabasePath().c_str(), IN_OPEN), 0);
  for (int page = 0; page < 20; ++page)
    ASSERT_EQ(AddText(ctx(), user, "L", "page " + std::to_string(page)), 0);
  ASSERT_EQ(ReadValues(ctx(), user, "L").values.size(), 21u);
  char events[4096];
  int opens = 0;
  for (ssize_t got; (got = ::read(watch, events, sizeof events)) > 0;)
    opens += static_cast<int>(static_cast<size_t>(got) / sizeof(struct inotify_event));
  ::close(watch);
  EXPECT_EQ(opens, 0);
}

TEST_F(JournalTest, ChangesInABatchAreKeptTogetherAtItsEnd) {
  ASSERT_EQ(AddTexts(ctx(), user, "L", {"a", "b", "c"}), 0);
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

// Ownership rows need a second user: they run as root, as CI does.
TEST_F(JournalTest, AFolderOrLinkOfSomeoneElseIsNotUsedAndLooseModesAreTightened) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "needs root to make files of another user";
  constexpr uid_t kOther = 65534;
  struct Row {
    const char* name;
    void (*arrange)(const std::string& temp);
    int32_t read;
    const char* why;
  };
  const Row rows[] = {
      {"folder of another user",
       [](const std::string& temp) {
         ::mkdir((temp + "/state").c_str(), 0755);
         ::mkdir((temp + "/state/welcomer").c_str(), 0777);
         ::chown((temp + "/state/welcomer").c_str(), kOther, kOther);
       },
       kNWErrStoreUnavailable, "belongs to user 65534"},
      {"link of another user on the way",
       [](const std::string& temp) {
         ::mkdir((temp + "/real").c_str(), 0755);
         ::symlink((temp + "/real").c_str(), (temp + "/state").c_str());
         ::lchown((temp + "/state").c_str(), kOther, kOther);
       },
       kNWErrStoreUnavailable, "the link"},
      {"link of the user, loose modes",
       [](const std::string& temp) {
         ::mkdir((temp + "/real").c_str(), 0755);
         ::mkdir((temp + "/real/welcomer").c_str(), 0777);
         ::chmod((temp + "/real/welcomer").c_str(), 0777);
         ::symlink((temp + "/real").c_str(), (temp + "/state").c_str());
         std::ofstream(temp + "/real/welcomer/directory.sqlite3");
         ::chmod((temp + "/real/welcomer/directory.sqlite3").c_str(), 0666);
       },
       0, ""},
  };
  const std::string base = temp.path();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(std::system(("rm -rf '" + base + "/state' '" + base + "/real'").c_str()), 0);
    row.arrange(base);
    EXPECT_EQ(AddText(ctx(), user, "L", "v"), row.read);
    if (row.read != 0) {
      EXPECT_EQ(ReadValues(ctx(), user, "L").result, row.read);
      EXPECT_THAT(LastFailureText(), HasSubstr(row.why));
      continue;
    }
    struct stat info;
    ASSERT_EQ(::stat((base + "/real/welcomer").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat((base + "/real/welcomer/directory.sqlite3").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_THAT(ReadValues(ctx(), user, "L").values, ElementsAre("v"));
  }
}

}  // namespace
}  // namespace welcomer::testing
