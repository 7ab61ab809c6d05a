#include "platform/ClientLibrary.h"

#include "netware/AsciiText.h"
#include "platform/DynamicLibrary.h"
#include "platform/ProgramFolder.h"

namespace welcomer {
namespace {

ClientLibraryLoader* installedLoader = nullptr;

}  // namespace

std::string ClientLibraryFileName(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos || name.find('\\') != std::string::npos) {
    return std::string();
  }
  std::string stem = LowerCaseAscii(name);
  if (stem.size() > 4 && stem.ends_with(".dll"))
    stem.resize(stem.size() - 4);
  return "lib" + stem + ".so";
}

void* FolderClientLibraryLoader::Load(const std::string& name) {
  const std::string file = ClientLibraryFileName(name);
  if (file.empty() || folder_.empty() || folder_[0] != '/')
    return nullptr;
  std::string path = folder_;
  if (path.back() != '/')
    path += '/';
  return LoadLibraryAt(path + file);
}

void* FolderClientLibraryLoader::Find(void* module, const char* symbol) {
  return FindLibrarySymbol(module, symbol);
}

ClientLibraryLoader& CurrentClientLibraryLoader() {
  if (installedLoader != nullptr)
    return *installedLoader;
  // Located once: the executable does not move while it runs.
  static FolderClientLibraryLoader programLoader(ProgramLibraryFolder());
  return programLoader;
}

ClientLibraryLoader* SetClientLibraryLoader(ClientLibraryLoader* loader) {
  ClientLibraryLoader* previous = installedLoader;
  installedLoader = loader;
  return previous;
}

}  // namespace welcomer
