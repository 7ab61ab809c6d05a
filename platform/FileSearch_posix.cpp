#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "platform/AsciiText.h"
#include "platform/FileSearch.h"
#include "platform/PathCase.h"

namespace welcomer {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

uint32_t AttributesOf(const std::string& name, const struct stat& st) {
  uint32_t attributes = 0;
  if (S_ISDIR(st.st_mode)) {
    attributes |= kAttrDirectory;
  } else if (S_ISREG(st.st_mode)) {
    attributes |= kAttrArchive;
  } else {
    attributes |= kAttrSystem;
  }
  if (!name.empty() && name[0] == '.')
    attributes |= kAttrHidden;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    attributes |= kAttrReadOnly;
  return attributes;
}

unsigned char Capital(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - ('a' - 'A')) : byte;
}

// The original platform's file system hands out a folder's names in the order of their capitals;
// administrators number their messages a_, b_, ... on that promise.
bool NameOrderLess(const FoundFile& a, const FoundFile& b) {
  const size_t common = std::min(a.name.size(), b.name.size());
  for (size_t i = 0; i < common; ++i) {
    if (Capital(a.name[i]) != Capital(b.name[i]))
      return Capital(a.name[i]) < Capital(b.name[i]);
  }
  if (a.name.size() != b.name.size())
    return a.name.size() < b.name.size();
  // Names that differ in case only (possible here, not there) still need a fixed order.
  return a.name < b.name;
}

}  // namespace

std::vector<FoundFile> PosixFileSearcher::Find(const std::string& pattern) {
  std::vector<FoundFile> results;
  const size_t slash = pattern.rfind('/');
  const std::string directoryPart = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
  const std::string namePart = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  if (namePart.empty())
    return results;

  // Relative patterns search the current folder; their paths stay relative.
  const std::string folder =
      directoryPart.empty() ? std::string() : ResolvePathIgnoringCase(directoryPart);
  // `at` and `relative` name the entry for the system calls: relative to the open folder where
  // there is one, which spares walking the path again.
  const auto makeFound = [&folder](int at, const char* relative, const std::string& name,
                                   const struct stat& st) {
    FoundFile found{name, static_cast<uint64_t>(st.st_size), st.st_mtime, AttributesOf(name, st),
                    JoinPath(folder, name)};
    // Asked only where the answer matters: everything but a regular file is left out anyway.
    // Effective IDs and access lists count, as they do when the window opens the file.
    if (S_ISREG(st.st_mode) && (found.attributes & kAttrHidden) == 0)
      found.readable = ::faccessat(at, relative, R_OK, AT_EACCESS) == 0;
    return found;
  };
  const bool wildcard = HasWildcard(namePart);
  if (!wildcard) {
    // The exact spelling is the common case and needs no directory scan.
    struct stat st;
    const std::string path = JoinPath(folder, namePart);
    if (::stat(path.c_str(), &st) == 0) {
      results.push_back(makeFound(AT_FDCWD, path.c_str(), namePart, st));
      return results;
    }
  }
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir)
    return results;
  const int dirFd = ::dirfd(dir.get());

  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..")
      continue;
    if (wildcard ? !MatchesWildcard(namePart, name) : !SameTextAscii(name, namePart))
      continue;
    struct stat st;
    // Follow links, as the original platform reports the file a shortcut-free path names; a
    // dangling link names nothing.
    if (::fstatat(dirFd, name.c_str(), &st, 0) != 0)
      continue;
    results.push_back(makeFound(dirFd, name.c_str(), name, st));
  }
  std::sort(results.begin(), results.end(), NameOrderLess);
  // A plain name names one file, however many spellings of it the folder holds.
  if (!wildcard && results.size() > 1)
    results.resize(1);
  return results;
}

}  // namespace welcomer
