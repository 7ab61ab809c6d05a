#pragma once

#include <string>
#include <utility>

namespace welcomer {

/// Opens the directory client's libraries by the names the client layers know them by
/// ("NETWIN32.DLL") and finds their entry points. Libraries stay loaded until the process ends.
class ClientLibraryLoader {
 public:
  virtual ~ClientLibraryLoader() = default;
  /// The module of the library called `name`; null when it cannot be loaded.
  virtual void* Load(const std::string& name) = 0;
  /// The entry point `symbol` of `module`; null when it is missing or `module` is null.
  virtual void* Find(void* module, const char* symbol) = 0;
  /// Why the first library that failed to load did so, naming its file; empty when none failed.
  virtual std::string LoadFailure() const { return std::string(); }
};

/// The file a client library name stands for on this platform: "NETWIN32.DLL" gives
/// "libnetwin32.so" (lower-cased, extension dropped). Empty for a name holding a path delimiter,
/// so that a name can never lead out of the library folder.
std::string ClientLibraryFileName(const std::string& name);

/// Loads the libraries from one folder, by absolute path only.
class FolderClientLibraryLoader : public ClientLibraryLoader {
 public:
  /// `folder` must be absolute; with an empty or relative folder nothing ever loads.
  explicit FolderClientLibraryLoader(std::string folder) : folder_(std::move(folder)) {}
  void* Load(const std::string& name) override;
  void* Find(void* module, const char* symbol) override;
  std::string LoadFailure() const override { return loadFailure_; }
  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
  std::string loadFailure_;
};

/// The loader the client layers use. Until another is installed it is a
/// FolderClientLibraryLoader over ProgramLibraryFolder().
ClientLibraryLoader& CurrentClientLibraryLoader();

/// Installs `loader` (not owned) for every later load and look-up; null brings back the program's
/// own. Returns the loader installed before.
ClientLibraryLoader* SetClientLibraryLoader(ClientLibraryLoader* loader);

}  // namespace welcomer
