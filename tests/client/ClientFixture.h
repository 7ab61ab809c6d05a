#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/client/ClientCalls.h"
#include "tests/support/TempDir.h"

namespace welcomer::testing {

/// Runs one SQL text on the database past the client; the first column of the first row.
inline std::string Sql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  std::string answer;
  if (sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
      sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0) != nullptr)
    answer = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return answer;
}

/// Starts client_probe with `arguments` in a process of its own; `pid` gets its process ID,
/// which it prints first.
inline FILE* StartProbe(const std::string& arguments, pid_t* pid = nullptr) {
  FILE* output = ::popen(("exec '" CLIENT_PROBE_PATH "' " + arguments).c_str(), "r");
  char line[32];
  const bool started = output != nullptr && std::fgets(line, sizeof line, output) != nullptr;
  if (pid != nullptr)
    *pid = started ? std::atoi(line) : -1;
  return output;
}

/// Reads the rest of the probe's output into `output` and tells how it ended: the exit code, or
/// 128 + the signal that ended it.
inline int Finish(FILE* probe, std::string* output = nullptr) {
  std::string text;
  for (char line[256]; probe != nullptr && std::fgets(line, sizeof line, probe) != nullptr;)
    text += line;
  if (output != nullptr)
    *output = text.substr(0, text.find_last_not_of('\n') + 1);
  const int status = probe != nullptr ? ::pclose(probe) : -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

/// What a fresh process in `mode` prints after its process ID (see client_probe); empty when it
/// failed.
inline std::string Probe(const std::string& mode) {
  std::string output;
  return Finish(StartProbe(mode), &output) == 0 ? output : "";
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

  TempDir temp;
  const std::string account = ::getpwuid(::geteuid())->pw_name;
  std::string user;

 private:
  ClientContext context_;
};

}  // namespace welcomer::testing
