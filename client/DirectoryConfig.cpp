#include "client/DirectoryConfig.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <sstream>

#include "client/DirectoryName.h"

namespace welcomer::client {
namespace {

// Larger than any sensible configuration; a bigger file is someone's mistake, not ours to read.
constexpr size_t kMaxConfigSize = 64 * 1024;
constexpr size_t kMaxPasswordSize = 4096;
constexpr int kMaxTimeoutSeconds = 600;

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos)
    return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/')
    return home;
  struct passwd* entry = ::getpwuid(::getuid());
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : std::string();
}

bool IsFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Reads a file of at most `limit` bytes; `check` may refuse it by what fstat tells of the very
// file that is read, with the reason in `error`.
bool ReadSmallFile(const std::string& path, size_t limit, std::string& content, std::string& error,
                   const std::function<bool(const struct stat&)>& check = nullptr) {
  // Non-blocking, so that a pipe put in its place cannot hang the login.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = path + ": cannot be read";
    return false;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<size_t>(info.st_size) > limit) {
    ::close(fd);
    error = path + ": not a regular file of a sensible size";
    return false;
  }
  if (check && !check(info)) {
    ::close(fd);
    return false;
  }
  content.clear();
  char chunk[4096];
  ssize_t got;
  while ((got = ::read(fd, chunk, sizeof chunk)) > 0 && content.size() <= limit)
    content.append(chunk, static_cast<size_t>(got));
  ::close(fd);
  if (got < 0 || content.size() > limit) {
    error = path + ": cannot be read";
    return false;
  }
  return true;
}

bool ParseYesNo(const std::string& value, bool& flag) {
  const std::string lower = AsciiLower(value);
  if (lower == "yes" || lower == "on" || lower == "true") {
    flag = true;
    return true;
  }
  if (lower == "no" || lower == "off" || lower == "false") {
    flag = false;
    return true;
  }
  return false;
}

bool ParseTimeout(const std::string& value, int& seconds) {
  if (value.empty() || value.size() > 4 ||
      value.find_first_not_of("0123456789") != std::string::npos)
    return false;
  seconds = std::stoi(value);
  return seconds >= 1 && seconds <= kMaxTimeoutSeconds;
}

bool IsUriList(const std::string& value) {
  std::istringstream words(value);
  std::string uri;
  bool any = false;
  while (words >> uri) {
    const std::string lower = AsciiLower(uri);
    if (!lower.starts_with("ldap://") && !lower.starts_with("ldaps://") &&
        !lower.starts_with("ldapi://"))
      return false;
    any = true;
  }
  return any;
}

// An attribute description as LDAP writes it: a name (a letter, then letters, digits and
// hyphens) or a numeric OID.
bool IsAttributeName(const std::string& value) {
  if (value.empty())
    return false;
  const auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (isAlpha(value[0])) {
    for (char c : value)
      if (!isAlpha(c) && !isDigit(c) && c != '-')
        return false;
    return true;
  }
  for (char c : value)
    if (!isDigit(c) && c != '.')
      return false;
  return value.back() != '.' && value.find("..") == std::string::npos;
}

// Enough to catch a typing slip; libldap itself judges the rest when the filter is used.
bool IsFilter(const std::string& value) {
  if (value.size() < 3 || value.front() != '(' || value.back() != ')')
    return false;
  int depth = 0;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '(') {
      ++depth;
    } else if (value[i] == ')') {
      if (--depth < 0 || (depth == 0 && i + 1 != value.size()))
        return false;
    }
  }
  return depth == 0;
}

std::string EscapeDnValue(const std::string& value) {
  std::string escaped;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    const bool special = c == ',' || c == '+' || c == '"' || c == '\\' || c == '<' || c == '>' ||
                         c == ';' || c == '=' || (i == 0 && (c == ' ' || c == '#')) ||
                         (i + 1 == value.size() && c == ' ');
    if (c == '\0') {
      escaped += "\\00";
      continue;
    }
    if (special)
      escaped += '\\';
    escaped += c;
  }
  return escaped;
}

}  // namespace

std::string FindDirectoryConfig() {
  const std::string relative = "/welcomer/directory.conf";
  const char* home = std::getenv("XDG_CONFIG_HOME");
  std::string user = home != nullptr && home[0] == '/' ? home : HomeFolder() + "/.config";
  if (user != "/.config" && IsFile(user + relative))
    return user + relative;
  const char* dirs = std::getenv("XDG_CONFIG_DIRS");
  std::string list = dirs != nullptr && dirs[0] != '\0' ? dirs : "/etc/xdg";
  std::istringstream folders(list);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    // Relative entries are invalid by the XDG rules and would depend on the current folder.
    if (!folder.empty() && folder[0] == '/' && IsFile(folder + relative))
      return folder + relative;
  }
  return std::string();
}

