#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/Display.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

// Answers the first request of every connection at `path` with the event a compositor sends for
// wl_display.sync; with `answer` false it closes the connection instead.
class FakeCompositor {
 public:
  FakeCompositor(const std::string& path, bool answer) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
    EXPECT_EQ(::listen(fd_, 1), 0);
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
  const std::string absolute = dir / "wayland-7";
  // WAYLAND_DISPLAY, whether XDG_RUNTIME_DIR is set, and whether a compositor answers.
  const std::tuple<const char*, bool, bool> rows[] = {
      {"wayland-7", true, true},
      {absolute.c_str(), false, true},
      {"wayland-8", true, false},
      // Qt would end the process on a connection that closes at once.
      {"wayland-closes", true, false},
      {"wayland-7", false, false},
      // The Wayland library would try "wayland-0"; only a named compositor counts.
      {nullptr, true, false},
  };
  for (const auto& [display, runtimeDir, answers] : rows) {
    display ? ::setenv("WAYLAND_DISPLAY", display, 1) : ::unsetenv("WAYLAND_DISPLAY");
    runtimeDir ? ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(PosixDisplayEnvironment().WaylandAnswers(), answers)
        << (display ? display : "unset") << (runtimeDir ? "" : " without a runtime folder");
  }
  ::unsetenv("WAYLAND_DISPLAY");
  ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace welcomer
