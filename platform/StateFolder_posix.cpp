#include "platform/StateFolder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace welcomer {
namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/')
    return home;
  struct passwd* entry = ::getpwuid(::getuid());
  if (entry != nullptr && entry->pw_dir != nullptr)
    return entry->pw_dir;
  return std::string();
}

std::string Because(const std::string& what, const std::string& path, int error) {
  return what + " " + path + ": " + std::strerror(error);
}

}  // namespace

std::string StateFolderPath() {
  std::string base;
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') {
    base = state;
  } else {
    const std::string home = HomeFolder();
    if (home.empty())
      return std::string();
    base = home + "/.local/state";
  }
  while (base.size() > 1 && base.back() == '/')
    base.pop_back();
  return base + "/welcomer";
}

bool PrepareStateFolder(const std::string& folder, std::string& reason) {
  if (folder.empty() || folder[0] != '/') {
    reason = "no state folder: no home folder is known";
    return false;
  }
  size_t position = 1;
  while (position <= folder.size()) {
    size_t slash = folder.find('/', position);
    if (slash == std::string::npos)
      slash = folder.size();
    const std::string prefix = folder.substr(0, slash);
    position = slash + 1;
    if (prefix.empty() || prefix.back() == '/')
      continue;
    struct stat info;
    if (::stat(prefix.c_str(), &info) == 0) {
      if (!S_ISDIR(info.st_mode)) {
        reason = prefix + " is not a folder";
        return false;
      }
      continue;
    }
    if (errno != ENOENT) {
      reason = Because("cannot look at", prefix, errno);
      return false;
    }
    if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
      reason = Because("cannot make the folder", prefix, errno);
      return false;
    }
    ::chmod(prefix.c_str(), 0700);
  }
  return true;
}

StateFile PrepareStateFile(const std::string& path, size_t headSize) {
  StateFile file;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) {
    ::fchmod(fd, 0600);
    ::close(fd);
    file.usable = true;
    return file;
  }
  if (errno != EEXIST) {
    file.reason = Because("cannot make", path, errno);
    return file;
  }
  fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    file.reason = Because("cannot open", path, errno);
    return file;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    file.reason = path + " is not a regular file";
    return file;
  }
  file.head.resize(headSize);
  const ssize_t got = headSize == 0 ? 0 : ::read(fd, file.head.data(), headSize);
  const int readError = errno;
  ::close(fd);
  if (got < 0) {
    file.head.clear();
    file.reason = Because("cannot read", path, readError);
    return file;
  }
  file.head.resize(static_cast<size_t>(got));
  file.usable = true;
  return file;
}

}  // namespace welcomer
