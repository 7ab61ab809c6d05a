#include "platform/UserLock.h"

#include <gtest/gtest.h>

#include <thread>

#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

using namespace std::chrono_literals;

// flock belongs to the open file, so two locks of one process exclude each other as two
// processes would (tests/client/e2e_run_once.sh races twenty of them).
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

}  // namespace
}  // namespace welcomer
