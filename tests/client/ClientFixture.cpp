#include "tests/client/ClientFixture.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace welcomer::testing {

void ClientTest::SetUp() {
  const char* saved = std::getenv("XDG_STATE_HOME");
  hadStateHome_ = saved != nullptr;
  if (saved != nullptr)
    savedStateHome_ = saved;
  ::setenv("XDG_STATE_HOME", (temp / "state").c_str(), 1);
  user = WhoAmI(ctx());
  ASSERT_FALSE(user.empty());
}

void ClientTest::TearDown() {
  if (hadStateHome_)
    ::setenv("XDG_STATE_HOME", savedStateHome_.c_str(), 1);
  else
    ::unsetenv("XDG_STATE_HOME");
}

std::string ClientTest::DatabasePath() const {
  return temp / "state/welcomer/directory.sqlite3";
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<int32_t> RunRestricted(const std::function<std::vector<int32_t>()>& body) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) {
    ADD_FAILURE() << "pipe failed";
    return {};
  }
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeEnds[0]);
    if (::geteuid() == 0) {
      const uid_t nobody = 65534;
      if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
        ::_exit(3);
    }
    const std::vector<int32_t> codes = body();
    const ssize_t size = static_cast<ssize_t>(codes.size() * sizeof(int32_t));
    const bool written = ::write(pipeEnds[1], codes.data(), static_cast<size_t>(size)) == size;
    ::_exit(written ? 0 : 4);
  }
  ::close(pipeEnds[1]);
  std::vector<int32_t> codes;
  int32_t code;
  while (::read(pipeEnds[0], &code, sizeof code) == static_cast<ssize_t>(sizeof code))
    codes.push_back(code);
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status)) << "the restricted run died by signal " << WTERMSIG(status);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
  return codes;
}

}  // namespace welcomer::testing
