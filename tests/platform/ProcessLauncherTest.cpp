#include "platform/ProcessLauncher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

TEST(SplitCommandLineTest, SplitsAtRunsOfBlanksOnly) {
  EXPECT_EQ(SplitCommandLine("touch  /tmp/x"), (std::vector<std::string>{"touch", "/tmp/x"}));
  EXPECT_EQ(SplitCommandLine("  a\tb  "), (std::vector<std::string>{"a\tb"}));
  EXPECT_EQ(SplitCommandLine("cmd \"quoted word\""),
            (std::vector<std::string>{"cmd", "\"quoted", "word\""}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
  EXPECT_TRUE(SplitCommandLine("").empty());
}

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(PosixProcessLauncherTest, StartsTheProgramFromThePathWithItsArguments) {
  testing::TempDir dir;
  PosixProcessLauncher launcher;
  EXPECT_TRUE(launcher.StartDetached("touch " + (dir / "marker")));
  EXPECT_TRUE(WaitForFile(dir / "marker"));
}

TEST(PosixProcessLauncherTest, RunsWithoutAShellAndLeavesNoChildBehind) {
  testing::TempDir dir;
  PosixProcessLauncher launcher;
  // A shell would run two commands; without one, ";" is part of the first argument.
  EXPECT_TRUE(launcher.StartDetached("touch " + (dir / "a;touch") + " " + (dir / "b")));
  EXPECT_TRUE(WaitForFile(dir / "a;touch"));
  EXPECT_TRUE(WaitForFile(dir / "b"));
  struct stat st;
  EXPECT_NE(::stat((dir / "a").c_str(), &st), 0);
  // The intermediate child was reaped; the program itself was adopted by init.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST(PosixProcessLauncherTest, AMissingProgramIsNoCrash) {
  PosixProcessLauncher launcher;
  launcher.StartDetached("welcomer-no-such-program-here arg");
  EXPECT_FALSE(launcher.StartDetached("   "));
}

}  // namespace
}  // namespace welcomer
