// The entry point of libwelcomer-ldap.so, the only symbol it exports.

#include <new>

#include "client/LdapModule.h"

extern "C" __attribute__((visibility("default"))) welcomer::client::DirectoryServer*
WelcomerLdapModuleOpen(const welcomer::client::LdapModuleHost& host,
                       const welcomer::client::DirectoryConfig& config, const std::string& account,
                       std::string& why) {
  using welcomer::client::kLdapModuleVersion;
  // Only the version is read before it is known to match: the rest may have another shape.
  if (host.version != kLdapModuleVersion) {
    why = "it serves client version " + std::to_string(kLdapModuleVersion) + ", not " +
          std::to_string(host.version);
    return nullptr;
  }
  if (host.expandAccount == nullptr || host.readPasswordFile == nullptr) {
    why = "the client lent it no helpers";
    return nullptr;
  }
  // No exception may cross into the client, which was not built to expect one from here.
  try {
    return welcomer::client::CreateLdapServer(config, account, host).release();
  } catch (const std::bad_alloc&) {
    why = "out of memory";
  } catch (...) {
    why = "the session could not be made";
  }
  return nullptr;
}
