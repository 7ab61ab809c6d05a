#pragma once

#include <QByteArray>
#include <QString>

#include <string>

namespace welcomer {

/// The largest page file the window reads: text beyond it could not be shown sensibly, and a
/// file that grows without end must not exhaust memory.
inline constexpr qint64 kMaxPageFileSize = 16 * 1024 * 1024;

/// Reads the files the window shows.
class PageFileReader {
 public:
  virtual ~PageFileReader() = default;
  /// Reads the whole file at `path` into `bytes`. On failure returns false and puts the reason,
  /// written for the user, into `error`.
  virtual bool Read(const std::string& path, QByteArray& bytes, QString& error) = 0;
};

/// Reads from the file system, resolving the path without regard to letter case. Refuses what
/// is not a regular file (a pipe or a device could block or never end) and anything larger than
/// `maximumSize` bytes.
class DiskPageFileReader : public PageFileReader {
 public:
  explicit DiskPageFileReader(qint64 maximumSize = kMaxPageFileSize) : maximumSize_(maximumSize) {}
  bool Read(const std::string& path, QByteArray& bytes, QString& error) override;

 private:
  qint64 maximumSize_;
};

}  // namespace welcomer
