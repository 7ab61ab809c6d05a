#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace welcomer::testing {

/// A private slapd on loopback, laid out by make_directory.sh in a folder of its own and run as
/// this process's child: TCP on a free port below the ephemeral range, and an ldapi socket.
/// Stopped by its PID when the object goes. With `kerberos`, a private KDC of the realm
/// EXAMPLE.TEST (make_realm.sh) runs beside it, and slapd takes GSSAPI binds of its principals.
class PrivateDirectory {
 public:
  explicit PrivateDirectory(bool kerberos = false);
  ~PrivateDirectory();
  PrivateDirectory(const PrivateDirectory&) = delete;
  PrivateDirectory& operator=(const PrivateDirectory&) = delete;

  /// Starts slapd (again, on the same port and data); false when it does not answer.
  bool Start();
  void Stop();
  bool Running() const { return pid_ > 0; }

  std::string TcpUri() const { return "ldap://127.0.0.1:" + std::to_string(port_); }
  std::string LocalhostUri() const { return "ldap://localhost:" + std::to_string(port_); }
  std::string LdapiUri() const;
  const std::string& Folder() const { return folder_.path(); }
  /// The values of "l" of uid=<user>,ou=people as the administrator sees them.
  std::vector<std::string> Values(const std::string& user) const;
  /// How many lines of slapd's log hold " <what>" ("ACCEPT from" for connections, "BIND dn="
  /// with "method=" for binds, as slapd writes them).
  int Count(const std::string& what) const;
  /// Adds a value to "l" of uid=<user>,ou=people as the administrator.
  bool AddValue(const std::string& user, const std::string& value) const;
  /// What a client needs to bind as alice with GSSAPI: her ticket (taken with kinit here), the
  /// realm's krb5.conf, and an ldap.conf that turns host-name canonicalisation off. An empty
  /// value stands for a variable to unset. Empty without a KDC or when kinit fails.
  std::map<std::string, std::string> KerberosClient() const;

 private:
  TempDir folder_;
  bool StartKdc();
  std::map<std::string, std::string> ServerEnvironment() const;

  int port_ = 0;
  pid_t pid_ = -1;
  bool kerberos_ = false;
  pid_t kdcPid_ = -1;
};

/// Starts `args` (the program found in PATH) as a child, its environment this process's with
/// `extra` added (an empty value unsets the variable), its standard output to `out` (or
/// /dev/null for -1) and its standard error appended to `log`. -1 when it cannot be started.
pid_t Spawn(const std::vector<std::string>& args, const std::map<std::string, std::string>& extra,
            int out, const std::string& log);

/// The account name the tests run as.
std::string CurrentAccountName();

/// A port on 127.0.0.1 below the ephemeral range that nothing listens on right now.
int FreePort();

/// Runs `command` through the shell; its standard output, or "" when it fails.
std::string Capture(const std::string& command);

}  // namespace welcomer::testing
