#include <errno.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/ProcessLauncher.h"

namespace welcomer {
namespace {

// Only async-signal-safe calls: this runs in a forked child.
void Report(int channel, int error) {
  ssize_t written;
  do {
    written = ::write(channel, &error, sizeof error);
  } while (written < 0 && errno == EINTR);
}

}  // namespace

bool PosixProcessLauncher::StartDetached(const std::string& commandLine, std::string& reason) {
  reason.clear();
  std::vector<std::string> words = SplitCommandLine(commandLine);
  if (words.empty()) {
    reason = "the command line is empty";
    return false;
  }
  // Everything the children need is prepared before fork: after it only async-signal-safe
  // calls are made.
  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);

  // The grandchild writes errno here when exec fails; a successful exec closes it unwritten.
  int channel[2];
  if (::pipe2(channel, O_CLOEXEC) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  // Fork twice so that the program is a grandchild that init adopts: it outlives us, and we
  // never have to reap it.
  pid_t child = ::fork();
  if (child < 0) {
    reason = std::strerror(errno);
    ::close(channel[0]);
    ::close(channel[1]);
    return false;
  }
  if (child == 0) {
    ::close(channel[0]);
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild < 0)
      Report(channel[1], errno);
    if (grandchild != 0)
      ::_exit(grandchild < 0 ? 1 : 0);
    int devNull = ::open("/dev/null", O_RDONLY);
    if (devNull >= 0) {
      ::dup2(devNull, STDIN_FILENO);
      if (devNull != STDIN_FILENO)
        ::close(devNull);
    }
    ::execvp(argv[0], argv.data());
    Report(channel[1], errno);
    ::_exit(127);
  }
  ::close(channel[1]);
  int status = 0;
  pid_t waited;
  do {
    waited = ::waitpid(child, &status, 0);
  } while (waited < 0 && errno == EINTR);
  int error = 0;
  ssize_t got;
  do {
    got = ::read(channel[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  ::close(channel[0]);
  if (got == static_cast<ssize_t>(sizeof error)) {
    reason = std::strerror(error);
    return false;
  }
  if (waited != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    reason = "the helper process that starts it failed";
    return false;
  }
  return true;
}

}  // namespace welcomer
