#include "tests/ldap/DirectoryServer.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

extern char** environ;

namespace welcomer::testing {
namespace {

std::string UrlEncodePath(const std::string& path) {
  std::string encoded;
  for (char c : path)
    encoded += c == '/' ? std::string("%2F") : std::string(1, c);
  return encoded;
}

int EphemeralLow() {
  std::ifstream range("/proc/sys/net/ipv4/ip_local_port_range");
  int low = 32768;
  range >> low;
  return low;
}

bool PortIsFree(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool free = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return free;
}

void StopChild(pid_t& pid) {
  if (pid <= 0)
    return;
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  pid = -1;
}

std::string EnvironmentPrefix(const std::map<std::string, std::string>& variables) {
  std::string prefix;
  for (const auto& [name, value] : variables)
    prefix += value.empty() ? "unset " + name + "; " : "export " + name + "='" + value + "'; ";
  return prefix;
}

}  // namespace

pid_t Spawn(const std::vector<std::string>& args, const std::map<std::string, std::string>& extra,
            int out, const std::string& log) {
  std::vector<std::string> texts;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (extra.count(text.substr(0, text.find('='))) == 0)
      texts.push_back(text);
  }
  for (const auto& [name, value] : extra)
    if (!value.empty())
      texts.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& text : texts)
    envp.push_back(text.data());
  envp.push_back(nullptr);
  std::vector<std::string> copies = args;
  std::vector<char*> argv;
  for (std::string& arg : copies)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (out >= 0)
    posix_spawn_file_actions_adddup2(&actions, out, 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : -1;
}

std::string CurrentAccountName() {
  struct passwd* entry = ::getpwuid(::getuid());
  return entry != nullptr ? entry->pw_name : "uid" + std::to_string(::getuid());
}

int FreePort() {
  // Below the ephemeral range no TIME-WAIT socket of someone else's test is in the way.
  std::random_device seed;
  std::mt19937 random(seed());
  const int low = std::min(EphemeralLow(), 32768);
  std::uniform_int_distribution<int> pick(low / 2, low - 1);
  for (int attempt = 0; attempt < 50; ++attempt) {
    const int port = pick(random);
    if (PortIsFree(port))
      return port;
  }
  return 0;
}

std::string Capture(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr)
    return output;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
    output.append(chunk, got);
  return ::pclose(pipe) == 0 ? output : std::string();
}

PrivateDirectory::PrivateDirectory(bool kerberos) : kerberos_(kerberos) {
  // The ldapi socket must be reachable by whoever the client runs as.
  ::chmod(folder_.path().c_str(), 0711);
  const std::string scripts = std::string(WELCOMER_TEST_SOURCE_DIR) + "/tests/ldap/";
  const std::string command = scripts + "make_directory.sh " + folder_.path() + "/slapd " +
                              CurrentAccountName() + " " + std::to_string(::getuid()) +
                              " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0)
    return;
  if (kerberos_ && !StartKdc())
    return;
  Start();
}

PrivateDirectory::~PrivateDirectory() {
  Stop();
  StopChild(kdcPid_);
}

bool PrivateDirectory::StartKdc() {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int port = FreePort();
    const std::string realm = folder_.path() + "/krb" + std::to_string(attempt);
    if (std::system((std::string(WELCOMER_TEST_SOURCE_DIR) + "/tests/ldap/make_realm.sh " + realm +
                     " " + std::to_string(port) + " >/dev/null 2>&1")
                        .c_str()) != 0)
      return false;
    ::symlink(realm.c_str(), (folder_.path() + "/krb").c_str());
    kdcPid_ =
        Spawn({"krb5kdc", "-n", "-r", "EXAMPLE.TEST"},
              {{"KRB5_CONFIG", realm + "/krb5.conf"}, {"KRB5_KDC_PROFILE", realm + "/kdc.conf"}},
              -1, realm + "/kdc.stderr");
    // Ready when it hands out a ticket; that ticket is also the one the tests bind with.
    for (int wait = 0; wait < 80 && kdcPid_ > 0; ++wait) {
      if (!KerberosClient().empty())
        return true;
      int status = 0;
      if (::waitpid(kdcPid_, &status, WNOHANG) == kdcPid_)
        kdcPid_ = -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    StopChild(kdcPid_);
    ::unlink((folder_.path() + "/krb").c_str());
  }
  return false;
}

