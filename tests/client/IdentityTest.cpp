// Who the user is, what names mean, and the connection the program asks about.

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstring>

#include "tests/client/ClientFixture.h"

namespace welcomer::testing {
namespace {

using ::testing::ElementsAre;

using IdentityTest = ClientTest;

std::string Account() {
  struct passwd* entry = ::getpwuid(::getuid());
  return entry != nullptr ? entry->pw_name : "";
}

std::string Cased(std::string text, int (*map)(int)) {
  for (char& c : text)
    c = static_cast<char>(map(static_cast<unsigned char>(c)));
  return text;
}

TEST_F(IdentityTest, NamesAreReadAgainstTheNameContextAndFindTheUser) {
  EXPECT_EQ(user, "CN=" + Account() + ".O=LOCAL");
  const struct {
    const char* context;
    const char* name;
    int32_t expected;
    const char* canonical;
  } rows[] = {
      {"[root]", "alice.local", 0, "CN=alice.O=local"},
      {"Sales.Acme", "bob", 0, "CN=bob.OU=Sales.O=Acme"},
      {"OU=Sales.O=Acme", "bob.", 0, "CN=bob.O=Acme"},
      {"OU=Sales.O=Acme", ".CN=carol.O=Other", 0, "CN=carol.O=Other"},
      {"O=LOCAL", "john\\.doe", 0, "CN=john\\.doe.O=LOCAL"},
      {"[Root]", "[ROOT]", 0, "[Root]"},
      {"[Root]", "", kNWErrInvalidObjectName, ""},
      {"[Root]", "a..b", kNWErrInvalidObjectName, ""},
      {"[Root]", "x=y=z", kNWErrInvalidObjectName, ""},
      {"O=LOCAL", "alice..", kNWErrInvalidObjectName, ""},
  };
  for (const auto& row : rows) {
    ASSERT_EQ(NWDSSetContext(ctx(), 3, row.context), 0) << row.context;
    char canonical[256] = {};
    EXPECT_EQ(NWDSCanonicalizeName(ctx(), row.name, canonical), row.expected) << row.name;
    EXPECT_STREQ(canonical, row.canonical) << row.name;
  }
  // Under the last row's context, O=LOCAL, the user's object answers to any spelling of its name.
  ASSERT_EQ(AddText(ctx(), "." + user, "L", "v"), 0);
  for (const std::string& name :
       {"." + Cased(user, std::tolower), Account(), "." + Account() + ".local"})
    EXPECT_THAT(ReadValues(ctx(), name, "L").values, ElementsAre("v")) << name;
}

TEST_F(IdentityTest, CopiesOfAContextKeepItsSettingsAndAreIndependent) {
  ASSERT_EQ(NWDSSetContext(ctx(), 3, "Sales.Acme"), 0);
  uint32_t flags = 0;
  ASSERT_EQ(NWDSGetContext(ctx(), 1, &flags), 0);
  flags |= 0x04;  // typeless names
  ASSERT_EQ(NWDSSetContext(ctx(), 1, &flags), 0);
  int32_t copy = 0;
  ASSERT_EQ(NWDSDuplicateContextHandle(ctx(), &copy), 0);
  ASSERT_EQ(NWDSSetContext(ctx(), 3, "[Root]"), 0);
  char name[256];
  ASSERT_EQ(NWDSCanonicalizeName(copy, "bob", name), 0);
  EXPECT_STREQ(name, "bob.Sales.Acme") << "the copy keeps the name context it was made with";
  EXPECT_EQ(WhoAmI(copy), Account() + ".LOCAL");
  EXPECT_EQ(NWDSFreeContext(copy), 0);
}

TEST_F(IdentityTest, TheConnectionCallsAgreeOnOneConnectionAndOneUser) {
  // Every call succeeds (NWIsDSServer answers a truth value), and each that names a connection
  // names the one the program opens by reference.
  uint32_t reference = 0, connection = 0, primary = 0, preferred = 0, number = 0, byName = 0;
  char tree[256] = {}, server[48] = {}, login[48] = {};
  uint32_t loginId = 0, id = 0, auditConnection = 0, auditId = 0, binderyId = 0;
  const std::vector<int32_t> answers = {
      NWCCGetPrimConnRef(&reference),
      NWCCOpenConnByRef(reference, 1, 0, &connection),
      NWGetPrimaryConnectionID(&primary),
      NWGetPreferredDSServer(&preferred),
      NWCCGetConnInfo(connection, 5, 4, &number),
      NWIsDSServer(connection, tree) == 1 ? 0 : -1,
      NWSetPreferredDSTree(static_cast<uint32_t>(std::strlen(tree)), tree),
      NWGetFileServerName(connection, server),
      NWGetConnectionHandle(Cased(server, std::tolower).c_str(), 0, &byName, nullptr),
      NWGetConnectionInformation(connection, static_cast<uint16_t>(number), login, nullptr,
                                 &loginId, nullptr),
      NWDSMapNameToID(ctx(), connection, user.c_str(), &id),
      NWDSAuditGetObjectID(ctx(), user.c_str(), &auditConnection, &auditId),
      NWGetObjectID(connection, login, 256, &binderyId)};
  ASSERT_THAT(answers, ::testing::Each(0));
  EXPECT_NE(connection, 0u);
  EXPECT_THAT((std::vector<uint32_t>{primary, preferred, byName, auditConnection}),
              ::testing::Each(connection));
  EXPECT_EQ(NWIsDSServer(connection + 1, tree), 0);
  EXPECT_EQ(NWSetPreferredDSTree(5, "OTHER"), kNWErrNoServerFound);
  EXPECT_EQ(NWCCOpenConnByName(0, "ELSEWHERE", 2, 1, 0, &byName), kNWErrNoServerFound);

  EXPECT_EQ(std::string(login), Cased(Account(), std::toupper));
  EXPECT_NE(id, 0u);
  EXPECT_EQ(auditId, id);
  EXPECT_EQ(NWLongSwap(binderyId), id) << "bindery IDs travel in high-low order";
  EXPECT_EQ(loginId, binderyId);
  EXPECT_EQ(NWGetObjectID(connection, login, 512, &binderyId), kNWErrNoSuchEntry);

  // The bindery's full name is the directory's, cut to its buffer.
  const std::string fullName = "Alice " + std::string(200, 'E');
  ASSERT_EQ(ChangeValues(ctx(), user, "Full Name", kClearAttribute, kCiString, {}), 0);
  ASSERT_EQ(AddText(ctx(), user, "Full Name", fullName), 0);
  char value[128 + 4];
  std::memset(value, '#', sizeof value);
  ASSERT_EQ(NWReadPropertyValue(connection, login, 256, "IDENTIFICATION", 1,
                                reinterpret_cast<uint8_t*>(value), nullptr, nullptr),
            0);
  EXPECT_EQ(std::string(value), fullName.substr(0, 127));
  EXPECT_EQ(std::string(value + 128, 4), "####");
}

}  // namespace
}  // namespace welcomer::testing
