#include "platform/UserLock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

using namespace std::chrono_literals;

// flock belongs to the open file, so two locks of one process exclude each other as two
// processes would; the forked rows check the processes themselves.
TEST(PosixUserLockTest, OneHolderAtATimeAndTheWaitIsBounded) {
  testing::TempDir dir;
  PosixUserLock first(dir / "user.lock");
  PosixUserLock second(dir / "user.lock");
  std::string reason;
  ASSERT_TRUE(first.Acquire(0ms, reason)) << reason;
  const auto before = std::chrono::steady_clock::now();
  EXPECT_FALSE(second.Acquire(50ms, reason));
  EXPECT_GE(std::chrono::steady_clock::now() - before, 50ms);
  EXPECT_NE(reason.find("held the lock"), std::string::npos) << reason;

  std::thread releaser([&] {
    std::this_thread::sleep_for(20ms);
    first.Release();
  });
  EXPECT_TRUE(second.Acquire(5000ms, reason)) << reason;
  releaser.join();
}

TEST(PosixUserLockTest, RacingProcessesEnterOneAtATime) {
  testing::TempDir dir;
  const std::string counter = dir / "inside";
  constexpr int kProcesses = 8;
  std::vector<pid_t> children;
  for (int i = 0; i < kProcesses; ++i) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      PosixUserLock lock(dir / "user.lock");
      std::string reason;
      if (!lock.Acquire(10000ms, reason))
        ::_exit(2);
      // Inside the lock a second holder would find the marker.
      if (::access(counter.c_str(), F_OK) == 0)
        ::_exit(3);
      FILE* marker = std::fopen(counter.c_str(), "w");
      std::this_thread::sleep_for(5ms);
      std::fclose(marker);
      ::unlink(counter.c_str());
      ::_exit(0);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
}

TEST(UserLockPathTest, TheRuntimeFolderWhenItIsTheUsersElseTheStateFolder) {
  testing::TempDir dir;
  const std::string runtime = dir.MakeDir("runtime");
  const std::string shared = dir.MakeDir("shared");
  ::chmod(shared.c_str(), 01777);
  const char* savedRuntime = std::getenv("XDG_RUNTIME_DIR");
  const char* savedState = std::getenv("XDG_STATE_HOME");
  const std::string keptRuntime = savedRuntime ? savedRuntime : "";
  const std::string keptState = savedState ? savedState : "";
  ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
  struct Row {
    const char* runtime;
    std::string lock;
  };
  const Row rows[] = {
      {runtime.c_str(), runtime + "/welcomer.lock"},
      {shared.c_str(), dir / "state/welcomer/run.lock"},
      {"relative", dir / "state/welcomer/run.lock"},
      {nullptr, dir / "state/welcomer/run.lock"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.runtime ? row.runtime : "unset");
    if (row.runtime)
      ::setenv("XDG_RUNTIME_DIR", row.runtime, 1);
    else
      ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(UserLockPath(), row.lock);
  }
  // The state folder is made for the lock when it is not there yet.
  PosixUserLock lock;
  std::string reason;
  EXPECT_TRUE(lock.Acquire(0ms, reason)) << reason;
  EXPECT_EQ(::access((dir / "state/welcomer/run.lock").c_str(), F_OK), 0);
  lock.Release();
  savedRuntime ? ::setenv("XDG_RUNTIME_DIR", keptRuntime.c_str(), 1)
               : ::unsetenv("XDG_RUNTIME_DIR");
  savedState ? ::setenv("XDG_STATE_HOME", keptState.c_str(), 1) : ::unsetenv("XDG_STATE_HOME");
}

}  // namespace
}  // namespace welcomer
