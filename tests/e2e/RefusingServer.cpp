// Stands in for an X display that answers a probe and then refuses the program's real
// connection: listens on a free display number of its own, prints it, accepts the first
// connection (with no screens) and refuses every later one, writing "accepted" or "refused" for
// each. Runs until it is killed. Speaks the little-endian protocol of this machine's X library.

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The replies to a connection set-up, for protocol 11.0: success with a resource-id base and
// mask, the largest request size and no screens or formats; failure with a reason.
const uint8_t kAccepted[] = {1,    0, 11,   0,    0,  0,  8, 0,   0, 0, 0, 0, 0,    0,
                             0x20, 0, 0xFF, 0xFF, 31, 0,  0, 0,   0, 0, 0, 0, 0xFF, 0xFF,
                             0,    0, 0,    0,    32, 32, 8, 255, 0, 0, 0, 0};
const uint8_t kRefused[] = {0, 7, 11, 0, 0, 0, 2, 0, 'r', 'e', 'f', 'u', 's', 'e', 'd', 0};

// An abstract socket, where the X library looks first: it leaves nothing in the file system,
// and binding it fails while another server holds the number.
int ListenOnFreeDisplay(int& display) {
  for (int tries = 0; tries < 1000; ++tries) {
    display = 1000 + (static_cast<int>(::getpid()) + tries * 7919) % 30000;
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
    struct stat st;
    if (::stat(socket.c_str(), &st) == 0)
      continue;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, socket.data(), socket.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + socket.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
        ::listen(fd, 8) == 0) {
      return fd;
    }
    ::close(fd);
  }
  return -1;
}

}  // namespace

int main() {
  int display = 0;
  const int listener = ListenOnFreeDisplay(display);
  if (listener < 0) {
    std::perror("refusing_server: cannot listen");
    return 1;
  }
  std::printf("%d\n", display);
  std::fflush(stdout);
  for (int connections = 0;; ++connections) {
    const int fd = ::accept(listener, nullptr, nullptr);
    // The client sends its whole set-up request (byte order, version, authorisation) at once.
    char request[4096];
    if (fd >= 0 && ::read(fd, request, sizeof request) >= 12 && request[0] == 'l') {
      const bool accept = connections == 0;
      const size_t size = accept ? sizeof kAccepted : sizeof kRefused;
      if (::write(fd, accept ? kAccepted : kRefused, size) == static_cast<ssize_t>(size)) {
        std::printf("%s\n", accept ? "accepted" : "refused");
        std::fflush(stdout);
      }
    }
    if (fd >= 0)
      ::close(fd);
  }
}
