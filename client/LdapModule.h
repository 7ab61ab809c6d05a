#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

#include "client/DirectoryConfig.h"
#include "client/DirectoryServer.h"

// libldap brings some fifteen libraries with it (TLS, SASL, IDN, ...), and loading them costs a
// login several times what the rest of the client does. So the session through libldap lives in
// a module of its own, libwelcomer-ldap.so beside the client, which the client loads only when
// directory.conf chooses `backend ldap`. Everything else of the LDAP backend (who the user is,
// the offline cache, the notices) stays in the client, which holds the only copy of the
// process's state; the module holds none and borrows the few helpers it needs.

namespace welcomer::client {

/// The module's file name, looked for in the folder the client was loaded from.
inline constexpr const char* kLdapModuleFile = "libwelcomer-ldap.so";
/// The one symbol the module exports: an LdapModuleEntry.
inline constexpr const char* kLdapModuleEntryName = "WelcomerLdapModuleOpen";
/// Raised whenever anything that crosses the entry point changes its shape, so that a module
/// of another build is refused rather than misread.
inline constexpr uint32_t kLdapModuleVersion = 1;

/// What the module borrows from the client, which keeps the only copy of the configuration
/// reader. `version` comes first and stays there, so that any module can read it.
struct LdapModuleHost {
  uint32_t version = kLdapModuleVersion;
  std::string (*expandAccount)(const std::string& pattern, const std::string& account,
                               bool forFilter) = nullptr;
  bool (*readPasswordFile)(const std::string& path, uid_t owner, std::string& password,
                           std::string& error) = nullptr;
};

/// The module's entry point: a new, unopened session for `config` and `account` (the caller
/// owns it), or null with `why` when the module cannot serve this client (another version).
/// Never throws.
using LdapModuleEntry = DirectoryServer* (*)(const LdapModuleHost& host,
                                             const DirectoryConfig& config,
                                             const std::string& account, std::string& why);

/// Loads the module from the folder this client was loaded from (never from a search path) and
/// makes a session through it. Null, with `why` naming the file and the loader's reason, when
/// the module is missing, cannot be loaded (libldap missing, a damaged file), has no entry
/// point or refuses. The module stays loaded for the life of the process.
std::unique_ptr<DirectoryServer> LoadLdapServer(const DirectoryConfig& config,
                                                const std::string& account, std::string& why);

}  // namespace welcomer::client
