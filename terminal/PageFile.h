#pragma once

#include <cstddef>
#include <string>

namespace welcomer {

/// The most of a page file that is read: text beyond it could not be read sensibly on a
/// terminal, and a file that grows without end must not exhaust memory. A picture needs only
/// its header, which is always within it.
inline constexpr size_t kMaxTerminalPageSize = 16 * 1024 * 1024;

/// A page file as read for the terminal.
struct PageFile {
  /// Where the file was found, in the letter case it has on disk.
  std::string path;
  /// Its content, or its first bytes when it is longer than the reader reads.
  std::string bytes;
  /// False when the file holds more than `bytes`.
  bool complete = true;
};

/// Reads the files the terminal pages show.
class PageFileSource {
 public:
  virtual ~PageFileSource() = default;
  /// Reads the file that `path` names. On failure returns false and puts the reason, written for
  /// the user, into `error`.
  virtual bool Read(const std::string& path, PageFile& file, std::string& error) = 0;
};

/// Reads from the file system, resolving the path without regard to letter case, at most
/// `maximumSize` bytes of a file. Refuses what is not a regular file: a pipe or a device could
/// block or never end.
class DiskPageFileSource : public PageFileSource {
 public:
  explicit DiskPageFileSource(size_t maximumSize = kMaxTerminalPageSize)
      : maximumSize_(maximumSize) {}
  bool Read(const std::string& path, PageFile& file, std::string& error) override;

 private:
  size_t maximumSize_;
};

}  // namespace welcomer
