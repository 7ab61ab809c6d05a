// The LDAP backend's own decisions, over a server whose answers each test sets.

#include "client/LdapBackend.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/ClientErrors.h"

namespace welcomer::client {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class FakeServer : public DirectoryServer {
 public:
  ServerAnswer Open(Deadline) override { return open; }
  std::string Uri() const override { return "ldap://fake"; }
  std::string Base() const override { return "dc=example,dc=org"; }
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
    out = values;
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

  ServerAnswer open;
  std::string whoami;
  std::vector<std::string> found;
  std::vector<std::string> values;
  std::vector<std::string> filters;
  std::vector<std::string> reads;
  std::vector<std::string> modifies;
};

struct Backend {
  explicit Backend(std::function<void(FakeServer&)> script) {
    auto fake = std::make_unique<FakeServer>();
    script(*fake);
    server = fake.get();
    DirectoryConfig config;
    config.backend = DirectoryConfig::Backend::kLdap;
    config.attribute = "welcomerState";
    backend = std::make_unique<LdapBackend>(config, Account{"a*b", "A. B.", false}, std::move(fake),
                                            nullptr);
  }
  FakeServer* server;
  std::unique_ptr<LdapBackend> backend;
};

TEST(LdapBackendTest, FindsTheUserByWhoAmIElseByTheOneEntryTheFilterMatches) {
  const struct {
    const char* name;
    std::string whoami;
    std::vector<std::string> found;
    int32_t code;
    std::string user;
    const char* why;
  } cases[] = {
      {"who am I names the entry",
       "uid=a,ou=people,dc=example,dc=org",
       {},
       0,
       "UID=a.OU=people.DC=example.DC=org",
       ""},
      {"escaped characters survive", "cn=Smith\\2C J.,dc=org", {}, 0, "CN=Smith, J\\..DC=org", ""},
      {"one entry found", "", {"uid=x,dc=org"}, 0, "UID=x.DC=org", ""},
      {"no entry found", "", {}, kNWErrNoSuchEntry, "", "no entry matches (uid=a\\2ab)"},
      {"several found",
       "",
       {"uid=x,dc=org", "uid=x,ou=o,dc=org"},
       kNWErrAmbiguousEntry,
       "",
       "several entries match"},
      {"a multi-valued name",
       "cn=a+sn=b,dc=org",
       {},
       kNWErrInvalidObjectName,
       "",
       "has no name the program can use"},
      {"too long for the program",
       "cn=" + std::string(130, 'x') + ",dc=org",
       {},
       kNWErrNameTooLong,
       "",
       "longer than 127"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Backend b([&](FakeServer& s) {
      s.whoami = c.whoami;
      s.found = c.found;
    });
    DirectoryName user;
    EXPECT_EQ(b.backend->FindUserObject(user), c.code);
    EXPECT_EQ(user.IsRoot() ? "" : user.Text(), c.user);
    EXPECT_EQ(b.backend->FailureText().empty(), c.why[0] == '\0');
    EXPECT_THAT(b.backend->FailureText(), HasSubstr(c.why));
    // The answer holds for the run; the server is not asked again.
    EXPECT_EQ(b.backend->FindUserObject(user), c.code);
    EXPECT_THAT(b.backend->FailureText(), HasSubstr(c.why));
    EXPECT_LE(b.server->filters.size(), 1u);
  }
}

TEST(LdapBackendTest, ServesOnlyTheStateAttributeOfTheUsersOwnEntry) {
  Backend b([](FakeServer& s) {
    s.whoami = "uid=a,dc=org";
    s.values = {"Welcomer.RunOnce=x", "Berlin"};
  });
  DirectoryName user;
  ASSERT_EQ(b.backend->FindUserObject(user), 0);
  std::vector<Attribute> read;
  ASSERT_EQ(b.backend->Read(user, {"l"}, read), 0);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].syntax, kSynCiString);
  EXPECT_THAT(read[0].values, ElementsAre("Welcomer.RunOnce=x", "Berlin"));
  EXPECT_THAT(b.server->reads, ElementsAre("uid=a,dc=org welcomerState"));
  EXPECT_EQ(b.backend->Read(user, {"Title"}, read), kNWErrNoSuchAttribute);
  ASSERT_EQ(b.backend->Read(user, {"Full Name"}, read), 0);
  EXPECT_THAT(read[0].values, ElementsAre("A. B."));

  const DirectoryName other({{"UID", "b"}, {"DC", "org"}});
  EXPECT_EQ(b.backend->Read(other, {"L"}, read), kNWErrNoSuchEntry);
  EXPECT_EQ(b.backend->Modify(other, {{kAddValue, "L", kSynCiString, {"x"}}}), kNWErrNoSuchEntry);
  EXPECT_EQ(b.backend->Modify(user, {{kAddValue, "Title", kSynCiString, {"x"}}}), kNWErrNoAccess);
  EXPECT_EQ(b.backend->Modify(user, {{kClearAttribute, "L", 0, {}}}), kNWErrInvalidRequest);
  EXPECT_EQ(b.backend->Modify(user, {{kAddValue, "L", kSynInteger, {"1234"}}}),
            kNWErrInvalidAttrSyntax);
  EXPECT_TRUE(b.server->modifies.empty());
  ASSERT_EQ(b.backend->Modify(user, {{kAddValue, "L", kSynCiString, {"a", "b"}},
                                     {kRemoveValue, "l", kSynCiString, {"c"}}}),
            0);
  EXPECT_THAT(b.server->modifies, ElementsAre("+a", "+b", "-c"));

  uint32_t id = 0;
  uint32_t again = 0;
  ASSERT_EQ(b.backend->ObjectId(user, id), 0);
  ASSERT_EQ(b.backend->ObjectId(DirectoryName({{"uid", "A"}, {"dc", "ORG"}}), again), 0);
  EXPECT_EQ(id, again);
  EXPECT_NE(id, 0u);
}

}  // namespace
}  // namespace welcomer::client
