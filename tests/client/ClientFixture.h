#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/client/ClientCalls.h"
#include "tests/support/TempDir.h"

namespace welcomer::testing {

/// Starts `command` under sh; `pid` gets the process ID it runs as.
inline FILE* Start(const std::string& command, pid_t* pid = nullptr) {
  FILE* output = ::popen(("echo $$; exec " + command).c_str(), "r");
  char line[32];
  const bool started = output != nullptr && std::fgets(line, sizeof line, output) != nullptr;
  if (pid != nullptr)
    *pid = started ? std::atoi(line) : -1;
  return output;
}

/// Reads the rest of the command's output into `output`, without the last line's end, and tells
/// how it ended: its exit code, or 128 + the signal that ended it.
inline int Finish(FILE* command, std::string* output = nullptr) {
  std::string text;
  for (char line[256]; command != nullptr && std::fgets(line, sizeof line, command) != nullptr;)
    text += line;
  if (output != nullptr)
    *output = text.substr(0, text.find_last_not_of('\n') + 1);
  const int status = command != nullptr ? ::pclose(command) : -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

/// Each test gets a state folder of its own (XDG_STATE_HOME) and a context with the name
/// context [Root]; `user` is the current user's full name, that of the object named after the
/// account.
class ClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_STATE_HOME", (temp / "state").c_str(), 1);
    user = WhoAmI(ctx());
    ASSERT_EQ(user, "CN=" + account + ".O=LOCAL");
  }
  std::string DatabasePath() const { return temp / "state/welcomer/directory.sqlite3"; }
  int32_t ctx() const { return context_.handle(); }
  /// What `command` printed, run by sh in the test's folder with $d the state folder and $f the
  /// database in it; standard error is dropped.
  std::string Sh(const std::string& command) const {
    std::string output;
    Finish(::popen(("cd '" + temp.path() +
                    "' && export d=state/welcomer f=state/welcomer/directory.sqlite3 && {\n" +
                    command + "\n} 2>/dev/null")
                       .c_str(),
                   "r"),
           &output);
    return output;
  }
  /// What a fresh client_probe in `mode` printed, when it ended well; empty otherwise.
  static std::string Probe(const std::string& mode) {
    std::string output;
    return Finish(Start(CLIENT_PROBE_PATH " " + mode), &output) == 0 ? output : "";
  }

  TempDir temp;
  const std::string account = ::getpwuid(::geteuid())->pw_name;
  std::string user;

 private:
  ClientContext context_;
};

}  // namespace welcomer::testing
