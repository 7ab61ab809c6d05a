#include "platform/PathCase.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <string_view>

#include "platform/AsciiText.h"

namespace welcomer {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// The first entry of `directory` that equals `name` without regard to case, or empty.
std::string FindEntryIgnoringCase(const std::string& directory, std::string_view name) {
  std::unique_ptr<DIR, DirCloser> dir(::opendir(directory.empty() ? "." : directory.c_str()));
  if (!dir)
    return std::string();
  while (const dirent* entry = ::readdir(dir.get())) {
    if (SameTextAscii(entry->d_name, name))
      return entry->d_name;
  }
  return std::string();
}

}  // namespace

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty())
    return name;
  if (directory.back() == '/')
    return directory + name;
  return directory + "/" + name;
}

std::string ResolvePathIgnoringCase(const std::string& path) {
  // Most paths exist as given: one system call settles them.
  if (path.empty() || Exists(path))
    return path;

  std::string resolved = path[0] == '/' ? "/" : "";
  size_t pos = 0;
  while (pos < path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos)
      end = path.size();
    std::string component = path.substr(pos, end - pos);
    pos = end + 1;
    if (component.empty())
      continue;

    std::string candidate = JoinPath(resolved, component);
    if (component == "." || component == ".." || Exists(candidate)) {
      resolved = candidate;
      continue;
    }
    std::string found = FindEntryIgnoringCase(resolved, component);
    if (found.empty()) {
      // Nothing matches: keep the rest as given, so the caller's own lookup fails cleanly.
      return end >= path.size() ? candidate : JoinPath(candidate, path.substr(end + 1));
    }
    resolved = JoinPath(resolved, found);
  }
  if (path.back() == '/' && resolved.back() != '/')
    resolved += '/';
  return resolved;
}

}  // namespace welcomer
