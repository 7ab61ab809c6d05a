#include <dlfcn.h>

#include "client/LdapModule.h"
#include "platform/DynamicLibrary.h"

namespace welcomer::client {
namespace {

// The folder of the shared object this code is part of, with its trailing slash; empty when the
// loader does not say, or names it by a relative path that would depend on the current folder.
std::string ClientFolder() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&ClientFolder), &info) == 0 || info.dli_fname == nullptr)
    return std::string();
  const std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  if (path.empty() || path[0] != '/' || slash == std::string::npos)
    return std::string();
  return path.substr(0, slash + 1);
}

}  // namespace

std::unique_ptr<DirectoryServer> LoadLdapServer(const DirectoryConfig& config,
                                                const std::string& account, std::string& why) {
  const std::string folder = ClientFolder();
  if (folder.empty()) {
    why = "the LDAP module cannot be found: the client does not know its own folder";
    return nullptr;
  }
  const std::string path = folder + kLdapModuleFile;
  std::string failure;
  auto entry =
      reinterpret_cast<LdapModuleEntry>(LoadEntryPoint(path, kLdapModuleEntryName, failure));
  if (entry == nullptr) {
    why = "the LDAP module cannot be loaded: " + failure;
    return nullptr;
  }
  LdapModuleHost host;
  host.expandAccount = &ExpandAccount;
  host.readPasswordFile = &ReadPasswordFile;
  std::string refused;
  std::unique_ptr<DirectoryServer> server(entry(host, config, account, refused));
  if (server == nullptr)
    why = "the LDAP module " + path + " refused: " + refused;
  return server;
}

}  // namespace welcomer::client
