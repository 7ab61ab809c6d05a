#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/client/ClientCalls.h"
#include "tests/support/TempDir.h"

namespace welcomer::testing {

/// Each test gets a state folder of its own (XDG_STATE_HOME) and a context with the name
/// context [Root]; `user` is the current user's full name.
class ClientTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  /// Where the client keeps this test's database.
  std::string DatabasePath() const;
  int32_t ctx() const { return context_.handle(); }

  TempDir temp;
  std::string user;

 private:
  ClientContext context_;
  std::string savedStateHome_;
  bool hadStateHome_ = false;
};

/// The whole content of a file; empty when it cannot be read.
std::string FileBytes(const std::string& path);

/// Runs `body` in a child process that is bound by file modes: as root the child becomes the
/// unprivileged user "nobody", otherwise it stays the test's user. The codes the body returns
/// come back; a child that dies by a signal fails the test.
std::vector<int32_t> RunRestricted(const std::function<std::vector<int32_t>()>& body);

}  // namespace welcomer::testing
