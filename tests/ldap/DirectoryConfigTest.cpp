#include "client/DirectoryConfig.h"

#include <fstream>
#include <iterator>
#include <tuple>

#include <gtest/gtest.h>

namespace welcomer::client {
namespace {

TEST(DirectoryConfigTest, ReadsEveryKeywordOverTheDefaults) {
  DirectoryConfig config;
  std::string error;
  ASSERT_TRUE(ParseDirectoryConfig("backend ldap\n", config, error)) << error;
  // The defaults that the runs against slapd do not already lean on.
  EXPECT_EQ(std::tie(config.uri, config.userFilter, config.timeoutSeconds),
            std::make_tuple("", "(uid=%u)", 3));

  // Binding as configured is proven against slapd; here what no run there shows.
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
  EXPECT_EQ(config.userFilter, "(&(objectClass=person)(uid=%u))");
  EXPECT_EQ(config.attribute, "welcomerState");
  EXPECT_EQ(config.timeoutSeconds, 7);
  EXPECT_FALSE(config.cache);
  EXPECT_EQ(config.saslMech, "EXTERNAL");

  std::ifstream shipped(std::string(WELCOMER_TEST_SOURCE_DIR) + "/packaging/directory.conf");
  ASSERT_TRUE(shipped.is_open());
  const std::string text((std::istreambuf_iterator<char>(shipped)), {});
  EXPECT_TRUE(ParseDirectoryConfig(text, config = {}, error)) << "the packaged example: " << error;
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

}  // namespace
}  // namespace welcomer::client
