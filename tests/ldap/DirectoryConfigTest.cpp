#include "client/DirectoryConfig.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace welcomer::client {
namespace {

using testing::TempDir;

TEST(DirectoryConfigTest, ReadsEveryKeywordOverTheDefaults) {
  DirectoryConfig config;
  std::string error;
  ASSERT_TRUE(ParseDirectoryConfig(R"(# the organisation's directory
  BACKEND   ldap
uri ldap://a.example ldaps://b.example
Base dc=example,dc=org

bind simple
binddn uid=%u,ou=people,dc=example,dc=org
bindpw_file /etc/welcomer/pw
user_filter (&(objectClass=person)(uid=%u))
attribute welcomerState
timeout 7
cache no
sasl_mech external
)",
                                   config, error))
      << error;
  EXPECT_EQ(config.backend, DirectoryConfig::Backend::kLdap);
  EXPECT_EQ(config.uri, "ldap://a.example ldaps://b.example");
  EXPECT_EQ(config.base, "dc=example,dc=org");
  EXPECT_EQ(config.bind, DirectoryConfig::Bind::kSimple);
  EXPECT_EQ(config.bindDn, "uid=%u,ou=people,dc=example,dc=org");
  EXPECT_EQ(config.bindPasswordFile, "/etc/welcomer/pw");
  EXPECT_EQ(config.userFilter, "(&(objectClass=person)(uid=%u))");
  EXPECT_EQ(config.attribute, "welcomerState");
  EXPECT_EQ(config.timeoutSeconds, 7);
  EXPECT_FALSE(config.cache);
  EXPECT_EQ(config.saslMech, "EXTERNAL");

  DirectoryConfig defaults;
  ASSERT_TRUE(ParseDirectoryConfig("backend ldap\n", defaults, error));
  EXPECT_EQ(defaults.bind, DirectoryConfig::Bind::kSasl);
  EXPECT_EQ(defaults.userFilter, "(uid=%u)");
  EXPECT_EQ(defaults.attribute, "l");
  EXPECT_EQ(defaults.timeoutSeconds, 3);
  EXPECT_TRUE(defaults.cache);
  EXPECT_EQ(defaults.uri, "") << "left to ldap.conf";
}

TEST(DirectoryConfigTest, TheExampleThePackageShipsIsValid) {
  std::ifstream file(std::string(WELCOMER_TEST_SOURCE_DIR) + "/packaging/directory.conf");
  ASSERT_TRUE(file.is_open());
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  DirectoryConfig config;
  std::string error;
  EXPECT_TRUE(ParseDirectoryConfig(text, config, error)) << error;
  EXPECT_EQ(config.backend, DirectoryConfig::Backend::kLdap);
}

