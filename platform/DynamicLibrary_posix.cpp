#include <dlfcn.h>

#include "platform/DynamicLibrary.h"

namespace welcomer {

void* LoadLibraryAt(const std::string& absolutePath, std::string& reason) {
  // Only absolute paths: a bare name would make the loader search the library path and a
  // relative one the current directory, and either could plant a foreign library on us.
  if (absolutePath.empty() || absolutePath[0] != '/') {
    reason = "not an absolute path: " + absolutePath;
    return nullptr;
  }
  void* library = ::dlopen(absolutePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* error = ::dlerror();
    reason = error != nullptr ? error : absolutePath + ": cannot be loaded";
  }
  return library;
}

void* FindLibrarySymbol(void* library, const char* name) {
  if (library == nullptr)
    return nullptr;
  return ::dlsym(library, name);
}

void* LoadEntryPoint(const std::string& absolutePath, const char* entryName, std::string& reason) {
  void* library = LoadLibraryAt(absolutePath, reason);
  if (library == nullptr)
    return nullptr;
  void* entry = FindLibrarySymbol(library, entryName);
  if (entry == nullptr)
    reason = absolutePath + " has no entry point " + entryName;
  return entry;
}

}  // namespace welcomer
