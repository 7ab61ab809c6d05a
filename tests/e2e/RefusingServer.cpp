// Stands in for a display that answers a probe and then refuses the program's real connection.
//   refusing_server x11         an X server on a free display number of its own: the first
//                               connection is accepted, every later one refused; prints the
//                               display number once it listens
//   refusing_server unix PATH   accepts every connection on the Unix socket PATH and closes it
//                               at once, as a compositor that fails after the connect would
// Then writes one line per connection ("accepted" or "refused") and runs until it is killed.

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
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t got = ::read(fd, bytes, size);
    if (got <= 0)
      return false;
    bytes += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

void WriteAll(int fd, const std::vector<uint8_t>& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t put = ::write(fd, data.data() + done, data.size() - done);
    if (put <= 0)
      return;
    done += static_cast<size_t>(put);
  }
}

size_t Padded(size_t n) {
  return (n + 3) & ~size_t{3};
}

// Answers an X connection set-up: a success with no screens, or a refusal.
bool ServeX11(int fd, bool accept) {
  uint8_t request[12];
  if (!ReadAll(fd, request, sizeof request))
    return false;
  const bool little = request[0] == 'l';
  auto u16 = [&](int at) {
    return little ? request[at] | request[at + 1] << 8 : request[at] << 8 | request[at + 1];
  };
  std::vector<uint8_t> authorisation(Padded(u16(6)) + Padded(u16(8)));
  if (!ReadAll(fd, authorisation.data(), authorisation.size()))
    return false;
  std::vector<uint8_t> reply;
  auto put16 = [&](uint16_t v) {
    reply.push_back(little ? v & 0xFF : v >> 8);
    reply.push_back(little ? v >> 8 : v & 0xFF);
  };
  auto put32 = [&](uint32_t v) {
    put16(little ? v & 0xFFFF : v >> 16);
    put16(little ? v >> 16 : v & 0xFFFF);
  };
  if (accept) {
    reply = {1, 0};
    put16(11);
    put16(0);
    put16(8);           // 32 bytes follow
    put32(0);           // release
    put32(0x00200000);  // resource-id base
    put32(0x001FFFFF);  // resource-id mask
    put32(0);           // motion buffer
    put16(0);           // vendor length
    put16(0xFFFF);      // largest request
    reply.insert(reply.end(), {0, 0, 0, 0, 32, 32, 8, 255, 0, 0, 0, 0});
  } else {
    const std::string reason = "refused";
    reply = {0, static_cast<uint8_t>(reason.size())};
    put16(11);
    put16(0);
    put16(static_cast<uint16_t>(Padded(reason.size()) / 4));
    reply.insert(reply.end(), reason.begin(), reason.end());
    reply.resize(reply.size() + Padded(reason.size()) - reason.size());
  }
  WriteAll(fd, reply);
  return true;
}

int Listen(const sockaddr_un& address, socklen_t length) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
      ::listen(fd, 8) == 0) {
    return fd;
  }
  if (fd >= 0)
    ::close(fd);
  return -1;
}

// An abstract socket, where the X library looks first: it leaves nothing behind in the file
// system, and binding it fails while another server holds the number.
int ListenOnFreeDisplay(int& display) {
  for (int tries = 0; tries < 1000; ++tries) {
    display = 1000 + (static_cast<int>(::getpid()) + tries * 7919) % 30000;
    struct stat st;
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
    if (::stat(socket.c_str(), &st) == 0 ||
        ::stat(("/tmp/.X" + std::to_string(display) + "-lock").c_str(), &st) == 0) {
      continue;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, socket.data(), socket.size());
    const int fd = Listen(
        address, static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + socket.size()));
    if (fd >= 0)
      return fd;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool x11 = argc == 2 && std::strcmp(argv[1], "x11") == 0;
  const bool unixSocket = argc == 3 && std::strcmp(argv[1], "unix") == 0;
  if (!x11 && !unixSocket) {
    std::fprintf(stderr, "usage: %s x11 | unix PATH\n", argv[0]);
    return 2;
  }
  int listener = -1;
  if (x11) {
    int display = 0;
    listener = ListenOnFreeDisplay(display);
    if (listener >= 0)
      std::printf("%d\n", display);
  } else {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::strlen(argv[2]) < sizeof address.sun_path) {
      std::strcpy(address.sun_path, argv[2]);
      listener = Listen(address, sizeof address);
    }
  }
  if (listener < 0) {
    std::perror("refusing_server: cannot listen");
    return 1;
  }
  std::fflush(stdout);
  for (int connections = 0;; ++connections) {
    const int fd = ::accept(listener, nullptr, nullptr);
    if (fd < 0)
      continue;
    const bool accept = x11 && connections == 0;
    if (!x11 || ServeX11(fd, accept)) {
      std::printf("%s\n", accept ? "accepted" : "refused");
      std::fflush(stdout);
    }
    ::close(fd);
  }
}
