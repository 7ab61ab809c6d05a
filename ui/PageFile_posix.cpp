#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/PathCase.h"
#include "ui/PageFile.h"

namespace welcomer {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

QString CannotOpen(const std::string& path, int error) {
  return QStringLiteral("Cannot open file \"%1\". %2")
      .arg(QString::fromLocal8Bit(path.c_str()), QString::fromLocal8Bit(std::strerror(error)));
}

QString TooLarge(const std::string& path, qint64 maximumSize) {
  return QStringLiteral("The file \"%1\" is too large to show: it holds more than %2 MiB.")
      .arg(QString::fromLocal8Bit(path.c_str()))
      .arg(maximumSize / (1024 * 1024));
}

}  // namespace

bool DiskPageFileReader::Read(const std::string& path, QByteArray& bytes, QString& error) {
  const std::string resolved = ResolvePathIgnoringCase(path);
  // Non-blocking, so that a named pipe put where a file was cannot hang the window.
  FileDescriptor fd(::open(resolved.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) {
    error = CannotOpen(resolved, errno);
    return false;
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) {
    error = CannotOpen(resolved, errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = CannotOpen(resolved, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    return false;
  }
  if (st.st_size > maximumSize_) {
    error = TooLarge(resolved, maximumSize_);
    return false;
  }
  bytes.clear();
  bytes.reserve(static_cast<qsizetype>(st.st_size));
  char buffer[65536];
  while (true) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got == 0)
      break;
    if (got < 0) {
      if (errno == EINTR)
        continue;
      error = CannotOpen(resolved, errno);
      return false;
    }
    // The file may have grown since it was measured.
    if (bytes.size() + got > maximumSize_) {
      error = TooLarge(resolved, maximumSize_);
      return false;
    }
    bytes.append(buffer, got);
  }
  return true;
}

}  // namespace welcomer
