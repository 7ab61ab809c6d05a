#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nds/Nwnds.h"
#include "netware/nwbase.h"
#include "netware/nwlib.h"
#include "tests/support/FakeNetWareClient.h"

namespace welcomer {
namespace {

using testing::FakeNetWareClient;

TEST(TNWObjType, MapsToTypeNumbersBothWays) {
  struct Row {
    TNWObjType type;
    uint16_t number;
  };
  const Row rows[] = {{TNWObjType::nwObjTypeUser, 256},
                      {TNWObjType::nwObjTypePrintServer, 1792},
                      {TNWObjType::nwObjTypeFileServer, 1024},
                      {TNWObjType::nwObjTypeTCPIPGateway, 9984}};
  for (const Row& row : rows) {
    EXPECT_EQ(ObjectTypeNumber(row.type), row.number);
    TNWObjType type = TNWObjType::nwObjTypeNone;
    EXPECT_TRUE(ObjectTypeFromNumber(row.number, type));
    EXPECT_EQ(type, row.type);
  }
  EXPECT_EQ(ObjectTypeNumber(TNWObjType::nwObjTypeNDSTree), 0u);
  TNWObjType type = TNWObjType::nwObjTypeGroup;
  EXPECT_FALSE(ObjectTypeFromNumber(0, type));
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
  EXPECT_EQ(base.ServerHandle(), 0u);
  EXPECT_EQ(base.ServerName(), "LOCAL");
  EXPECT_EQ(base.ServerVersion(), "0.0");
  const TNWLastError& errors = base.LastError();
  EXPECT_EQ(errors.NWLib(), "FFFFFFFF");
  EXPECT_EQ(errors.NWNDS(), "FFFF");
  EXPECT_EQ(errors.NWServer(), "0000");
  EXPECT_EQ(errors.NWProp(), "0000");
  EXPECT_EQ(errors.NWPrint(), "0000");
  EXPECT_EQ(base.Version(), "1.50 / 4.60 - 1 August 1999");
  EXPECT_EQ(base.ObjectType(), TNWObjType::nwObjTypeUser);
  EXPECT_TRUE(fake.calls.empty());
}

class TNWBaseWithClient : public ::testing::Test {
 protected:
  TNWBaseWithClient() {
    fake_.canonicalNames["jdoe.staff.org"] = "CN=jdoe.OU=staff.O=org";
    fake_.objectIds[{"CN=JDOE.OU=STAFF.O=ORG", 256}] = 0x01000000;
  }

