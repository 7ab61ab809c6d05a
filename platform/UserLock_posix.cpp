#include "platform/UserLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/StateFolder.h"

namespace welcomer {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(5);

// The runtime folder is the user's own only on a system that made it for them; one that others
// could write would let them hold our lock.
bool IsOwnFolder(const char* path) {
  struct stat info;
  return path != nullptr && path[0] == '/' && ::stat(path, &info) == 0 && S_ISDIR(info.st_mode) &&
         info.st_uid == ::getuid() && (info.st_mode & 022) == 0;
}

}  // namespace

std::string UserLockPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (IsOwnFolder(runtime)) {
    std::string folder = runtime;
    while (folder.size() > 1 && folder.back() == '/')
      folder.pop_back();
    return folder + "/welcomer.lock";
  }
  const std::string folder = StateFolderPath();
  return folder.empty() ? std::string() : folder + "/run.lock";
}

PosixUserLock::~PosixUserLock() {
  Release();
}

bool PosixUserLock::Acquire(std::chrono::milliseconds wait, std::string& reason) {
  if (fd_ >= 0)
    return true;
  const std::string path = path_.empty() ? UserLockPath() : path_;
  const size_t slash = path.rfind('/');
  if (path.empty() || slash == std::string::npos) {
    reason = "no place for the lock: no home folder is known";
    return false;
  }
  if (path_.empty() && PrepareStateFolder(path.substr(0, slash == 0 ? 1 : slash), true, reason) !=
                           FolderState::kReady)
    return false;
  // Never through a link: the file is only ever locked, but a link could point anywhere.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    reason = "cannot open the lock " + path + ": " + std::strerror(errno);
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      return true;
    }
    const int error = errno;
    if ((error != EWOULDBLOCK && error != EINTR) || std::chrono::steady_clock::now() >= deadline) {
      reason = error == EWOULDBLOCK ? "another run held the lock " + path + " too long"
                                    : "cannot lock " + path + ": " + std::strerror(error);
      ::close(fd);
      return false;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

void PosixUserLock::Release() {
  if (fd_ < 0)
    return;
  // Closing drops the lock; the file stays so that every run locks the same one.
  ::close(fd_);
  fd_ = -1;
}

}  // namespace welcomer
