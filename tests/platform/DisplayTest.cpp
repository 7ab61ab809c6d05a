#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/Display.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

// Sets an environment variable for the life of the object (null unsets it).
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name))
      old_ = old;
    Set(value);
  }
  ~ScopedVariable() { Set(old_ ? old_->c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  void Set(const char* value) {
    if (value)
      ::setenv(name_, value, 1);
    else
      ::unsetenv(name_);
  }
  const char* name_;
  std::optional<std::string> old_;
};

// A Unix socket bound at `path`; listening, or left bound with nobody accepting.
int BindSocket(const std::string& path, bool listening) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
  if (listening) {
    EXPECT_EQ(::listen(fd, 1), 0);
  }
  return fd;
}

// Answers the first request of every connection with the event a compositor sends for
// wl_display.sync; with `answer` false it closes the connection instead.
class FakeCompositor {
 public:
  FakeCompositor(const std::string& path, bool answer) : fd_(BindSocket(path, true)) {
    thread_ = std::thread([this, answer] {
      for (int client; (client = ::accept(fd_, nullptr, nullptr)) >= 0; ::close(client)) {
        uint32_t request[3];
        if (answer && ::recv(client, request, sizeof request, MSG_WAITALL) == sizeof request) {
          const uint32_t done[3] = {request[2], 12u << 16, 1};
          ::send(client, done, sizeof done, MSG_NOSIGNAL);
        }
      }
    });
  }
  ~FakeCompositor() {
    ::shutdown(fd_, SHUT_RDWR);
    thread_.join();
    ::close(fd_);
  }

 private:
  int fd_;
  std::thread thread_;
};

TEST(PosixDisplayEnvironment, WaylandAnswersWhereACompositorAnswers) {
  testing::TempDir dir;
  FakeCompositor compositor(dir / "wayland-7", true);
  FakeCompositor closing(dir / "wayland-closes", false);
  const int gone = BindSocket(dir / "wayland-gone", false);
  const std::string absolute = dir / "wayland-7";
  const struct {
    const char* name;
    const char* display;
    bool runtimeDir;
    bool answers;
  } rows[] = {
      {"InTheRuntimeFolder", "wayland-7", true, true},
      {"AbsolutePath", absolute.c_str(), false, true},
      {"NoSuchSocket", "wayland-8", true, false},
      {"NobodyAccepts", "wayland-gone", true, false},
      // Qt would end the process on such a connection.
      {"ClosesAtOnce", "wayland-closes", true, false},
      {"NoRuntimeFolder", "wayland-7", false, false},
      // The Wayland library would try "wayland-0"; only a named compositor counts.
      {"Unset", nullptr, true, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ScopedVariable display("WAYLAND_DISPLAY", row.display);
    ScopedVariable runtime("XDG_RUNTIME_DIR", row.runtimeDir ? dir.path().c_str() : nullptr);
    EXPECT_EQ(PosixDisplayEnvironment().WaylandAnswers(), row.answers);
  }
  ::close(gone);
}

}  // namespace
}  // namespace welcomer
