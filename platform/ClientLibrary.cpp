#include "platform/ClientLibrary.h"

#include "platform/AsciiText.h"
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
  std::string failure;
  void* module = nullptr;
  if (file.empty()) {
    failure = "no library file for the name " + name;
  } else if (folder_.empty() || folder_[0] != '/') {
    failure = file + ": the program's library folder is unknown";
  } else {
    std::string path = folder_;
    if (path.back() != '/')
      path += '/';
    module = LoadLibraryAt(path + file, failure);
  }
  // The first failure is the one to fix; later ones often follow from it.
  if (module == nullptr && loadFailure_.empty())
    loadFailure_ = failure;
  return module;
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
