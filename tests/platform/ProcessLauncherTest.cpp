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
  std::string failure;
  EXPECT_TRUE(launcher.StartDetached("touch " + (dir / "marker"), failure)) << failure;
  EXPECT_TRUE(WaitForFile(dir / "marker"));
}

TEST(PosixProcessLauncherTest, RunsWithoutAShellAndLeavesNoChildBehind) {
  testing::TempDir dir;
  PosixProcessLauncher launcher;
  // A shell would run two commands; without one, ";" is part of the first argument.
  std::string failure;
  EXPECT_TRUE(launcher.StartDetached("touch " + (dir / "a;touch") + " " + (dir / "b"), failure));
  EXPECT_TRUE(WaitForFile(dir / "a;touch"));
  EXPECT_TRUE(WaitForFile(dir / "b"));
  struct stat st;
  EXPECT_NE(::stat((dir / "a").c_str(), &st), 0);
  // The intermediate child was reaped; the program itself was adopted by init.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST(PosixProcessLauncherTest, AProgramThatCannotStartIsReportedWithItsReason) {
  testing::TempDir dir;
  dir.WriteFile("not-executable", "#!/bin/sh\n");
  struct Row {
    std::string commandLine;
    std::string reason;
  };
  const Row rows[] = {
      {"welcomer-no-such-program-here arg", "No such file or directory"},
      {dir / "not-executable", "Permission denied"},
      {"   ", "the command line is empty"},
  };
  PosixProcessLauncher launcher;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.commandLine);
    std::string failure;
    EXPECT_FALSE(launcher.StartDetached(row.commandLine, failure));
    EXPECT_EQ(failure, row.reason);
  }
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "no child left behind";
}

}  // namespace
}  // namespace welcomer
