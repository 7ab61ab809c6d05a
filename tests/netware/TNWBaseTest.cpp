#include <gtest/gtest.h>

#include <string>

#include "nds/Nwnds.h"
#include "netware/nwbase.h"
#include "netware/nwlib.h"
#include "tests/support/FakeClientLibraries.h"

namespace welcomer {
namespace {

using testing::FakeClientLibraries;

class TNWBaseWithClient : public ::testing::Test {
 protected:
  TNWBaseWithClient() { fake_.canonicalNames["jdoe.staff.org"] = "CN=jdoe.OU=staff.O=org"; }

  FakeClientLibraries fake_;
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

TEST_F(TNWBaseWithClient, WithoutTheDirectoryTheConnectionNamesTheUser) {
  struct Row {
    const char* name;
    void (*arrange)(FakeClientLibraries&);
  };
  const Row rows[] = {
      {"no directory library", [](FakeClientLibraries& f) { f.libraries.erase("NETWIN32.DLL"); }},
      {"Unicode tables fail", [](FakeClientLibraries& f) { f.Answer("NWInitUnicodeTables", -1); }},
      {"no directory server", [](FakeClientLibraries& f) { f.directoryServer = false; }},
      {"unknown user", [](FakeClientLibraries& f) { f.Answer("NWDSWhoAmI", -1); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeClientLibraries fake;
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

// An unknown server is an error that is raised only when asked for; a known one takes the
// server-level properties with it.
TEST_F(TNWBaseWithClient, ChosenServerTakesThePropertiesAndErrorsFollowSilentExceptions) {
  fake_.serverConnections["FS2"] = 12;
  TNWBase base;
  base.SetServerName("fs2");
  base.Manager();
  EXPECT_TRUE(fake_.Called("NWIsManager(12)"));
  base.SetServerName("nowhere");
  EXPECT_EQ(base.ServerHandle(), 12u);
  base.SetSilentExceptions(false);
  EXPECT_THROW(base.SetServerName("nowhere"), TNWObjError);
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
