#include <errno.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/ProcessLauncher.h"

namespace welcomer {

bool PosixProcessLauncher::StartDetached(const std::string& commandLine) {
  std::vector<std::string> words = SplitCommandLine(commandLine);
  if (words.empty())
    return false;
  // Everything the children need is prepared before fork: after it only async-signal-safe
  // calls are made.
  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);

  // Fork twice so that the program is a grandchild that init adopts: it outlives us, and we
  // never have to reap it.
  pid_t child = ::fork();
  if (child < 0)
    return false;
  if (child == 0) {
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild != 0)
      ::_exit(grandchild < 0 ? 1 : 0);
    int devNull = ::open("/dev/null", O_RDONLY);
    if (devNull >= 0) {
      ::dup2(devNull, STDIN_FILENO);
      if (devNull != STDIN_FILENO)
        ::close(devNull);
    }
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  pid_t waited;
  do {
    waited = ::waitpid(child, &status, 0);
  } while (waited < 0 && errno == EINTR);
  return waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace welcomer