std::map<std::string, std::string> PrivateDirectory::ServerEnvironment() const {
  if (!kerberos_)
    return {};
  const std::string realm = folder_.path() + "/krb";
  return {{"KRB5_CONFIG", realm + "/krb5.conf"},
          {"KRB5_KTNAME", "FILE:" + realm + "/ldap.keytab"},
          {"KRB5RCACHEDIR", realm}};
}

std::map<std::string, std::string> PrivateDirectory::KerberosClient() const {
  if (!kerberos_)
    return {};
  const std::string realm = folder_.path() + "/krb";
  std::ofstream(folder_.path() + "/ldap.conf") << "SASL_NOCANON on\n";
  std::map<std::string, std::string> variables = {
      {"KRB5_CONFIG", realm + "/krb5.conf"},
      {"KRB5CCNAME", "FILE:" + folder_.path() + "/cc_alice"},
      {"LDAPCONF", folder_.path() + "/ldap.conf"},
      {"LDAPRC", "no-ldaprc"},
      {"LDAPNOINIT", ""}};
  const std::string kinit =
      EnvironmentPrefix(variables) + "echo alicepw | kinit alice >/dev/null 2>&1";
  if (std::system(kinit.c_str()) != 0)
    return {};
  return variables;
}

std::string PrivateDirectory::LdapiUri() const {
  return "ldapi://" + UrlEncodePath(folder_.path() + "/ldapi") + "/";
}

bool PrivateDirectory::Start() {
  if (pid_ > 0)
    return true;
  for (int attempt = 0; attempt < 3 && pid_ <= 0; ++attempt) {
    if (port_ == 0 || attempt > 0)
      port_ = FreePort();
    const std::string conf = folder_.path() + "/slapd/slapd.conf";
    const std::string urls = TcpUri() + "/ " + LdapiUri();
    // "stats" records each connection and operation in the log, for Count.
    pid_ = Spawn({"slapd", "-d", "stats", "-f", conf, "-h", urls}, ServerEnvironment(), -1,
                 folder_.path() + "/slapd.log");
    if (pid_ <= 0)
      return false;
    // Asked on its own socket: a TCP probe could be answered by someone else's server.
    const std::string probe = "LDAPNOINIT=1 ldapwhoami -x -H '" + LdapiUri() + "' >/dev/null 2>&1";
    for (int wait = 0; wait < 200; ++wait) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;  // it died: most likely the port was taken after all
        break;
      }
      if (std::system(probe.c_str()) == 0)
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    Stop();
  }
  return false;
}

void PrivateDirectory::Stop() {
  StopChild(pid_);
}

int PrivateDirectory::Count(const std::string& what) const {
  std::ifstream log(folder_.path() + "/slapd.log");
  std::string line;
  int count = 0;
  while (std::getline(log, line))
    count += line.find(" " + what) != std::string::npos ? 1 : 0;
  return count;
}

std::vector<std::string> PrivateDirectory::Values(const std::string& user) const {
  const std::string output =
      Capture("LDAPNOINIT=1 ldapsearch -LLL -o ldif-wrap=no -x -H '" + LdapiUri() +
              "' -D cn=admin,dc=example,dc=org -w adminpw -b uid=" + user +
              ",ou=people,dc=example,dc=org -s base l 2>/dev/null");
  std::vector<std::string> values;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line))
    if (line.rfind("l: ", 0) == 0)
      values.push_back(line.substr(3));
  return values;
}

bool PrivateDirectory::AddValue(const std::string& user, const std::string& value) const {
  const std::string ldif = "dn: uid=" + user +
                           ",ou=people,dc=example,dc=org\nchangetype: modify\n" +
                           "add: l\nl: " + value + "\n";
  const std::string path = folder_.path() + "/change.ldif";
  std::ofstream(path) << ldif;
  return std::system(("LDAPNOINIT=1 ldapmodify -x -H '" + LdapiUri() +
                      "' -D cn=admin,dc=example,dc=org -w adminpw -f " + path + " >/dev/null 2>&1")
                         .c_str()) == 0;
}

}  // namespace welcomer::testing
