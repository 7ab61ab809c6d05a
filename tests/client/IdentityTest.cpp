// Who the user is, what the names mean, and the connection the program asks about: enough for
// the program to find the network, the directory and the user's object.

#include <pwd.h>
#include <unistd.h>

#include <cstring>

#include "tests/client/ClientFixture.h"

namespace welcomer::testing {
namespace {

using IdentityTest = ClientTest;

std::string Account() {
  struct passwd* entry = ::getpwuid(::getuid());
  return entry != nullptr ? entry->pw_name : "";
}

TEST_F(IdentityTest, TheUserIsNamedAfterTheAccount) {
  EXPECT_EQ(user, "CN=" + Account() + ".O=LOCAL");
  char canonical[256];
  ASSERT_EQ(NWDSCanonicalizeName(ctx(), user.c_str(), canonical), 0);
  EXPECT_EQ(std::string(canonical), user);

  uint32_t flags = 0;
  ASSERT_EQ(NWDSGetContext(ctx(), 1, &flags), 0);
  const uint32_t typeless = flags | 0x04;
  ASSERT_EQ(NWDSSetContext(ctx(), 1, &typeless), 0);
  EXPECT_EQ(WhoAmI(ctx()), Account() + ".LOCAL");
}

struct NameCase {
  const char* context;
  const char* name;
  int32_t expected;
  const char* canonical;
};

class NameTest : public ClientTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(NameTest, NamesAreReadAgainstTheNameContext) {
  const NameCase& c = GetParam();
  ASSERT_EQ(NWDSSetContext(ctx(), 3, c.context), 0);
  char canonical[256];
  std::memset(canonical, '#', sizeof canonical);
  EXPECT_EQ(NWDSCanonicalizeName(ctx(), c.name, canonical), c.expected);
  if (c.expected == 0) {
    EXPECT_STREQ(canonical, c.canonical);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NameTest,
    ::testing::Values(NameCase{"[Root]", "CN=alice.O=LOCAL", 0, "CN=alice.O=LOCAL"},
                      NameCase{"[root]", "alice.local", 0, "CN=alice.O=local"},
                      NameCase{"O=LOCAL", "alice", 0, "CN=alice.O=LOCAL"},
                      NameCase{"Sales.Acme", "bob", 0, "CN=bob.OU=Sales.O=Acme"},
                      NameCase{"OU=Sales.O=Acme", "bob.", 0, "CN=bob.O=Acme"},
                      NameCase{"OU=Sales.O=Acme", ".CN=carol.O=Other", 0, "CN=carol.O=Other"},
                      NameCase{"O=LOCAL", "john\\.doe", 0, "CN=john\\.doe.O=LOCAL"},
                      NameCase{"[Root]", "[ROOT]", 0, "[Root]"},
                      NameCase{"[Root]", "", kNWErrInvalidObjectName, ""},
                      NameCase{"[Root]", "CN=", kNWErrInvalidObjectName, ""},
                      NameCase{"[Root]", "a..b", kNWErrInvalidObjectName, ""},
                      NameCase{"[Root]", "x=y=z", kNWErrInvalidObjectName, ""},
                      NameCase{"O=LOCAL", "alice..", kNWErrInvalidObjectName, ""}));

TEST_F(IdentityTest, TheUsersObjectIsFoundUnderAnySpellingOfItsName) {
  ASSERT_EQ(AddText(ctx(), user, "L", "v"), 0);
  std::string lower = user;
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string typeless = Account() + ".LOCAL";
  for (const std::string& name : {lower, typeless, "." + user})
    EXPECT_EQ(ReadTexts(ctx(), name, "L").values, std::vector<std::string>{"v"}) << name;

  ClientContext fresh;
  ASSERT_EQ(NWDSSetContext(fresh.handle(), 3, "O=LOCAL"), 0);
  EXPECT_EQ(ReadTexts(fresh.handle(), Account(), "L").values, std::vector<std::string>{"v"});
}

TEST_F(IdentityTest, ContextsKeepTheirSettingsAndCopiesAreIndependent) {
  ASSERT_EQ(NWDSSetContext(ctx(), 3, "OU=Sales.O=Acme"), 0);
  const uint32_t flags = 0x13 | 0x80;
  ASSERT_EQ(NWDSSetContext(ctx(), 1, &flags), 0);
  int32_t copy = 0;
  ASSERT_EQ(NWDSDuplicateContextHandle(ctx(), &copy), 0);
  ASSERT_GT(copy, 0);
  char name[128];
  uint32_t copiedFlags = 0;
  ASSERT_EQ(NWDSGetContext(copy, 3, name), 0);
  ASSERT_EQ(NWDSGetContext(copy, 1, &copiedFlags), 0);
  EXPECT_STREQ(name, "OU=Sales.O=Acme");
  EXPECT_EQ(copiedFlags, flags);
  ASSERT_EQ(NWDSSetContext(copy, 3, "[Root]"), 0);
  ASSERT_EQ(NWDSGetContext(ctx(), 3, name), 0);
  EXPECT_STREQ(name, "OU=Sales.O=Acme");
  ASSERT_EQ(NWDSGetContext(copy, 3, name), 0);
  EXPECT_STREQ(name, "[Root]");
  EXPECT_EQ(NWDSGetContext(copy, 2, name), kNWErrBadKey);
  EXPECT_EQ(NWDSFreeContext(copy), 0);
  EXPECT_EQ(NWDSFreeContext(copy), kNWErrBadContext);

  const int32_t fresh = NWDSCreateContext();
  ASSERT_GT(fresh, 0);
  ASSERT_EQ(NWDSGetContext(fresh, 3, name), 0);
  EXPECT_STREQ(name, "O=LOCAL") << "a fresh context reads names in the user's container";
  NWDSFreeContext(fresh);
}

TEST_F(IdentityTest, TheProgramFindsTheNetworkTheDirectoryAndTheLoginName) {
  uint32_t connection = 0;
  ASSERT_EQ(NWCallsInit(nullptr, nullptr), 0);
  ASSERT_EQ(NWCCGetPrimConnRef(&connection), 0);
  ASSERT_EQ(NWCCOpenConnByRef(connection, 1, 0, &connection), 0);
  EXPECT_NE(connection, 0u);
  uint32_t primary = 0;
  ASSERT_EQ(NWGetPrimaryConnectionID(&primary), 0);
  EXPECT_EQ(primary, connection);

  char tree[256] = {};
  EXPECT_NE(NWIsDSServer(connection, tree), 0);
  EXPECT_STRNE(tree, "");
  EXPECT_EQ(NWIsDSServer(connection + 1, tree), 0);
  EXPECT_EQ(NWSetPreferredDSTree(static_cast<uint32_t>(std::strlen(tree)), tree), 0);
  EXPECT_EQ(NWSetPreferredDSTree(5, "OTHER"), kNWErrNoServerFound);
  uint32_t preferred = 0;
  ASSERT_EQ(NWGetPreferredDSServer(&preferred), 0);
  EXPECT_EQ(preferred, connection);

  uint32_t number = 0;
  ASSERT_EQ(NWCCGetConnInfo(connection, 5, 4, &number), 0);
  char server[48] = {};
  ASSERT_EQ(NWCCGetConnInfo(connection, 7, sizeof server, server), 0);
  EXPECT_STRNE(server, "");
  char serverAgain[48] = {};
  ASSERT_EQ(NWGetFileServerName(connection, serverAgain), 0);
  EXPECT_STREQ(server, serverAgain);

  char login[48] = {};
  uint16_t type = 0;
  uint32_t bindery = 0;
  uint8_t loginTime[7] = {};
  ASSERT_EQ(NWGetConnectionInformation(connection, static_cast<uint16_t>(number), login, &type,
                                       &bindery, loginTime),
            0);
  std::string upper = Account();
  for (char& c : upper)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(std::string(login), upper);
  EXPECT_EQ(type, 256);
  EXPECT_GE(loginTime[0], 100) << "years since 1900";

  uint32_t id = 0;
  uint32_t auditConnection = 0;
  uint32_t auditId = 0;
  uint32_t binderyId = 0;
  ASSERT_EQ(NWDSMapNameToID(ctx(), connection, user.c_str(), &id), 0);
  ASSERT_EQ(NWDSAuditGetObjectID(ctx(), user.c_str(), &auditConnection, &auditId), 0);
  ASSERT_EQ(NWGetObjectID(connection, login, 256, &binderyId), 0);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(auditId, id);
  EXPECT_EQ(auditConnection, connection);
  EXPECT_EQ(NWLongSwap(binderyId), id) << "bindery IDs travel in high-low order";
  EXPECT_EQ(bindery, binderyId);
  EXPECT_EQ(NWGetObjectID(connection, login, 512, &binderyId), kNWErrNoSuchEntry);
  EXPECT_EQ(NWDSMapNameToID(ctx(), connection, "CN=x.O=LOCAL", &id), kNWErrNoSuchEntry);
  EXPECT_EQ(NWLongSwap(0x01020304u), 0x04030201u);
}

TEST_F(IdentityTest, TheBinderyFullNameIsTheDirectorysFullName) {
  char login[48] = {};
  ASSERT_EQ(NWGetConnectionInformation(1, 1, login, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(ChangeValue(ctx(), user, "Full Name", 6, kCiString, nullptr), kNWErrBadVerb)
      << "clearing takes no value";
  NWDSBuf* changes = nullptr;
  ASSERT_EQ(NWDSAllocBuf(4096, &changes), 0);
  ASSERT_EQ(NWDSInitBuf(ctx(), 9, changes), 0);
  ASSERT_EQ(NWDSPutChange(ctx(), changes, 6, "Full Name"), 0);
  ASSERT_EQ(NWDSPutChange(ctx(), changes, kAddValue, "Full Name"), 0);
  ASSERT_EQ(NWDSPutAttrVal(ctx(), changes, kCiString, "Alice Example"), 0);
  ASSERT_EQ(NWDSModifyObject(ctx(), user.c_str(), nullptr, 0, changes), 0);
  NWDSFreeBuf(changes);

  uint8_t value[128 + 4];
  std::memset(value, '#', sizeof value);
  uint8_t more = 9;
  uint8_t flags = 9;
  ASSERT_EQ(NWReadPropertyValue(1, login, 256, "IDENTIFICATION", 1, value, &more, &flags), 0);
  EXPECT_STREQ(reinterpret_cast<char*>(value), "Alice Example");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(value) + 128, 4), "####");
  EXPECT_EQ(more, 0);
  EXPECT_EQ(NWReadPropertyValue(1, login, 256, "PASSWORD", 1, value, &more, &flags),
            kNWErrNoSuchAttribute);
  EXPECT_EQ(NWReadPropertyValue(1, "SOMEONE", 256, "IDENTIFICATION", 1, value, &more, &flags),
            kNWErrNoSuchEntry);
}

TEST_F(IdentityTest, ModesAreKeptAndServersOtherThanThisOneAreUnknown) {
  uint16_t mode = 0;
  EXPECT_EQ(NWSetBroadcastMode(1, 2), 0);
  ASSERT_EQ(NWCCGetConnInfo(1, 2, 2, &mode), 0);
  EXPECT_EQ(mode, 2);
  EXPECT_EQ(NWSetBroadcastMode(1, 4), kNWErrInvalidRequest);
  EXPECT_EQ(NWSetBroadcastMode(1, 0), 0);
  uint8_t errorMode = 9;
  ASSERT_EQ(NWSetNetWareErrorMode(1, &errorMode), 0);
  ASSERT_EQ(NWSetNetWareErrorMode(0, &errorMode), 0);
  EXPECT_EQ(errorMode, 1);

  char server[48];
  ASSERT_EQ(NWGetFileServerName(1, server), 0);
  std::string lower = server;
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  uint32_t connection = 0;
  EXPECT_EQ(NWGetConnectionHandle(lower.c_str(), 0, &connection, nullptr), 0);
  EXPECT_EQ(connection, 1u);
  EXPECT_EQ(NWCCSetPrefServerName("ELSEWHERE"), kNWErrNoServerFound);
  EXPECT_EQ(NWCCOpenConnByName(0, "ELSEWHERE", 2, 1, 0, &connection), kNWErrNoServerFound);
}

TEST_F(IdentityTest, TheLocaleBlockIsFilledWithinItsSize) {
  uint8_t locale[132 + 4];
  std::memset(locale, '#', sizeof locale);
  ASSERT_EQ(NWLlocaleconv(locale), 0);
  int32_t codePage = 0;
  int32_t country = 0;
  std::memcpy(&codePage, locale + 56, 4);
  std::memcpy(&country, locale + 60, 4);
  EXPECT_GT(codePage, 0);
  EXPECT_GT(country, 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(locale) + 132, 4), "####");
  EXPECT_EQ(NWInitUnicodeTables(country, codePage), 0);
}

}  // namespace
}  // namespace welcomer::testing
