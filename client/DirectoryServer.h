#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "client/ClientErrors.h"
#include "client/DirectoryConfig.h"
#include "client/DirectoryName.h"

namespace welcomer::client {

using Deadline = std::chrono::steady_clock::time_point;

/// What the server answered to one request: 0 or a code of ClientErrors.h, and for a refusal the
/// server's own words (result name, number and diagnostic text), for the user to read under /v.
struct ServerAnswer {
  int32_t code = 0;
  std::string text;
  bool Ok() const { return code == 0; }
  /// The server is gone or silent: the session is closed and no later request is sent.
  bool Lost() const { return code == kNWErrServerDown || code == kNWErrTimeout; }
};

/// One session with the directory server, opened once and used for every call of a run. Every
/// request gives up at `deadline`; a request that times out or finds the server gone closes the
/// session, and every later request then fails at once with the same code.
class DirectoryServer {
 public:
  virtual ~DirectoryServer() = default;

  /// Connects to the first URI that answers and binds as configured.
  virtual ServerAnswer Open(Deadline deadline) = 0;
  /// The URIs the session uses, as configured or as ldap.conf gives them.
  virtual std::string Uri() const = 0;
  /// The base for searches, as configured or as ldap.conf gives it.
  virtual std::string Base() const = 0;
  /// The DN the server says the session is bound as ("Who am I?"); empty when it names no DN.
  virtual ServerAnswer WhoAmI(Deadline deadline, std::string& dn) = 0;
  /// The DNs of the entries below `base` that match `filter`; at most two are asked for, which
  /// is enough to tell one from several.
  virtual ServerAnswer Search(Deadline deadline, const std::string& base, const std::string& filter,
                              std::vector<std::string>& dns) = 0;
  /// The values of `attribute` of the entry `dn`, in the order the server keeps them.
  virtual ServerAnswer ReadValues(Deadline deadline, const std::string& dn,
                                  const std::string& attribute,
                                  std::vector<std::string>& values) = 0;
  /// Applies the changes (true: add the value, false: delete it) to `attribute` of `dn` in one
  /// modify request, so that the server takes all of them or none.
  virtual ServerAnswer ModifyValues(Deadline deadline, const std::string& dn,
                                    const std::string& attribute,
                                    const std::vector<std::pair<bool, std::string>>& changes) = 0;
  /// Why the session was lost; code 0 while it is not.
  virtual ServerAnswer LostAnswer() const = 0;
  /// The DN as a directory name (see NameFromDn); the server's library knows how DNs are
  /// written, so the reading of them travels with the session.
  virtual bool ParseDn(const std::string& dn, DirectoryName& name) const = 0;
};

struct LdapModuleHost;

// The rest lives in the LDAP module (LdapModule.h), with libldap; the client core reaches it
// only through the module's entry point.

/// The session through libldap. `account` stands for %u in the bind DN; `host` lends the
/// client's own helpers.
std::unique_ptr<DirectoryServer> CreateLdapServer(const DirectoryConfig& config,
                                                  const std::string& account,
                                                  const LdapModuleHost& host);

/// The DN as a directory name: one typed part per RDN, most specific first. False for a DN that
/// has no such form (empty, multi-valued RDNs, binary values, types that are no plain names).
bool NameFromDn(const std::string& dn, DirectoryName& name);

/// The client code for an LDAP result code.
int32_t FromLdapResult(int rc);

}  // namespace welcomer::client
