#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace welcomer {

/// Attribute bits of a search result, with the values the directory-search API of the original
/// platform gives them.
enum FileAttribute : uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrVolumeLabel = 0x08,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
};

/// One directory entry that a search found.
struct FoundFile {
  std::string name;         ///< the entry's own name, as the file system spells it
  uint64_t size = 0;        ///< size in bytes
  std::time_t lastWrite{};  ///< last-write time, seconds since the epoch
  uint32_t attributes = 0;  ///< FileAttribute bits
  std::string path{};       ///< where to open it: its folder as found on disk, then its name
  bool readable = true;     ///< false for a regular file that the user may not read
};

/// Lists the entries that match a path whose last component may hold the wildcards "*" and "?".
class FileSearcher {
 public:
  virtual ~FileSearcher() = default;
  /// Every entry that matches `pattern`, directories and hidden entries included (the caller
  /// filters by attribute), in name order: names compared byte by byte with letters taken as
  /// capitals, names that differ only in case in plain byte order. Letter case is ignored in
  /// matching, "*" matches any run of characters, "?" exactly one, and "*.*" every name. A name
  /// without wildcards yields at most one entry, the exact spelling preferred.
  virtual std::vector<FoundFile> Find(const std::string& pattern) = 0;
};

/// True when `name` matches the wildcard `pattern` by the rules of FileSearcher::Find.
bool MatchesWildcard(const std::string& pattern, const std::string& name);

/// True when the text holds "*" or "?".
bool HasWildcard(const std::string& text);

/// Searches the real file system. Hidden: the name starts with "."; system: neither a regular
/// file nor a directory; read-only: no write permission bit; every regular file is archive.
/// Each path is tried as given first, and resolved without regard to case only when that fails,
/// so that folders that may be searched but not listed still work for names spelt right.
class PosixFileSearcher : public FileSearcher {
 public:
  std::vector<FoundFile> Find(const std::string& pattern) override;
};

}  // namespace welcomer
