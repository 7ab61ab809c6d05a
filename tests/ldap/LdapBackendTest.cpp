// The LDAP backend's own decisions, over a server whose answers each test sets.

#include "client/LdapBackend.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/ClientErrors.h"

namespace welcomer::client {
namespace {

using ::testing::ElementsAre;

struct FakeServer : DirectoryServer {
  ServerAnswer Open(Deadline) override { return {}; }
  std::string Uri() const override { return "ldap://fake"; }
  std::string Base() const override { return "dc=org"; }
  ServerAnswer WhoAmI(Deadline, std::string& dn) override {
    dn = whoami;
    return {};
  }
  ServerAnswer Search(Deadline, const std::string&, const std::string& filter,
                      std::vector<std::string>& dns) override {
    filters.push_back(filter);
    dns = found;
    return {};
  }
  ServerAnswer ReadValues(Deadline, const std::string& dn, const std::string& attribute,
                          std::vector<std::string>& out) override {
    reads.push_back(dn + " " + attribute);
    out = {"Welcomer.RunOnce=x", "Berlin"};
    return {};
  }
  ServerAnswer ModifyValues(Deadline, const std::string&, const std::string&,
                            const std::vector<std::pair<bool, std::string>>& changes) override {
    for (const auto& [add, value] : changes)
      modifies.push_back((add ? "+" : "-") + value);
    return {};
  }
  ServerAnswer LostAnswer() const override { return {}; }
  bool ParseDn(const std::string& dn, DirectoryName& name) const override {
    return NameFromDn(dn, name);
  }

  std::string whoami;
  std::vector<std::string> found, filters, reads, modifies;
};

/// A backend for the account "a*b" over `server`, which it owns.
std::unique_ptr<LdapBackend> BackendOver(FakeServer* server) {
  DirectoryConfig config;
  config.attribute = "welcomerState";
  return std::make_unique<LdapBackend>(config, Account{"a*b", "A. B.", false},
                                       std::unique_ptr<DirectoryServer>(server), nullptr);
}

TEST(LdapBackendTest, FindsTheUserByWhoAmIElseByTheOneEntryTheFilterMatches) {
  const std::string tooLong = "cn=" + std::string(130, 'x') + ",dc=org";
  const struct {
    std::string whoami;
    std::vector<std::string> found;
    int32_t code;
    std::string userOrWhy;
  } cases[] = {
      {"uid=a,ou=people,dc=example,dc=org", {}, 0, "UID=a.OU=people.DC=example.DC=org"},
      {"cn=Smith\\2C J.,dc=org", {}, 0, "CN=Smith, J\\..DC=org"},
      {"", {"uid=x,dc=org"}, 0, "UID=x.DC=org"},
      {"", {}, kNWErrNoSuchEntry, "no entry matches (uid=a\\2ab) below \"dc=org\""},
      {"", {"uid=x,dc=org", "uid=x,ou=o,dc=org"}, kNWErrAmbiguousEntry, "several entries match"},
      {"cn=a+sn=b,dc=org", {}, kNWErrInvalidObjectName, "has no name the program can use"},
      {tooLong, {}, kNWErrNameTooLong, "longer than 127"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.whoami + " " + c.userOrWhy);
    auto* server = new FakeServer;
    server->whoami = c.whoami;
    server->found = c.found;
    auto backend = BackendOver(server);
    // The answer holds for the run: the server is not asked again.
    for (int call = 0; call < 2; ++call) {
      DirectoryName user;
      EXPECT_EQ(backend->FindUserObject(user), c.code);
      EXPECT_EQ(user.IsRoot(), c.code != 0);
      if (c.code == 0)
        EXPECT_EQ(user.Text(), c.userOrWhy);
      else
        EXPECT_THAT(backend->FailureText(), ::testing::HasSubstr(c.userOrWhy));
    }
    EXPECT_EQ(backend->FailureText().empty(), c.code == 0);
    EXPECT_EQ(server->filters.size(), c.whoami.empty() ? 1u : 0u);
  }
}

TEST(LdapBackendTest, ServesOnlyTheStateAttributeOfTheUsersOwnEntry) {
  auto* server = new FakeServer;
  server->whoami = "uid=a,dc=org";
  auto backend = BackendOver(server);
  DirectoryName user;
  ASSERT_EQ(backend->FindUserObject(user), 0);
  std::vector<Attribute> read;
  ASSERT_EQ(backend->Read(user, {"l"}, read), 0);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].syntax, kSynCiString);
  EXPECT_THAT(read[0].values, ElementsAre("Welcomer.RunOnce=x", "Berlin"));
  EXPECT_THAT(server->reads, ElementsAre("uid=a,dc=org welcomerState"));
  EXPECT_EQ(backend->Read(user, {"Title"}, read), kNWErrNoSuchAttribute);
  ASSERT_EQ(backend->Read(user, {"Full Name"}, read), 0);
  EXPECT_THAT(read[0].values, ElementsAre("A. B."));

  const DirectoryName other({{"UID", "b"}, {"DC", "org"}});
  EXPECT_EQ(backend->Read(other, {"L"}, read), kNWErrNoSuchEntry);
  EXPECT_EQ(backend->Modify(other, {{kAddValue, "L", kSynCiString, {"x"}}}), kNWErrNoSuchEntry);
  EXPECT_EQ(backend->Modify(user, {{kAddValue, "Title", kSynCiString, {"x"}}}), kNWErrNoAccess);
  EXPECT_EQ(backend->Modify(user, {{kClearAttribute, "L", 0, {}}}), kNWErrInvalidRequest);
  EXPECT_EQ(backend->Modify(user, {{kAddValue, "L", kSynInteger, {"1234"}}}),
            kNWErrInvalidAttrSyntax);
  EXPECT_TRUE(server->modifies.empty());
  ASSERT_EQ(backend->Modify(user, {{kAddValue, "L", kSynCiString, {"a", "b"}},
                                   {kRemoveValue, "l", kSynCiString, {"c"}}}),
            0);
  EXPECT_THAT(server->modifies, ElementsAre("+a", "+b", "-c"));

  // The calls layer reads 0 as "no object"; the user is the same object in any letter case.
  uint32_t id = 0;
  EXPECT_EQ(backend->ObjectId(DirectoryName({{"uid", "A"}, {"dc", "ORG"}}), id), 0);
  EXPECT_NE(id, 0u);
}

}  // namespace
}  // namespace welcomer::client