  FakeNetWareClient fake_;
};

TEST_F(TNWBaseWithClient, CreationBindsEverythingAndFixesTheCanonicalLoginName) {
  TNWBase base;
  EXPECT_TRUE(base.NetAvailable());
  EXPECT_TRUE(base.NDSAvailable());
  EXPECT_TRUE(NDSMode());
  EXPECT_EQ(base.LoginID(), "CN=jdoe.OU=staff.O=org");
  EXPECT_EQ(base.NDSContextName(), "[Root]");
  // The default flags, one bit at a time, on both contexts.
  EXPECT_EQ(fake_.contexts.at(GlobalContext()).flags, 0x13u);
  EXPECT_EQ(fake_.contexts.at(RootContext()).flags, 0x13u);
  EXPECT_EQ(fake_.CountOf("NWDSSetContext(" + std::to_string(RootContext()) + ",1,1)"), 1);
  EXPECT_EQ(base.ServerHandle(), 7u);
}

TEST_F(TNWBaseWithClient, LoginIdIsCachedAndItsSetterUpperCasesOrFetchesAgain) {
  TNWBase base;
  const int whoAmIBefore = fake_.CountOf("NWDSWhoAmI");
  base.LoginID();
  base.LoginID();
  EXPECT_EQ(fake_.CountOf("NWDSWhoAmI"), whoAmIBefore);

  std::vector<uint32_t> notifications;
  int userChanges = 0;
  base.AddNotificationListener([&](uint32_t n) { notifications.push_back(n); });
  base.OnUserChange = [&](TNWBase& sender) {
    EXPECT_EQ(&sender, &base);
    ++userChanges;
  };
  base.SetLoginID("jdoe");
  EXPECT_EQ(base.LoginID(), "JDOE");
  base.SetLoginID("");
  EXPECT_EQ(base.LoginID(), "jdoe.staff.org") << "fetched again, not canonicalized";
  EXPECT_EQ(userChanges, 2);
  EXPECT_EQ(notifications,
            (std::vector<uint32_t>{kUserChangeNotification, kUserChangeNotification}));
}

TEST_F(TNWBaseWithClient, WithoutTheDirectoryTheConnectionNamesTheUser) {
  struct Row {
    const char* name;
    void (*arrange)(FakeNetWareClient&);
  };
  const Row rows[] = {
      {"no directory libraries", [](FakeNetWareClient& f) { f.RemoveLibrary("NETWIN32.DLL"); }},
      {"Unicode tables fail", [](FakeNetWareClient& f) { f.Answer("NWInitUnicodeTables", -1); }},
      {"no directory server", [](FakeNetWareClient& f) { f.directoryServer = false; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeNetWareClient fake;
    row.arrange(fake);
    TNWBase base;
    EXPECT_TRUE(base.NetAvailable());
    EXPECT_FALSE(base.NDSAvailable());
    EXPECT_EQ(base.LoginID(), "JDOE");
    EXPECT_EQ(fake.CountOf("NWDSWhoAmI"), 0);
  }
}

TEST_F(TNWBaseWithClient, ContextNameRootInAnyCaseResetsTheContext) {
  TNWBase base;
  for (const char* root : {"[root]", "[ROOT]", "[Root]", ""}) {
    SCOPED_TRACE(root);
    base.SetNDSContextName("OU=staff");
    EXPECT_EQ(base.NDSContextName(), "OU=STAFF");
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
      {"translate off", &TNWDSContextFlags::SetTranslateStrings, false, 0x94, 0x94},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    (flags.*row.set)(row.value);
    EXPECT_EQ(fake_.contexts.at(GlobalContext()).flags, row.global);
    EXPECT_EQ(fake_.contexts.at(RootContext()).flags, row.root);
  }
  EXPECT_TRUE(flags.TypelessNames());
  EXPECT_FALSE(flags.DereferenceAliases());
  EXPECT_TRUE(flags.DisallowReferrals());
}

TEST_F(TNWBaseWithClient, ServerNameErrorsFollowSilentExceptions) {
  fake_.serverConnections["FS2"] = 12;
  TNWBase base;
  int serverChanges = 0;
  base.OnServerChange = [&](TNWBase&) { ++serverChanges; };
  EXPECT_EQ(base.ServerName(), "FS1");

  base.SetServerName("fs2");
  EXPECT_EQ(base.ServerName(), "FS2");
  EXPECT_EQ(base.ServerHandle(), 12u);

  base.SetServerName("nowhere");
  EXPECT_EQ(base.ServerName(), "FS2");
  EXPECT_EQ(base.ServerHandle(), 12u);
  EXPECT_EQ(serverChanges, 2) << "called even after a silent error";

  base.SetSilentExceptions(false);
  try {
    base.SetServerName("nowhere");
    ADD_FAILURE() << "no error raised";
  } catch (const TNWObjError& error) {
    EXPECT_STREQ(error.what(), "Invalid Server Handle");
  }
  EXPECT_EQ(serverChanges, 2) << "not called after a raised error";

  base.SetServerName("");
  EXPECT_EQ(base.ServerHandle(), 7u);
  EXPECT_EQ(base.ServerName(), "FS1");
}

TEST_F(TNWBaseWithClient, ObjectTypeOfAnUnknownNameIsUser) {
  TNWBase base;
  fake_.directoryIds.clear();
  SetNDSMode(false);
  EXPECT_EQ(base.NWObjectType(), 256u);
  EXPECT_EQ(base.ObjectType(), TNWObjType::nwObjTypeUser);
  base.SetLoginID("ghost");
  EXPECT_EQ(base.NWObjectType(), 0u);
  EXPECT_EQ(base.ObjectType(), TNWObjType::nwObjTypeUser);
  base.SetSilentExceptions(false);
  EXPECT_THROW(base.ObjectType(), TNWObjError);
}

// Every server-level property works on ServerHandle, not on the primary connection.
TEST_F(TNWBaseWithClient, PropertiesWorkOnTheServerHandle) {
  fake_.serverConnections["FS2"] = 12;
  TNWBase base;
  base.SetServerName("FS2");
  fake_.calls.clear();
  EXPECT_EQ(base.ConnectionID(), 3u);
  EXPECT_TRUE(base.Manager());
  EXPECT_EQ(base.ServerVersion(), "4.11");
  EXPECT_EQ(base.ServerDate().year, 2026);
  base.SetBroadcastMode(TNWBroadcastMode::nwBroadcastOff);
  base.SetServerDate(LocalDateTime{2001, 1, 2, 9, 5, 7});
  for (const char* call :
       {"NWCCGetConnInfo(12,5,4)", "NWIsManager(12)", "NWGetFileServerInformation(12)",
        "NWGetFileServerDateAndTime(12)", "NWSetBroadcastMode(12,2)",
        "NWSetFileServerDateAndTime(12,101,1,2,9,5,7)"}) {
    EXPECT_TRUE(fake_.Called(call)) << call;
  }
  base.SetShellErrorMode(TNWShellErrorMode::nwErrDOS);
  EXPECT_TRUE(fake_.Called("NWSetNetWareErrorMode(2)"));
  EXPECT_EQ(base.NDSPreferredTree(), "ORG_TREE");
  EXPECT_TRUE(fake_.Called("NWIsDSServer(9)")) << "the preferred directory server's tree";
}

TEST_F(TNWBaseWithClient, ObjectIdComesFromTheDirectoryWhileItIsThere) {
  fake_.directoryIds["CN=JDOE.OU=STAFF.O=ORG"] = 0x2A000000;
  TNWBase base;
  EXPECT_EQ(base.ObjectID(), "2A");
  fake_.directoryServer = false;
  SetNDSMode(false);
  EXPECT_EQ(base.ObjectID(), "1") << "the bindery ID, byte-swapped";
}

TEST_F(TNWBaseWithClient, DefaultServerIsNotSetTwiceToTheSameName) {
  fake_.serverConnections["FS2"] = 12;
  TNWBase base;
  base.SetDefaultServer("FS2");
  base.SetDefaultServer("FS2");
  EXPECT_EQ(fake_.CountOf("NWCCSetPrefServerName"), 1);
  fake_.Answer("NWCCSetPrefServerName", -1);
  base.SetDefaultServer("FS3");
  fake_.Answer("NWCCSetPrefServerName", 0);
  base.SetDefaultServer("FS3");
  EXPECT_EQ(fake_.CountOf("NWCCSetPrefServerName"), 3) << "a refused name is tried again";
}

TEST_F(TNWBaseWithClient, AnUnknownUserGetsNoLoginName) {
  fake_.Answer("NWDSWhoAmI", -1);
  TNWBase base;
  EXPECT_EQ(base.LoginID(), "");
  EXPECT_EQ(fake_.CountOf("NWDSCanonicalizeName"), 0);
}

TEST_F(TNWBaseWithClient, DestructionReleasesTablesAndContexts) {
  {
    TNWBase base;
    EXPECT_EQ(fake_.contexts.size(), 2u);
  }
  EXPECT_EQ(fake_.CountOf("NWFreeUnicodeTables"), 1);
  EXPECT_TRUE(fake_.contexts.empty());

  fake_.directoryServer = false;
  { TNWBase base; }
  EXPECT_EQ(fake_.CountOf("NWFreeUnicodeTables"), 1) << "only while the directory is there";
}

}  // namespace
}  // namespace welcomer
