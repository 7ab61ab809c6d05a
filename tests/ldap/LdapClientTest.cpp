// The client against a private slapd, one probe process per workstation run.

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/ClientErrors.h"
#include "tests/ldap/DirectoryServer.h"

namespace welcomer::testing {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kAlice = "UID=alice.OU=people.DC=example.DC=org";

/// What one probe run printed.
struct ProbeRun {
  int status = -1;
  double seconds = 0;
  std::vector<std::string> lines;

  /// The code of the first line of `step`, or 1 when there is none.
  int Code(const std::string& step) const {
    for (const std::string& line : lines)
      if (line.rfind(step + " ", 0) == 0)
        return std::atoi(line.c_str() + step.size() + 1);
    return 1;
  }
  std::string Rest(const std::string& step) const {
    for (const std::string& line : lines)
      if (line.rfind(step + " ", 0) == 0)
        return line.substr(step.size() + 1);
    return "";
  }
  std::vector<std::string> All(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& line : lines)
      if (line.rfind(prefix + " ", 0) == 0)
        found.push_back(line.substr(prefix.size() + 1));
    return found;
  }
  std::vector<std::string> Values() const { return All("value"); }
  std::string Notices() const { return Joined("notice"); }
  std::string Failures() const { return Joined("failure"); }
  std::string Joined(const std::string& prefix) const {
    std::string text;
    for (const std::string& line : All(prefix))
      text += line + "\n";
    return text;
  }
};

class LdapClientTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(directory.Running()) << "slapd did not start"; }

  /// The configuration of one workstation; `extra` lines follow the common ones.
  void Configure(const std::string& workstation, const std::string& lines) {
    const std::string folder = home / workstation;
    ::mkdir(folder.c_str(), 0700);
    ::mkdir((folder + "/config").c_str(), 0700);
    ::mkdir((folder + "/config/welcomer").c_str(), 0700);
    std::ofstream(folder + "/config/welcomer/directory.conf") << lines;
  }
  /// Binds as `user` with their password file, or with `password` when given.
  std::string SimpleBind(const std::string& user, const std::string& uri = "",
                         const std::string& more = "", const std::string& password = "") const {
    return "backend ldap\nuri " + (uri.empty() ? directory.TcpUri() : uri) +
           "\nbase dc=example,dc=org\nbind simple\nbinddn uid=" + user +
           ",ou=people,dc=example,dc=org\nbindpw_file " +
           (password.empty() ? directory.Folder() + "/slapd/" + user + ".pw" : password) +
           "\ntimeout 2\n" + more;
  }

  /// Runs the probe as `workstation` with its own configuration and state folders.
  ProbeRun Probe(const std::string& workstation, const std::vector<std::string>& steps,
                 const std::map<std::string, std::string>& environment = {}) {
    std::map<std::string, std::string> variables = environment;
    variables.emplace("XDG_CONFIG_HOME", home / workstation + "/config");
    variables.emplace("XDG_STATE_HOME", home / workstation + "/state");
    variables.emplace("LDAPNOINIT", "1");
    std::vector<std::string> args{DIRECTORY_PROBE_PATH};
    args.insert(args.end(), steps.begin(), steps.end());
    int out[2];
    ProbeRun run;
    if (::pipe2(out, O_CLOEXEC) != 0)
      return run;
    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = Spawn(args, variables, out[1], home / "probe.stderr");
    ::close(out[1]);
    std::string output;
    char chunk[4096];
    ssize_t got;
    while (pid > 0 && (got = ::read(out[0], chunk, sizeof chunk)) > 0) {
      output.append(chunk, static_cast<size_t>(got));
      if (onOutput)
        onOutput(output);
    }
    ::close(out[0]);
    if (pid > 0)
      ::waitpid(pid, &run.status, 0);
    // A crash or a sanitizer's report ends the probe otherwise.
    EXPECT_EQ(run.status, 0) << Capture("cat " + home / "probe.stderr");
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    size_t start = 0;
    for (size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1)
      run.lines.push_back(output.substr(start, end - start));
    return run;
  }

  /// What the probes wrote to standard error since the last call.
  std::string TakeProbeErrors() {
    std::ifstream file(home / "probe.stderr");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::ofstream(home / "probe.stderr", std::ios::trunc);
    return text;
  }

  TempDir home;
  PrivateDirectory directory;
  /// Called with everything the probe printed so far, as it comes.
  std::function<void(const std::string&)> onOutput;
};

// ---- binding and identity ----