bool ParseDirectoryConfig(const std::string& text, DirectoryConfig& config, std::string& error) {
  std::istringstream lines(text);
  std::string line;
  std::set<std::string> seen;
  int number = 0;
  const std::string where = config.path.empty() ? std::string("directory.conf") : config.path;
  const auto fail = [&](const std::string& why) {
    error = where + ", line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#')
      continue;
    const size_t blank = trimmed.find_first_of(" \t");
    const std::string keyword = AsciiLower(trimmed.substr(0, blank));
    const std::string value = blank == std::string::npos ? "" : Trim(trimmed.substr(blank));
    if (!seen.insert(keyword).second)
      return fail("\"" + keyword + "\" is given twice");
    if (value.empty())
      return fail("\"" + keyword + "\" has no value");
    const std::string lower = AsciiLower(value);
    if (keyword == "backend") {
      if (lower != "sqlite" && lower != "ldap")
        return fail("backend must be sqlite or ldap, not \"" + value + "\"");
      config.backend =
          lower == "ldap" ? DirectoryConfig::Backend::kLdap : DirectoryConfig::Backend::kSqlite;
    } else if (keyword == "uri") {
      if (!IsUriList(value))
        return fail("uri takes ldap://, ldaps:// or ldapi:// URIs, not \"" + value + "\"");
      config.uri = value;
    } else if (keyword == "base") {
      config.base = value;
    } else if (keyword == "bind") {
      if (lower != "sasl" && lower != "simple")
        return fail("bind must be sasl or simple, not \"" + value + "\"");
      config.bind =
          lower == "simple" ? DirectoryConfig::Bind::kSimple : DirectoryConfig::Bind::kSasl;
    } else if (keyword == "sasl_mech") {
      if (lower != "gssapi" && lower != "external")
        return fail("sasl_mech must be GSSAPI or EXTERNAL, not \"" + value + "\"");
      config.saslMech = lower == "gssapi" ? "GSSAPI" : "EXTERNAL";
    } else if (keyword == "binddn") {
      config.bindDn = value;
    } else if (keyword == "bindpw_file") {
      if (value[0] != '/')
        return fail("bindpw_file must be an absolute path");
      config.bindPasswordFile = value;
    } else if (keyword == "user_filter") {
      if (!IsFilter(value))
        return fail("user_filter is not a filter in parentheses: \"" + value + "\"");
      config.userFilter = value;
    } else if (keyword == "attribute") {
      if (!IsAttributeName(value))
        return fail("attribute is not an attribute name: \"" + value + "\"");
      config.attribute = value;
    } else if (keyword == "timeout") {
      if (!ParseTimeout(value, config.timeoutSeconds))
        return fail("timeout must be whole seconds from 1 to " +
                    std::to_string(kMaxTimeoutSeconds) + ", not \"" + value + "\"");
    } else if (keyword == "cache") {
      if (!ParseYesNo(value, config.cache))
        return fail("cache must be yes or no, not \"" + value + "\"");
    } else {
      return fail("unknown keyword \"" + keyword + "\"");
    }
  }
  number = 0;
  if (config.backend == DirectoryConfig::Backend::kLdap &&
      config.bind == DirectoryConfig::Bind::kSimple &&
      (config.bindDn.empty() || config.bindPasswordFile.empty())) {
    error = where + ": bind simple needs binddn and bindpw_file";
    return false;
  }
  return true;
}

bool LoadDirectoryConfig(DirectoryConfig& config, std::string& error) {
  config = DirectoryConfig();
  config.path = FindDirectoryConfig();
  if (config.path.empty())
    return true;
  std::string text;
  if (!ReadSmallFile(config.path, kMaxConfigSize, text, error))
    return false;
  return ParseDirectoryConfig(text, config, error);
}

std::string EscapeFilterValue(const std::string& value) {
  static const char kHex[] = "0123456789abcdef";
  std::string escaped;
  for (char c : value) {
    if (c == '*' || c == '(' || c == ')' || c == '\\' || c == '\0') {
      const auto byte = static_cast<unsigned char>(c);
      escaped += '\\';
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 0xF];
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string ExpandAccount(const std::string& pattern, const std::string& account, bool forFilter) {
  const std::string replacement = forFilter ? EscapeFilterValue(account) : EscapeDnValue(account);
  std::string expanded;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 'u') {
      expanded += replacement;
      ++i;
    } else {
      expanded += pattern[i];
    }
  }
  return expanded;
}

bool ReadPasswordFile(const std::string& path, uid_t owner, std::string& password,
                      std::string& error) {
  const auto belongsToUser = [&](const struct stat& info) {
    // A password others can read is no longer the user's secret; refusing it makes the
    // administrator fix the file instead of learning of the leak later.
    if (info.st_uid != owner && info.st_uid != 0) {
      error = path + ": belongs to neither the user nor root; refused";
      return false;
    }
    if ((info.st_mode & 077) != 0) {
      error = path + ": others may read or change it; refused (chmod 600)";
      return false;
    }
    return true;
  };
  if (!ReadSmallFile(path, kMaxPasswordSize, password, error, belongsToUser))
    return false;
  if (!password.empty() && password.back() == '\n')
    password.pop_back();
  if (!password.empty() && password.back() == '\r')
    password.pop_back();
  return true;
}

}  // namespace welcomer::client
