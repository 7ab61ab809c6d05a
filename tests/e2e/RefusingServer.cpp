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
#include <vector>

namespace {

bool ReadAll(int fd, void* data, size_t size) {
  for (auto* bytes = static_cast<char*>(data); size > 0;) {
    const ssize_t got = ::read(fd, bytes, size);
    if (got <= 0)
      return false;
    bytes += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

size_t Padded(size_t n) {
  return (n + 3) & ~size_t{3};
}

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.insert(out.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)});
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v));
  Put16(out, static_cast<uint16_t>(v >> 16));
}

// Answers a connection set-up: a success with no screens, or a refusal.
bool Serve(int fd, bool accept) {
  uint8_t request[12];
  if (!ReadAll(fd, request, sizeof request) || request[0] != 'l')
    return false;
  std::vector<uint8_t> authorisation(Padded(request[6] | request[7] << 8) +
                                     Padded(request[8] | request[9] << 8));
  if (!ReadAll(fd, authorisation.data(), authorisation.size()))
    return false;
  const std::string reason = "refused";
  std::vector<uint8_t> reply{accept ? uint8_t{1} : uint8_t{0},
                             accept ? uint8_t{0} : static_cast<uint8_t>(reason.size())};
  Put16(reply, 11);
  Put16(reply, 0);
  if (accept) {
    Put16(reply, 8);  // 32 bytes follow
    Put32(reply, 0);  // release
    Put32(reply, 0x00200000);
    Put32(reply, 0x001FFFFF);  // resource ids
    Put32(reply, 0);           // motion buffer
    Put16(reply, 0);           // vendor
    Put16(reply, 0xFFFF);      // largest request
    reply.insert(reply.end(), {0, 0, 0, 0, 32, 32, 8, 255, 0, 0, 0, 0});
  } else {
    Put16(reply, static_cast<uint16_t>(Padded(reason.size()) / 4));
    reply.insert(reply.end(), reason.begin(), reason.end());
    reply.resize(reply.size() + Padded(reason.size()) - reason.size());
  }
  return ::write(fd, reply.data(), reply.size()) == static_cast<ssize_t>(reply.size());
}

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
    if (fd < 0)
      continue;
    if (Serve(fd, connections == 0)) {
      std::printf("%s\n", connections == 0 ? "accepted" : "refused");
      std::fflush(stdout);
    }
    ::close(fd);
  }
}
