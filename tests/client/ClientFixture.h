#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "tests/client/ClientCalls.h"
#include "tests/support/TempDir.h"

namespace welcomer::testing {

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
