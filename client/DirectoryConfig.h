#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace welcomer::client {

/// Where the user's state is kept, as `welcomer/directory.conf` chooses. Empty texts stand for
/// "as ldap.conf says", which libldap reads on its own.
struct DirectoryConfig {
  enum class Backend { kSqlite, kLdap };
  enum class Bind { kSasl, kSimple };

  Backend backend = Backend::kSqlite;
  std::string uri;  ///< one or more URIs, separated by blanks, tried in order
  std::string base;
  Bind bind = Bind::kSasl;
  std::string saslMech;
  std::string bindDn;  ///< may hold %u
  std::string bindPasswordFile;
  std::string userFilter = "(uid=%u)";
  std::string attribute = "l";
  int timeoutSeconds = 3;
  bool cache = true;
  std::string path;  ///< the file it came from; empty when there is none
};

/// The configuration file that applies: $XDG_CONFIG_HOME/welcomer/directory.conf (an unset,
/// empty or relative XDG_CONFIG_HOME stands for ~/.config), else the first folder of
/// $XDG_CONFIG_DIRS (default /etc/xdg) that holds welcomer/directory.conf. Empty when none does.
std::string FindDirectoryConfig();

/// Parses `text`, lines of `keyword value` with case-insensitive keywords and `#` comments, over
/// the defaults in `config`. An unknown keyword, a keyword given twice, a missing or bad value,
/// or an `ldap` backend that cannot bind as configured is an error: false, with `error` saying
/// which line and why.
bool ParseDirectoryConfig(const std::string& text, DirectoryConfig& config, std::string& error);

/// Reads the file that FindDirectoryConfig names; no file gives the defaults (the embedded
/// directory). False, with `error`, when the file cannot be read or does not parse.
bool LoadDirectoryConfig(DirectoryConfig& config, std::string& error);

/// Replaces every %u in `pattern` with `account`, escaped for where it goes: as an LDAP filter
/// value (RFC 4515) when `forFilter`, else as a DN attribute value (RFC 4514).
std::string ExpandAccount(const std::string& pattern, const std::string& account, bool forFilter);

/// RFC 4515: "*", "(", ")", "\" and NUL as \XX.
std::string EscapeFilterValue(const std::string& value);

/// Reads a password file that belongs to `owner` or root and that nobody else may read or write
/// (a trailing line break is not part of the password). False, with `error`, otherwise.
bool ReadPasswordFile(const std::string& path, uid_t owner, std::string& password,
                      std::string& error);

}  // namespace welcomer::client
