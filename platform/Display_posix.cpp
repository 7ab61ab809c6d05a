#include <dlfcn.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/Display.h"

namespace welcomer {
namespace {

const char* Variable(const char* name) {
  const char* value = std::getenv(name);
  return (value != nullptr && *value != '\0') ? value : nullptr;
}

struct Xcb {
  decltype(&::xcb_connect) connect = nullptr;
  decltype(&::xcb_connection_has_error) hasError = nullptr;
  decltype(&::xcb_disconnect) disconnect = nullptr;
};

// The program does not link the X library: most logins never ask for a display, and every
// login would pay for loading it. The GUI module links it anyway, so it is on every machine
// that can show anything.
bool LoadXcb(Xcb& xcb) {
  void* library = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr)
    return false;
  xcb.connect = reinterpret_cast<decltype(xcb.connect)>(::dlsym(library, "xcb_connect"));
  xcb.hasError =
      reinterpret_cast<decltype(xcb.hasError)>(::dlsym(library, "xcb_connection_has_error"));
  xcb.disconnect = reinterpret_cast<decltype(xcb.disconnect)>(::dlsym(library, "xcb_disconnect"));
  return xcb.connect && xcb.hasError && xcb.disconnect;
}

// How long a display may take to answer; one that never does must not hold up the login.
constexpr int kWaylandAnswerMilliseconds = 2000;
constexpr std::chrono::seconds kX11AnswerTime{3};

// An X connection being made on a thread of its own, shared by the thread and the probe.
struct X11Attempt {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  bool abandoned = false;  ///< the probe stopped waiting; a late connection is the thread's
  xcb_connection_t* connection = nullptr;
};

// Connects to the display of DISPLAY; null when it did not answer within kX11AnswerTime.
// xcb_connect waits for the server's answer without a limit, and a server that lets the
// connection in and then keeps silent (stopped, or wedged) would hold the login for ever. So it
// runs on a thread that is left behind when the time is up: it ends with the process, or closes
// the connection should the answer come late.
xcb_connection_t* ConnectInTime(const Xcb& xcb) {
  auto attempt = std::make_shared<X11Attempt>();
  std::thread([attempt, xcb] {
    xcb_connection_t* connection = xcb.connect(nullptr, nullptr);
    std::lock_guard<std::mutex> lock(attempt->mutex);
    if (attempt->abandoned) {
      xcb.disconnect(connection);
      return;
    }
    attempt->connection = connection;
    attempt->finished = true;
    attempt->done.notify_one();
  }).detach();
  std::unique_lock<std::mutex> lock(attempt->mutex);
  if (!attempt->done.wait_for(lock, kX11AnswerTime, [&] { return attempt->finished; })) {
    attempt->abandoned = true;
    return nullptr;
  }
  return attempt->connection;
}

// Asks the compositor for a round trip, as every Wayland client does first: wl_display.sync
// (object 1, request 0) with a new callback object 2, answered by wl_callback.done on object 2.
// Qt ends the process when its own connection breaks, so a socket that merely accepts is not
// enough.
bool CompositorAnswers(int fd) {
  const uint32_t sync[3] = {1, (12u << 16) | 0u, 2};
  if (::send(fd, sync, sizeof sync, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof sync))
    return false;
  uint32_t header[2];
  size_t got = 0;
  while (got < sizeof header) {
    pollfd readable{fd, POLLIN, 0};
    if (::poll(&readable, 1, kWaylandAnswerMilliseconds) != 1)
      return false;
    const ssize_t n = ::recv(fd, reinterpret_cast<char*>(header) + got, sizeof header - got, 0);
    if (n <= 0)
      return false;
    got += static_cast<size_t>(n);
  }
  return header[0] == 2 && (header[1] & 0xFFFF) == 0;
}

}  // namespace

PosixDisplayEnvironment::~PosixDisplayEnvironment() {
  if (x11Connection_ != nullptr)
    x11Disconnect_(x11Connection_);
}

bool PosixDisplayEnvironment::X11Answers() {
  Xcb xcb;
  if (x11Connection_ != nullptr || Variable("DISPLAY") == nullptr || !LoadXcb(xcb))
    return x11Connection_ != nullptr;
  // A whole connection, authorisation included: a socket that merely accepts is not enough.
  xcb_connection_t* connection = ConnectInTime(xcb);
  if (connection == nullptr)
    return false;
  if (xcb.hasError(connection) != 0) {
    xcb.disconnect(connection);
    return false;
  }
  x11Connection_ = connection;
  x11Disconnect_ = xcb.disconnect;
  return true;
}

bool PosixDisplayEnvironment::WaylandAnswers() {
  const char* display = Variable("WAYLAND_DISPLAY");
  if (display == nullptr)
    return false;
  // A relative name lives in the runtime folder, as the Wayland client library finds it.
  std::string path = display;
  if (path[0] != '/') {
    const char* runtime = Variable("XDG_RUNTIME_DIR");
    if (runtime == nullptr)
      return false;
    path = std::string(runtime) + "/" + path;
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path)
    return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    return false;
  const bool answers =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
      CompositorAnswers(fd);
  ::close(fd);
  return answers;
}

bool PosixDisplayEnvironment::WaylandPluginInstalled() {
#ifdef WELCOMER_QT_PLUGIN_DIR
  return ::access(WELCOMER_QT_PLUGIN_DIR "/platforms/libqwayland-generic.so", R_OK) == 0;
#else
  return false;
#endif
}

}  // namespace welcomer
