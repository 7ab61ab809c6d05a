#include <gtest/gtest.h>

#include <string>

#include "nds/Nwnds.h"
#include "netware/nwbase.h"
#include "netware/nwlib.h"
#include "tests/support/FakeNetWareClient.h"

namespace welcomer {
namespace {

using testing::FakeNetWareClient;

TEST(TNWObjType, TypeNumbersMapBackToTheirTypes) {
  for (int ordinal = 0; ordinal <= static_cast<int>(TNWObjType::nwObjTypeConnectedServer);
       ++ordinal) {
    const auto type = static_cast<TNWObjType>(ordinal);
    TNWObjType found = TNWObjType::nwObjTypeNone;
    const uint16_t number = ObjectTypeNumber(type);
    EXPECT_EQ(ObjectTypeFromNumber(number, found), number != 0) << ordinal;
    EXPECT_EQ(found, number != 0 ? type : TNWObjType::nwObjTypeNone) << ordinal;
  }
  EXPECT_EQ(ObjectTypeNumber(TNWObjType::nwObjTypeUser), 256u) << "high-low byte order";
  TNWObjType type = TNWObjType::nwObjTypeGroup;
  EXPECT_FALSE(ObjectTypeFromNumber(257, type));
  EXPECT_EQ(type, TNWObjType::nwObjTypeGroup);
}

TEST(TNWBaseWithoutClient, ConstructsQuietlyWithNothing) {
  FakeNetWareClient fake;
  fake.libraries.clear();
  TNWBase base;
  EXPECT_FALSE(base.NetAvailable());
  EXPECT_FALSE(base.NDSAvailable());
  EXPECT_EQ(base.LoginID(), "");
  EXPECT_EQ(base.ServerName(), "LOCAL");
  const TNWLastError& errors = base.LastError();
  EXPECT_EQ(errors.NWLib(), "FFFFFFFF");
  EXPECT_EQ(errors.NWNDS(), "FFFF");
  EXPECT_EQ(errors.NWServer(), "0000");
  EXPECT_EQ(base.ObjectType(), TNWObjType::nwObjTypeUser);
  EXPECT_TRUE(fake.calls.empty());
}

class TNWBaseWithClient : public ::testing::Test {
 protected:
  TNWBaseWithClient() {
    fake_.canonicalNames["jdoe.staff.org"] = "CN=jdoe.OU=staff.O=org";
    fake_.objectIds[{"CN=JDOE.OU=STAFF.O=ORG", 256}] = 0x01000000;
    fake_.serverConnections["FS2"] = 12;
  }

