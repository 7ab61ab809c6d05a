#pragma once

#include <QByteArray>
#include <QString>

#include <string>

namespace welcomer {

/// The largest text page the window reads: text beyond it could not be shown sensibly, and a
/// file that grows without end must not exhaust memory.
inline constexpr qint64 kMaxPageFileSize = 16 * 1024 * 1024;

/// The largest picture page the window reads: Qt's image allocation limit, since a picture file
/// is never larger than the picture it holds decoded (and never less than the text limit).
qint64 MaxPictureFileSize();

/// Reads the files the window shows.
class PageFileReader {
 public:
  virtual ~PageFileReader() = default;
  /// Reads the whole file at `path` into `bytes`. On failure returns false and puts the reason,
  /// written for the user, into `error`.
  virtual bool Read(const std::string& path, QByteArray& bytes, QString& error) = 0;
};

/// Reads from the file system, resolving the path without regard to letter case. Refuses what
/// is not a regular file (a pipe or a device could block or never end), a picture (a file that
/// begins with a picture's signature) larger than `maximumPictureSize` bytes and any other file
/// larger than `maximumTextSize` bytes.
class DiskPageFileReader : public PageFileReader {
 public:
  explicit DiskPageFileReader(qint64 maximumTextSize = kMaxPageFileSize,
                              qint64 maximumPictureSize = MaxPictureFileSize())
      : maximumTextSize_(maximumTextSize), maximumPictureSize_(maximumPictureSize) {}
  bool Read(const std::string& path, QByteArray& bytes, QString& error) override;

 private:
  qint64 maximumTextSize_;
  qint64 maximumPictureSize_;
};

}  // namespace welcomer
