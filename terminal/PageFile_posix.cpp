#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/PathCase.h"
#include "terminal/PageFile.h"

namespace welcomer {
namespace {

std::string CannotOpen(const std::string& path, int error) {
  return "Cannot open file \"" + path + "\". " + std::strerror(error);
}

}  // namespace

bool DiskPageFileSource::Read(const std::string& path, PageFile& file, std::string& error) {
  file.path = ResolvePathIgnoringCase(path);
  file.bytes.clear();
  file.complete = true;
  // Non-blocking, so that a named pipe put where a file was cannot hang the login.
  const int fd = ::open(file.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = CannotOpen(file.path, errno);
    return false;
  }
  struct stat st;
  int failure = 0;
  if (::fstat(fd, &st) != 0)
    failure = errno;
  else if (!S_ISREG(st.st_mode))
    failure = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  char buffer[65536];
  while (failure == 0 && file.bytes.size() < maximumSize_) {
    const size_t wanted = std::min(sizeof buffer, maximumSize_ - file.bytes.size());
    const ssize_t got = ::read(fd, buffer, wanted);
    if (got == 0)
      break;
    if (got < 0) {
      if (errno != EINTR)
        failure = errno;
      continue;
    }
    file.bytes.append(buffer, static_cast<size_t>(got));
  }
  // One byte more tells whether the file goes on; it may have grown since it was measured.
  if (failure == 0 && file.bytes.size() >= maximumSize_) {
    char extra = 0;
    file.complete = ::read(fd, &extra, 1) <= 0;
  }
  ::close(fd);
  if (failure != 0) {
    error = CannotOpen(file.path, failure);
    return false;
  }
  return true;
}

}  // namespace welcomer