  FakeNetWareClient fake_;
};

TEST_F(TNWBaseWithClient, CreationFindsTheCanonicalLoginNameThroughTheDirectory) {
  TNWBase base;
  EXPECT_TRUE(base.NetAvailable());
  EXPECT_TRUE(base.NDSAvailable());
  EXPECT_EQ(base.LoginID(), "CN=jdoe.OU=staff.O=org");
  EXPECT_EQ(base.NDSContextName(), "[Root]");
  EXPECT_EQ(fake_.contexts.at(GlobalContext()).flags, 0x13u) << "the default flags";
  EXPECT_EQ(fake_.contexts.at(RootContext()).flags, 0x13u);
}

TEST_F(TNWBaseWithClient, LoginIdSetterUpperCasesOrFetchesAgain) {
  TNWBase base;
  int userChanges = 0;
  base.OnUserChange = [&](TNWBase&) { ++userChanges; };
  base.SetLoginID("jdoe");
  EXPECT_EQ(base.LoginID(), "JDOE");
  base.SetLoginID("");
  EXPECT_EQ(base.LoginID(), "jdoe.staff.org") << "fetched again, not canonicalized";
  EXPECT_EQ(userChanges, 2);
}

TEST_F(TNWBaseWithClient, WithoutTheDirectoryTheConnectionNamesTheUser) {
  struct Row {
    const char* name;
    void (*arrange)(FakeNetWareClient&);
  };
  const Row rows[] = {
      {"no directory library", [](FakeNetWareClient& f) { f.libraries.erase("NETWIN32.DLL"); }},
      {"Unicode tables fail", [](FakeNetWareClient& f) { f.Answer("NWInitUnicodeTables", -1); }},
      {"no directory server", [](FakeNetWareClient& f) { f.directoryServer = false; }},
      {"unknown user", [](FakeNetWareClient& f) { f.Answer("NWDSWhoAmI", -1); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeNetWareClient fake;
    row.arrange(fake);
    TNWBase base;
    EXPECT_TRUE(base.NetAvailable());
    EXPECT_EQ(fake.CountOf("NWDSCanonicalizeName"), 0);
    if (fake.answers.contains("NWDSWhoAmI")) {
      EXPECT_EQ(base.LoginID(), "") << "an empty name is not canonicalized";
    } else {
      EXPECT_FALSE(base.NDSAvailable());
      EXPECT_EQ(base.LoginID(), "JDOE");
    }
  }
}

TEST_F(TNWBaseWithClient, ContextNameRootInAnyCaseResetsTheContext) {
  TNWBase base;
  for (const char* root : {"[root]", ""}) {
    SCOPED_TRACE(root);
    base.SetNDSContextName("OU=staff");
    EXPECT_EQ(GetNameContext(), "OU=STAFF");
    const int32_t before = GlobalContext();
    base.SetNDSContextName(root);
    EXPECT_EQ(fake_.contexts.count(before), 0u);
    EXPECT_EQ(base.NDSContextName(), "[Root]") << "what the context reports back";
  }
  fake_.directoryServer = false;
  base.SetNDSContextName("OU=other");
  EXPECT_EQ(base.NDSContextName(), "[Root]") << "without the directory nothing changes";
}

TEST_F(TNWBaseWithClient, ContextFlagSwitchesTouchOnlyTheirBit) {
  TNWBase base;
  TNWDSContextFlags& flags = base.NDSContextFlags();
  fake_.contexts.at(RootContext()).flags = 0x93;
  struct Row {
    const char* name;
    void (TNWDSContextFlags::*set)(bool);
    bool value;
    uint32_t global;
    uint32_t root;
  };
  const Row rows[] = {
      {"typeless off while off", &TNWDSContextFlags::SetTypelessNames, false, 0x13, 0x93},
      {"typeless on", &TNWDSContextFlags::SetTypelessNames, true, 0x17, 0x17},
      {"aliases off", &TNWDSContextFlags::SetDereferenceAliases, false, 0x16, 0x16},
      {"referrals on", &TNWDSContextFlags::SetDisallowReferrals, true, 0x96, 0x96},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    (flags.*row.set)(row.value);
    EXPECT_EQ(fake_.contexts.at(GlobalContext()).flags, row.global);
    EXPECT_EQ(fake_.contexts.at(RootContext()).flags, row.root);
  }
  EXPECT_FALSE(flags.DereferenceAliases());
  EXPECT_TRUE(flags.DisallowReferrals());
}

TEST_F(TNWBaseWithClient, ServerNameErrorsFollowSilentExceptions) {
  TNWBase base;
  int serverChanges = 0;
  base.OnServerChange = [&](TNWBase&) { ++serverChanges; };
  base.SetServerName("fs2");
  EXPECT_EQ(base.ServerName(), "FS2");
  EXPECT_EQ(base.ServerHandle(), 12u);
  base.SetServerName("nowhere");
  EXPECT_EQ(serverChanges, 2) << "called even after a silent error";
  base.SetSilentExceptions(false);
  EXPECT_THROW(base.SetServerName("nowhere"), TNWObjError);
  EXPECT_EQ(serverChanges, 2) << "not called after a raised error";
  base.SetServerName("");
  EXPECT_EQ(base.ServerHandle(), 7u);
  EXPECT_EQ(base.ServerName(), "FS1");
}

// Server-level properties work on ServerHandle, not on the primary connection.
TEST_F(TNWBaseWithClient, PropertiesWorkOnTheServerHandle) {
  TNWBase base;
  base.SetServerName("FS2");
  base.ConnectionID();
  base.Manager();
  base.ServerVersion();
  base.ServerDate();
  base.SetBroadcastMode(TNWBroadcastMode::nwBroadcastOff);
  for (const char* call :
       {"NWCCGetConnInfo(12,5,4)", "NWIsManager(12)", "NWGetFileServerInformation(12)",
        "NWGetFileServerDateAndTime(12)", "NWSetBroadcastMode(12,2)"}) {
    EXPECT_TRUE(fake_.Called(call)) << call;
  }
}

TEST_F(TNWBaseWithClient, ObjectIdAndTypeFromTheDirectoryOrTheBindery) {
  fake_.directoryIds["CN=JDOE.OU=STAFF.O=ORG"] = 0x2A000000;
  TNWBase base;
  EXPECT_EQ(base.ObjectID(), "2A");
  fake_.directoryServer = false;
  SetNDSMode(false);
  EXPECT_EQ(base.ObjectID(), "1") << "the bindery ID, byte-swapped";
  EXPECT_EQ(base.ObjectType(), TNWObjType::nwObjTypeUser);
  base.SetLoginID("ghost");
  EXPECT_EQ(base.NWObjectType(), 0u);
  EXPECT_EQ(base.ObjectType(), TNWObjType::nwObjTypeUser);
  base.SetSilentExceptions(false);
  EXPECT_THROW(base.ObjectType(), TNWObjError);
}

TEST_F(TNWBaseWithClient, DestructionReleasesTablesAndContexts) {
  { TNWBase base; }
  EXPECT_EQ(fake_.CountOf("NWFreeUnicodeTables"), 1);
  EXPECT_TRUE(fake_.contexts.empty());
  fake_.directoryServer = false;
  { TNWBase base; }
  EXPECT_EQ(fake_.CountOf("NWFreeUnicodeTables"), 1) << "only while the directory is there";
}

}  // namespace
}  // namespace welcomer