TEST(DirectoryConfigTest, RefusesWhatItCannotTakeAtFaceValue) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"backend ldap\nbindpw x\n", "line 2: unknown keyword \"bindpw\""},
      {"timeout 3\nTIMEOUT 4\n", "line 2: \"timeout\" is given twice"},
      {"base\n", "line 1: \"base\" has no value"},
      {"backend postgres\n", "backend must be sqlite or ldap"},
      {"uri http://example.org\n", "uri takes ldap://"},
      {"timeout 0\n", "timeout must be whole seconds"},
      {"timeout 3s\n", "timeout must be whole seconds"},
      {"timeout 99999\n", "timeout must be whole seconds"},
      {"cache maybe\n", "cache must be yes or no"},
      {"bind kerberos\n", "bind must be sasl or simple"},
      {"sasl_mech PLAIN\n", "sasl_mech must be GSSAPI or EXTERNAL"},
      {"attribute l;lang-de\n", "attribute is not an attribute name"},
      {"user_filter uid=%u\n", "user_filter is not a filter"},
      {"user_filter (uid=%u))(x=*)\n", "user_filter is not a filter"},
      {"bindpw_file relative/pw\n", "must be an absolute path"},
      {"backend ldap\nbind simple\nbinddn uid=a\n", "bind simple needs binddn and bindpw_file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    DirectoryConfig config;
    std::string error;
    EXPECT_FALSE(ParseDirectoryConfig(c.text, config, error));
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

TEST(DirectoryConfigTest, EscapesTheAccountForWhereItGoes) {
  EXPECT_EQ(ExpandAccount("(uid=%u)", "a*b(c)\\d", true), "(uid=a\\2ab\\28c\\29\\5cd)");
  EXPECT_EQ(ExpandAccount("(|(uid=%u)(mail=%u@x))", "bob", true), "(|(uid=bob)(mail=bob@x))");
  EXPECT_EQ(ExpandAccount("uid=%u,dc=x", "a,b+c", false), "uid=a\\,b\\+c,dc=x");
  EXPECT_EQ(ExpandAccount("uid=%u,dc=x", "#x ", false), "uid=\\#x\\ ,dc=x");
  EXPECT_EQ(ExpandAccount("uid=%u,dc=x", " a#", false), "uid=\\ a#,dc=x");
  EXPECT_EQ(ExpandAccount("100%", "bob", true), "100%");
}

class ConfigFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "HOME"}) {
      const char* value = ::getenv(name);
      saved_.emplace_back(name, value != nullptr ? value : "");
      wasSet_.push_back(value != nullptr);
    }
    ::setenv("HOME", temp.MakeDir("home").c_str(), 1);
  }
  void TearDown() override {
    for (size_t i = 0; i < saved_.size(); ++i) {
      if (wasSet_[i])
        ::setenv(saved_[i].first.c_str(), saved_[i].second.c_str(), 1);
      else
        ::unsetenv(saved_[i].first.c_str());
    }
  }
  std::string Place(const std::string& folder) {
    temp.MakeDir(folder);
    temp.MakeDir(folder + "/welcomer");
    return temp.WriteFile(folder + "/welcomer/directory.conf", "backend sqlite\n");
  }

  TempDir temp;

 private:
  std::vector<std::pair<std::string, std::string>> saved_;
  std::vector<bool> wasSet_;
};

TEST_F(ConfigFolders, TheUsersFileComesFirstThenTheFirstSystemFolderThatHasOne) {
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("XDG_CONFIG_DIRS", (temp / "none:" + temp / "sys1:" + temp / "sys2").c_str(), 1);
  EXPECT_EQ(FindDirectoryConfig(), "");
  const std::string second = Place("sys2");
  EXPECT_EQ(FindDirectoryConfig(), second);
  const std::string first = Place("sys1");
  EXPECT_EQ(FindDirectoryConfig(), first);
  const std::string home = Place("home/.config");
  EXPECT_EQ(FindDirectoryConfig(), home);
  const std::string xdg = Place("xdg");
  ::setenv("XDG_CONFIG_HOME", (temp / "xdg").c_str(), 1);
  EXPECT_EQ(FindDirectoryConfig(), xdg);
  // A relative XDG_CONFIG_HOME is no folder of the user's: ~/.config stands in for it.
  ::setenv("XDG_CONFIG_HOME", "xdg", 1);
  EXPECT_EQ(FindDirectoryConfig(), home);
}

TEST_F(ConfigFolders, APasswordFileMustBeTheUsersAlone) {
  const std::string path = temp.WriteFile("pw", "secret\n");
  std::string password;
  std::string error;
  ::chmod(path.c_str(), 0640);
  EXPECT_FALSE(ReadPasswordFile(path, ::getuid(), password, error));
  EXPECT_NE(error.find("others may read"), std::string::npos) << error;
  ::chmod(path.c_str(), 0600);
  ASSERT_TRUE(ReadPasswordFile(path, ::getuid(), password, error)) << error;
  EXPECT_EQ(password, "secret");
  if (::getuid() == 0) {
    ASSERT_EQ(::chown(path.c_str(), 4321, 4321), 0);
    EXPECT_FALSE(ReadPasswordFile(path, 1234, password, error));
    EXPECT_NE(error.find("belongs to neither"), std::string::npos) << error;
    EXPECT_TRUE(ReadPasswordFile(path, 4321, password, error)) << error;
  }
}

}  // namespace
}  // namespace welcomer::client