TEST_F(LdapClientTest, BindsAsConfiguredAndFindsTheUsersEntry) {
  const std::string bobsPassword = directory.Folder() + "/slapd/bob.pw";
  const struct {
    const char* name;
    std::string config;
    mode_t bobsMode;
    int whoami;
    const char* notice;
  } cases[] = {
      {"simple bind with a password file", SimpleBind("alice"), 0600, 0, ""},
      {"SASL EXTERNAL over ldapi",
       "backend ldap\nuri " + directory.LdapiUri() + "\nsasl_mech EXTERNAL\n", 0600, 0, ""},
      {"a wrong password", SimpleBind("alice", "", "", bobsPassword), 0600,
       kNWErrFailedAuthentication, "Invalid credentials (49)"},
      {"a password file others may read", SimpleBind("bob"), 0644, kNWErrConfiguration,
       "others may read or change it"},
      {"an unknown keyword", "backend ldap\nbindpw /x\n", 0600, kNWErrConfiguration,
       "line 2: unknown keyword \"bindpw\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ::chmod(bobsPassword.c_str(), c.bobsMode);
    Configure("ws", c.config);
    const ProbeRun run = Probe("ws", {"whoami", "read"}, {{"LD_DEBUG", "files"}});
    // None of these binds needs a SASL mechanism that SASL would have to load (and Kerberos's
    // libraries with the first of them) at every login.
    EXPECT_THAT(TakeProbeErrors(), Not(HasSubstr("/sasl2/")));
    EXPECT_EQ(run.Code("whoami"), c.whoami);
    if (c.whoami == 0) {
      EXPECT_EQ(run.Rest("whoami"), std::string("0 ") + kAlice);
      EXPECT_EQ(run.Code("read"), 0);
      EXPECT_THAT(run.Values(), ElementsAre("Berlin"));
    } else {
      EXPECT_NE(run.Code("read"), 0);
      EXPECT_THAT(run.Failures(), HasSubstr(c.notice));
    }
  }
}

TEST_F(LdapClientTest, BindsWithTheUsersKerberosTicket) {
  PrivateDirectory kerberos(true);
  ASSERT_TRUE(kerberos.Running()) << "the KDC or slapd did not start";
  const std::map<std::string, std::string> ticket = kerberos.KerberosClient();
  ASSERT_FALSE(ticket.empty()) << "kinit failed";
  // localhost, not 127.0.0.1: the service principal is ldap/localhost.
  Configure("ws", "backend ldap\nuri " + kerberos.LocalhostUri() +
                      "\nbase dc=example,dc=org\nsasl_mech GSSAPI\n");
  std::map<std::string, std::string> watched = ticket;
  watched["LD_DEBUG"] = "files";
  const ProbeRun run = Probe("ws", {"whoami", "add", "Welcomer.Kerberos"}, watched);
  EXPECT_THAT(TakeProbeErrors(), HasSubstr("/sasl2/libgssapiv2.so"));
  EXPECT_EQ(run.Rest("whoami"), std::string("0 ") + kAlice) << run.Notices();
  EXPECT_EQ(run.Code("add"), 0);
  EXPECT_THAT(kerberos.Values("alice"), ElementsAre("Berlin", "Welcomer.Kerberos"));

  std::map<std::string, std::string> noTicket = ticket;
  noTicket["KRB5CCNAME"] = "FILE:" + home / "no-ticket";
  const ProbeRun without = Probe("ws", {"whoami"}, noTicket);
  EXPECT_EQ(without.Code("whoami"), kNWErrFailedAuthentication);
  EXPECT_THAT(without.Failures(), HasSubstr("SASL GSSAPI bind"));
}

// ---- values ----

TEST_F(LdapClientTest, ChangesOnlyTheUsersOwnValuesAndMapsTheAnswers) {
  Configure("alice", SimpleBind("alice"));
  Configure("carol", SimpleBind("carol"));
  const int connections = directory.Count("ACCEPT from");
  const ProbeRun alice =
      Probe("alice", {"add", "Welcomer.RunOnce=now", "add", "welcomer.runonce=NOW", "remove",
                      "Welcomer.Missing", "add", "Welcomer.File.A=1 2", "remove",
                      "Welcomer.File.A=1 2", "read"});
  EXPECT_THAT(alice.All("add"), ElementsAre("0", std::to_string(kNWErrDuplicateValue), "0"));
  EXPECT_THAT(alice.All("remove"), ElementsAre(std::to_string(kNWErrNoSuchValue), "0"));
  EXPECT_THAT(alice.Values(), ElementsAre("Berlin", "Welcomer.RunOnce=now"));
  // Answers the program expects of a directory are no news; only refusals are told.
  EXPECT_EQ(alice.Notices(), "");
  EXPECT_EQ(directory.Count("ACCEPT from") - connections, 1) << "one connection for the run";
  EXPECT_THAT(directory.Values("alice"), ElementsAre("Berlin", "Welcomer.RunOnce=now"));
  EXPECT_THAT(directory.Values("bob"), ElementsAre("Hamburg"));

  const ProbeRun carol = Probe("carol", {"read", "add", "Welcomer.X"});
  EXPECT_THAT(carol.Values(), ElementsAre("Welcomer.RunOnce=seeded"));
  EXPECT_EQ(carol.Code("add"), kNWErrNoAccess);
  EXPECT_THAT(carol.Notices(),
              AllOf(HasSubstr("add of \"Welcomer.X\""), HasSubstr("Insufficient access (50)")));
  EXPECT_THAT(carol.Failures(), HasSubstr("Insufficient access (50)"));
  EXPECT_THAT(directory.Values("carol"), ElementsAre("Welcomer.RunOnce=seeded"));
}

TEST_F(LdapClientTest, ReadsValuesOverSeveralResultBuffersInOrder) {
  Configure("alice", SimpleBind("alice", "", "cache no\n"));
  const ProbeRun run = Probe("alice", {"fill", "Welcomer.File./SHARE/PAGE", "300", "read"});
  ASSERT_EQ(run.Code("fill"), 0);
  EXPECT_EQ(run.Code("read"), 0);
  const std::vector<std::string> values = run.Values();
  ASSERT_EQ(values.size(), 301u);
  EXPECT_EQ(values[0], "Berlin");
  for (size_t i = 1; i < values.size(); ++i)
    ASSERT_EQ(values[i], "Welcomer.File./SHARE/PAGE-" + std::to_string(i - 1));
  EXPECT_GT(std::stoi(run.Rest("read").substr(2)), 1) << "all values fitted one buffer";
}

TEST_F(LdapClientTest, TwoRunsOfOneUserAtOnceLoseNothing) {
  Configure("one", SimpleBind("alice"));
  Configure("two", SimpleBind("alice"));
  ProbeRun first;
  std::thread other([&] { first = Probe("one", {"fill", "Welcomer.One", "25"}); });
  const ProbeRun second = Probe("two", {"fill", "Welcomer.Two", "25"});
  other.join();
  EXPECT_EQ(first.Code("fill"), 0);
  EXPECT_EQ(second.Code("fill"), 0);
  EXPECT_EQ(directory.Values("alice").size(), 51u);
}

// ---- a server that is not there, silent, or goes away ----

TEST_F(LdapClientTest, NothingListeningFailsAtOnce) {
  Configure("alice",
            SimpleBind("alice", "ldap://127.0.0.1:" + std::to_string(FreePort())) + "cache no\n");
  const ProbeRun run = Probe("alice", {"whoami", "read", "add", "Welcomer.X"});
  EXPECT_EQ(run.Code("whoami"), kNWErrServerDown);
  EXPECT_NE(run.Code("read"), 0);
  EXPECT_NE(run.Code("add"), 0);
  EXPECT_LT(run.seconds, 1.0);
  EXPECT_THAT(run.Failures(), HasSubstr("Can't contact LDAP server (-1)"));
}

TEST_F(LdapClientTest, ASilentServerCostsOneTimeoutPerRun) {
  // Accepted by the kernel and never read: the bind waits for an answer that never comes.
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 16), 0);
  ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  Configure("alice",
            SimpleBind("alice", "ldap://127.0.0.1:" + std::to_string(ntohs(address.sin_port)),
                       "cache no\n"));
  const ProbeRun run = Probe("alice", {"whoami", "read", "add", "Welcomer.X", "read"});
  ::close(listener);
  EXPECT_EQ(run.Code("whoami"), kNWErrTimeout);
  EXPECT_NE(run.Code("add"), 0);
  EXPECT_GE(run.seconds, 1.9);
  EXPECT_LT(run.seconds, 3.0) << "more than the timeout of 2 s and a second";
}

