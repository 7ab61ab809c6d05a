#include "platform/StateFolder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>

namespace welcomer {
namespace {

// As the kernel's own limit of links in one path.
constexpr int kMaxLinks = 40;

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

bool TrustedOwner(uid_t owner) {
  return owner == ::getuid() || owner == 0;
}

std::string NotOwn(const std::string& what, const std::string& path, uid_t owner) {
  return what + " " + path + " belongs to user " + std::to_string(owner) + ", not to user " +
         std::to_string(::getuid());
}

void AppendParts(const std::string& path, std::deque<std::string>& parts, bool front) {
  std::deque<std::string> found;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos)
      slash = path.size();
    if (slash > start)
      found.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  if (front)
    parts.insert(parts.begin(), found.begin(), found.end());
  else
    parts.insert(parts.end(), found.begin(), found.end());
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// Walks `path` one name at a time, as the kernel would, but looks at each link before it is
// followed. Missing folders are made when `create` says so. `resolved` ends as the path without
// links.
FolderState WalkTo(const std::string& path, bool create, std::string& resolved,
                   std::string& reason) {
  std::deque<std::string> parts;
  AppendParts(path, parts, false);
  resolved = "/";
  int links = 0;
  while (!parts.empty()) {
    const std::string part = parts.front();
    parts.pop_front();
    if (part == ".")
      continue;
    if (part == "..") {
      const size_t slash = resolved.rfind('/');
      resolved = slash == 0 ? "/" : resolved.substr(0, slash);
      continue;
    }
    const std::string next = Join(resolved, part);
    struct stat info;
    if (::lstat(next.c_str(), &info) != 0) {
      if (errno != ENOENT) {
        reason = Because("cannot look at", next, errno);
        return FolderState::kRefused;
      }
      if (!create)
        return FolderState::kMissing;
      if (::mkdir(next.c_str(), 0700) != 0 && errno != EEXIST) {
        reason = Because("cannot make the folder", next, errno);
        return FolderState::kRefused;
      }
      // Made here or by another run just now: look again.
      parts.push_front(part);
      continue;
    }
    if (S_ISLNK(info.st_mode)) {
      if (!TrustedOwner(info.st_uid)) {
        reason = NotOwn("the link", next, info.st_uid);
        return FolderState::kRefused;
      }
      char target[4096];
      const ssize_t length = ::readlink(next.c_str(), target, sizeof target - 1);
      if (length < 0 || ++links > kMaxLinks) {
        reason = "cannot follow the link " + next;
        return FolderState::kRefused;
      }
      const std::string destination(target, static_cast<size_t>(length));
      if (!destination.empty() && destination[0] == '/')
        resolved = "/";
      AppendParts(destination, parts, true);
      continue;
    }
    if (!S_ISDIR(info.st_mode)) {
      reason = next + " is not a folder";
      return FolderState::kRefused;
    }
    resolved = next;
  }
  return FolderState::kReady;
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

FolderState PrepareStateFolder(const std::string& folder, bool create, std::string& reason) {
  if (folder.empty() || folder[0] != '/') {
    reason = "no state folder: no home folder is known";
    return FolderState::kRefused;
  }
  std::string resolved;
  const FolderState state = WalkTo(folder, create, resolved, reason);
  if (state != FolderState::kReady)
    return state;
  struct stat info;
  if (::stat(resolved.c_str(), &info) != 0) {
    reason = Because("cannot look at", resolved, errno);
    return FolderState::kRefused;
  }
  if (info.st_uid != ::getuid()) {
    reason = NotOwn("the state folder", resolved, info.st_uid);
    return FolderState::kRefused;
  }
  if ((info.st_mode & 022) != 0 && ::chmod(resolved.c_str(), 0700) != 0) {
    reason = Because("cannot keep others out of", resolved, errno);
    return FolderState::kRefused;
  }
  return FolderState::kReady;
}

StateFile PrepareStateFile(const std::string& path, size_t headSize, bool create) {
  StateFile file;
  struct stat link;
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && !TrustedOwner(link.st_uid)) {
    file.reason = NotOwn("the link", path, link.st_uid);
    return file;
  }
  int fd = create ? ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600) : -1;
  if (fd >= 0) {
    ::fchmod(fd, 0600);
    ::close(fd);
    file.usable = true;
    return file;
  }
  if (create && errno != EEXIST) {
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
  if (info.st_uid != ::getuid()) {
    ::close(fd);
    file.reason = NotOwn("the file", path, info.st_uid);
    return file;
  }
  if ((info.st_mode & 022) != 0)
    ::fchmod(fd, 0600);
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

void TightenStateFile(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid() &&
      (info.st_mode & 0777) != 0600)
    ::chmod(path.c_str(), 0600);
}

}  // namespace welcomer
