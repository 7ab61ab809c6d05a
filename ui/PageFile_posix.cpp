#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImageReader>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/PathCase.h"
#include "ui/PageDecoding.h"
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

// What the file's first bytes say it is; a file that cannot be read there is taken for text, and
// its read fails below.
bool IsPictureFile(int fd) {
  char head[12];
  ssize_t got;
  do {
    got = ::pread(fd, head, sizeof head, 0);
  } while (got < 0 && errno == EINTR);
  return got > 0 && IsPicture(PageKindOf(std::string_view(head, static_cast<size_t>(got))));
}

}  // namespace

qint64 MaxPictureFileSize() {
  return std::max<qint64>(qint64{QImageReader::allocationLimit()} * 1024 * 1024, kMaxPageFileSize);
}

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
  const qint64 maximumSize = IsPictureFile(fd.get()) ? maximumPictureSize_ : maximumTextSize_;
  if (st.st_size > maximumSize) {
    error = TooLarge(resolved, maximumSize);
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
    if (bytes.size() + got > maximumSize) {
      error = TooLarge(resolved, maximumSize);
      return false;
    }
    bytes.append(buffer, got);
  }
  return true;
}

}  // namespace welcomer
