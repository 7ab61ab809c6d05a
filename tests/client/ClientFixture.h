#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <string>

#include "tests/client/ClientCalls.h"
#include "tests/support/TempDir.h"

namespace welcomer::testing {

/// Runs one SQL text on the database past the client; the first column of the first row.
inline std::string Sql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string answer;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
      sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0) != nullptr)
    answer = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return answer;
}

/// Each test gets a state folder of its own (XDG_STATE_HOME) and a context with the name
/// context [Root]; `user` is the current user's full name.
class ClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_STATE_HOME", (temp / "state").c_str(), 1);
    user = WhoAmI(ctx());
    ASSERT_FALSE(user.empty());
  }
  std::string DatabasePath() const { return temp / "state/welcomer/directory.sqlite3"; }
  int32_t ctx() const { return context_.handle(); }

  TempDir temp;
  std::string user;

 private:
  ClientContext context_;
};

}  // namespace welcomer::testing