TEST_F(LdapClientTest, AServerStoppedMidSessionIsNotWaitedFor) {
  Configure("alice", SimpleBind("alice", "", "cache no\n"));
  const std::string resume = home / "resume";
  onOutput = [&](const std::string& output) {
    if (output.find("read 0") != std::string::npos && directory.Running()) {
      directory.Stop();
      std::ofstream(resume) << "go";
    }
  };
  const ProbeRun run = Probe("alice", {"read", "wait", resume, "add", "Welcomer.X", "read"});
  EXPECT_EQ(run.Code("add"), kNWErrServerDown);
  EXPECT_LT(run.seconds, 1.5);
}

// ---- the offline cache ----

TEST_F(LdapClientTest, TheCacheServesReadsWhileTheServerIsDownAndReplaysChangesWhenItIsBack) {
  Configure("alice", SimpleBind("alice"));
  const ProbeRun first = Probe("alice", {"read", "add", "Welcomer.RunOnce=1"});
  ASSERT_EQ(first.Code("add"), 0);

  // The server goes away in the middle of a run: the rest of the run works on the cache.
  const std::string resume = home / "resume";
  onOutput = [&](const std::string& output) {
    if (output.find("read 0") != std::string::npos && directory.Running()) {
      directory.Stop();
      std::ofstream(resume) << "go";
    }
  };
  const ProbeRun during =
      Probe("alice", {"read", "wait", resume, "add", "Welcomer.File.A=1", "remove",
                      "Welcomer.RunOnce=1", "add", "welcomer.file.a=1", "read"});
  onOutput = nullptr;
  EXPECT_THAT(during.All("add"), ElementsAre("0", std::to_string(kNWErrDuplicateValue)));
  EXPECT_EQ(during.Code("remove"), 0);
  EXPECT_THAT(during.Values(),
              ElementsAre("Berlin", "Welcomer.RunOnce=1", "Berlin", "Welcomer.File.A=1"));

  const ProbeRun offline = Probe("alice", {"whoami", "read"});
  EXPECT_EQ(offline.Rest("whoami"), std::string("0 ") + kAlice);
  EXPECT_THAT(offline.Values(), ElementsAre("Berlin", "Welcomer.File.A=1"));
  EXPECT_THAT(offline.Notices(), HasSubstr("State from the offline cache"));
  EXPECT_LT(offline.seconds, 1.0);

  ASSERT_TRUE(directory.Start());
  // Another workstation made the same change meanwhile: replaying it counts as done.
  ASSERT_TRUE(directory.AddValue("alice", "Welcomer.File.A=1"));
  const ProbeRun back = Probe("alice", {"read"});
  EXPECT_THAT(back.Values(), ElementsAre("Berlin", "Welcomer.File.A=1"));
  EXPECT_THAT(back.Notices(), HasSubstr("Sent 2 change(s)"));
  EXPECT_THAT(directory.Values("alice"), ElementsAre("Berlin", "Welcomer.File.A=1"));
  EXPECT_EQ(Probe("alice", {"read"}).Notices(), "") << "replayed twice";

  struct stat info;
  ASSERT_EQ(::stat((home / "alice/state/welcomer/ldap-cache.sqlite3").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// ---- the module that holds libldap ----

TEST_F(LdapClientTest, WithoutAUsableModuleThereIsNoStateAndTheReasonIsGiven) {
  // The client looks for its module beside itself, so a copy of the client in a folder of its
  // own, found first through LD_LIBRARY_PATH, sees only the module that folder holds.
  namespace fs = std::filesystem;
  const std::string built = CLIENT_LIBRARY_FOLDER;
  const std::string folder = home / "lib";
  const std::string module = folder + "/libwelcomer-ldap.so";
  fs::create_directory(folder);
  fs::copy_file(built + "/libnetwin32.so", folder + "/libnetwin32.so");
  const auto put = [&](const std::string& from) {
    fs::remove(module);
    if (!from.empty())
      fs::copy_file(from, module);
  };
  std::ofstream(home / "not-a-library") << std::string(4096, 'x');
  const struct {
    const char* name;
    std::string from;
    int32_t code;
    const char* why;
  } cases[] = {
      // First, so that the offline cache knows her values: they must not hide a broken module.
      {"the module in place", built + "/libwelcomer-ldap.so", 0, ""},
      {"no module", "", kNWErrStoreUnavailable, "cannot open shared object file"},
      {"a file that is not a shared object", home / "not-a-library", kNWErrStoreUnavailable,
       "the LDAP module cannot be loaded"},
      {"a library without the entry point", built + "/libnetwin32.so", kNWErrStoreUnavailable,
       "has no entry point WelcomerLdapModuleOpen"},
  };
  Configure("alice", SimpleBind("alice"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    put(c.from);
    const ProbeRun run = Probe("alice", {"whoami", "read"}, {{"LD_LIBRARY_PATH", folder}});
    EXPECT_EQ(run.Code("whoami"), c.code);
    if (c.code == 0) {
      EXPECT_THAT(run.Values(), ElementsAre("Berlin"));
      continue;
    }
    EXPECT_NE(run.Code("read"), 0);
    EXPECT_THAT(run.Values(), ::testing::IsEmpty());
    EXPECT_THAT(run.Failures(), AllOf(HasSubstr(c.why), HasSubstr(module)));
  }
}

}  // namespace
}  // namespace welcomer::testing
