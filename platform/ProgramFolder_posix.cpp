#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include "platform/ProgramFolder.h"

namespace welcomer {

namespace {

std::string FindProgramLibraryFolder() {
  char executable[PATH_MAX];
  ssize_t length = ::readlink("/proc/self/exe", executable, sizeof executable - 1);
  if (length <= 0)
    return std::string();
  std::string path(executable, static_cast<size_t>(length));
  size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return std::string();
  std::string folder = path.substr(0, slash) + "/../lib/welcomer";
  char resolved[PATH_MAX];
  if (::realpath(folder.c_str(), resolved) == nullptr)
    return std::string();
  return std::string(resolved) + "/";
}

}  // namespace

std::string ProgramLibraryFolder() {
  // The executable does not move while it runs; resolving the folder costs a system call per
  // path component, and the program and its client loader both ask.
  static const std::string folder = FindProgramLibraryFolder();
  return folder;
}

}  // namespace welcomer
