#include "platform/ProcessLauncher.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

// A program from the search path, with its arguments split at runs of blanks only, and no shell:
// ";", quotes and tabs stay in the argument they are part of. The launcher reaps what it starts
// itself; the program is adopted by init.
TEST(PosixProcessLauncherTest, RunsWithoutAShellOrSaysWhyNotAndLeavesNoChildBehind) {
  testing::TempDir dir;
  const std::pair<std::string, std::string> rows[] = {
      {"  touch  " + (dir / "a;\"touch") + " " + (dir / "b\tc") + " ", ""},
      {"welcomer-no-such-program-here arg", "No such file or directory"},
      {dir.WriteFile("not-executable", "#!/bin/sh\n"), "Permission denied"},
      {"   ", "the command line is empty"},
  };
  for (const auto& [commandLine, reason] : rows) {
    std::string failure;
    EXPECT_EQ(PosixProcessLauncher().StartDetached(commandLine, failure), reason.empty());
    EXPECT_EQ(failure, reason) << commandLine;
  }
  for (int i = 0; i < 500 && ::access((dir / "b\tc").c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(::access((dir / "a;\"touch").c_str(), F_OK), 0);
  EXPECT_EQ(::access((dir / "b\tc").c_str(), F_OK), 0);
  EXPECT_NE(::access((dir / "a").c_str(), F_OK), 0);
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "no child left behind";
}

}  // namespace
}  // namespace welcomer
