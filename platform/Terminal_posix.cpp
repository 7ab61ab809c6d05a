#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "platform/Terminal.h"

namespace welcomer {
namespace {

// Signals that would end the process. While a terminal is open they only stop the showing, so
// that what was answered is stored and the terminal gets its modes back.
constexpr int kEndingSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};
constexpr size_t kEndingSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];

// Shared with the signal handlers, so process-wide: one terminal is open at a time.
bool g_open = false;
termios g_userModes;
termios g_keyModes;
volatile sig_atomic_t g_interrupted = 0;
int g_wakeWrite = -1;
struct sigaction g_previousEnding[kEndingSignalCount];
bool g_endingInstalled[kEndingSignalCount];
struct sigaction g_previousStop;
bool g_stopInstalled = false;
struct sigaction g_stopAction;

extern "C" void OnEndingSignal(int) {
  const int savedErrno = errno;
  g_interrupted = 1;
  // Wakes a read that is waiting for a key; the pipe never blocks.
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(g_wakeWrite, &byte, 1);
  errno = savedErrno;
}

extern "C" void OnStop(int) {
  const int savedErrno = errno;
  // The shell gets the terminal back as the user had it while the process is stopped, and the
  // key mode returns when it goes on.
  ::tcsetattr(STDIN_FILENO, TCSANOW, &g_userModes);
  struct sigaction stop {};
  stop.sa_handler = SIG_DFL;
  ::sigaction(SIGTSTP, &stop, nullptr);
  sigset_t set;
  ::sigemptyset(&set);
  ::sigaddset(&set, SIGTSTP);
  ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
  ::raise(SIGTSTP);
  ::sigaction(SIGTSTP, &g_stopAction, nullptr);
  ::tcsetattr(STDIN_FILENO, TCSANOW, &g_keyModes);
  errno = savedErrno;
}

class PosixTerminal : public Terminal {
 public:
  PosixTerminal(int wakeRead, int wakeWrite) : wakeRead_(wakeRead) {
    g_open = true;
    g_interrupted = 0;
    g_wakeWrite = wakeWrite;
    InstallHandlers();
    // Keys typed before the first question was asked answer nothing: they are dropped.
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_keyModes);
  }

  ~PosixTerminal() override {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &g_userModes);
    RestoreHandlers();
    ::close(wakeRead_);
    ::close(g_wakeWrite);
    g_wakeWrite = -1;
    g_interrupted = 0;
    g_open = false;
  }

  PosixTerminal(const PosixTerminal&) = delete;
  PosixTerminal& operator=(const PosixTerminal&) = delete;

  TerminalSize Size() override {
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0)
      return {};
    return {size.ws_col, size.ws_row};
  }

  bool HasAttributes() override {
    const char* term = std::getenv("TERM");
    return term != nullptr && *term != '\0' && std::strcmp(term, "dumb") != 0;
  }

  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t written = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
      if (written < 0) {
        // An interrupt while output is held up (Ctrl-S) must still end the showing.
        if (errno == EINTR && !g_interrupted)
          continue;
        return false;
      }
      bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
  }

  TerminalKey ReadKey() override {
    while (true) {
      if (g_interrupted)
        return {TerminalKey::Kind::kInterrupt};
      pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
      if (::poll(fds, 2, -1) < 0) {
        if (errno == EINTR)
          continue;
        return {TerminalKey::Kind::kEndOfInput};
      }
      if (g_interrupted)
        return {TerminalKey::Kind::kInterrupt};
      if (fds[0].revents == 0)
        continue;
      unsigned char byte = 0;
      const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
      if (got < 0 && (errno == EINTR || errno == EAGAIN))
        continue;
      if (got <= 0)
        return {TerminalKey::Kind::kEndOfInput};
      // Without line editing the end-of-file key arrives as a plain byte.
      const cc_t endOfFile = g_userModes.c_cc[VEOF];
      if (endOfFile != _POSIX_VDISABLE && byte == endOfFile)
        return {TerminalKey::Kind::kEndOfInput};
      return {TerminalKey::Kind::kByte, byte};
    }
  }

 private:
  static void InstallHandlers() {
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    ::sigemptyset(&action.sa_mask);
    for (const int signal : kEndingSignals)
      ::sigaddset(&action.sa_mask, signal);
    // No SA_RESTART: a signal must wake a blocked read or write.
    action.sa_flags = 0;
    for (size_t i = 0; i < kEndingSignalCount; ++i) {
      ::sigaction(kEndingSignals[i], nullptr, &g_previousEnding[i]);
      // A signal the caller chose to ignore (nohup) stays ignored.
      g_endingInstalled[i] = g_previousEnding[i].sa_handler != SIG_IGN;
      if (g_endingInstalled[i])
        ::sigaction(kEndingSignals[i], &action, nullptr);
    }
    g_stopAction = {};
    g_stopAction.sa_handler = OnStop;
    ::sigemptyset(&g_stopAction.sa_mask);
    g_stopAction.sa_flags = SA_RESTART;
    ::sigaction(SIGTSTP, nullptr, &g_previousStop);
    g_stopInstalled = g_previousStop.sa_handler != SIG_IGN;
    if (g_stopInstalled)
      ::sigaction(SIGTSTP, &g_stopAction, nullptr);
  }

  static void RestoreHandlers() {
    if (g_stopInstalled)
      ::sigaction(SIGTSTP, &g_previousStop, nullptr);
    for (size_t i = 0; i < kEndingSignalCount; ++i) {
      if (g_endingInstalled[i])
        ::sigaction(kEndingSignals[i], &g_previousEnding[i], nullptr);
    }
  }

  int wakeRead_;
};

}  // namespace

bool StandardStreamsAreTerminals() {
  return ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1;
}

std::unique_ptr<Terminal> OpenStandardTerminal() {
  if (g_open || !StandardStreamsAreTerminals())
    return nullptr;
  termios modes;
  if (::tcgetattr(STDIN_FILENO, &modes) != 0)
    return nullptr;
  int wake[2];
  if (::pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0)
    return nullptr;
  g_userModes = modes;
  g_keyModes = modes;
  g_keyModes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  g_keyModes.c_cc[VMIN] = 1;
  g_keyModes.c_cc[VTIME] = 0;
  return std::make_unique<PosixTerminal>(wake[0], wake[1]);
}

}  // namespace welcomer
