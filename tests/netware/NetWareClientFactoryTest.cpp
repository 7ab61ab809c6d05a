#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Init_Unit.h"
#include "app/NetWareClient.h"
#include "app/StateStore.h"
#include "nds/Nwnds.h"
#include "netware/NWServer.h"
#include "netware/nwlib.h"
#include "platform/AsciiText.h"
#include "platform/ClientLibrary.h"
#include "tests/support/FakeClientLibraries.h"
#include "tests/support/FakeServices.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

using testing::FakeClientLibraries;

const std::string kUser = "CN=jdoe.OU=staff.O=org";

TEST(NetWareClientFactory, WithoutTheClientOnlyEarlierEntriesCount) {
  FakeClientLibraries fake;
  fake.libraries.clear();
  std::unique_ptr<NetWareClient> client = CreateNetWareClient();
  EXPECT_EQ(client->LoginID(), "");
  std::vector<std::string> values;
  EXPECT_FALSE(client->ReadAttributeValues("", "", TNWDSAttribute::ndsAttrL, values));
  values.push_back("earlier");
  EXPECT_TRUE(client->ReadAttributeValues("", "", TNWDSAttribute::ndsAttrL, values));
}

// A read that reports failure leaves no state, even with values already delivered; a read whose
// continuation fails reports success with what it has.
TEST(NetWareClientFactory, AFailedReadLeavesNoPartialState) {
  struct Row {
    const char* name;
    uint32_t valuesPerBuffer;
    std::string failing;
    size_t kept;
  };
  const Row rows[] = {
      {"nothing fails", 1, "", 2},
      {"second value", 0, "NWDSGetAttrVal", 0},
      {"second buffer", 1, "NWDSGetAttrCount", 0},
      {"second buffer's value", 1, "NWDSGetAttrVal", 0},
      {"second read", 1, "NWDSRead", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeClientLibraries fake;
    fake.canonicalNames["jdoe.staff.org"] = kUser;
    fake.objects["CN=JDOE.OU=STAFF.O=ORG"]["L"] = {"Welcomer.RunOnce=x", "Welcomer.File.A=1 2"};
    fake.valuesPerBuffer = row.valuesPerBuffer;
    if (!row.failing.empty())
      fake.Answer(row.failing, -601, 2);
    std::unique_ptr<NetWareClient> client = CreateNetWareClient();
    StringList stored;
    ReadStateEntries(client.get(), stored);
    EXPECT_EQ(stored.Count(), row.kept);
  }
}

TEST(NetWareClientFactory, SaysWhichLibraryDidNotLoadAndWhy) {
  ResetDirectoryUnit();
  ResetCallsUnit();
  ResetServerUnit();
  testing::TempDir empty;
  FolderClientLibraryLoader loader(empty.path());
  ClientLibraryLoader* previous = SetClientLibraryLoader(&loader);
  std::unique_ptr<NetWareClient> client = CreateNetWareClient();
  const std::string why = client->WhyUnusable();
  client.reset();
  SetClientLibraryLoader(previous);
  ResetDirectoryUnit();
  ResetCallsUnit();
  ResetServerUnit();
  EXPECT_TRUE(why.starts_with("the directory client could not be loaded: " + empty.path() + "/lib"))
      << why;
  EXPECT_NE(why.find("No such file or directory"), std::string::npos) << why;
}

// A login from start to the window: the user's entries are read through the bound client, one
// result buffer at a time, the run-once record is stored and a stale file record removed.
TEST(NetWareClientFactory, StartUpKeepsTheUsersStateInTheDirectory) {
  testing::RecordingMessageBoxes boxes;
  testing::TempDir motd;
  motd.WriteFile("a.txt", "news");
  FakeClientLibraries fake;
  fake.canonicalNames["jdoe.staff.org"] = kUser;
  const std::string staleRecord = "Welcomer.File." + UpperCaseAscii(motd.path()) + "/A.TXT=1 1";
  std::vector<std::string>& stored = fake.objects["CN=JDOE.OU=STAFF.O=ORG"]["L"];
  stored = {"Berlin", staleRecord};
  fake.valuesPerBuffer = 1;

  PosixFileSearcher files;
  testing::RecordingLauncher launcher;
  testing::FixedClock clock(LocalDateTime{2026, 12, 6, 9, 30, 0});
  StartUpServices services{files, launcher, clock, DateTimeFormat{}};
  RunState state;
  const StartUpResult result = StartUp({"/ro", "setup.sh", "/@", motd.path()}, state, services);

  EXPECT_TRUE(result.showWindow);
  ASSERT_EQ(state.StoredEntries.Count(), 1u);
  EXPECT_EQ(state.StoredEntries[0], staleRecord);
  EXPECT_EQ(launcher.started, std::vector<std::string>{"setup.sh"});
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0], "Berlin") << "values of others stay";
  EXPECT_TRUE(stored[1].starts_with("Welcomer.RunOnce=")) << stored[1];
  EXPECT_TRUE(boxes.shown.empty());
  state.NetWareClient.reset();
  EXPECT_TRUE(fake.contexts.empty());
}

}  // namespace
}  // namespace welcomer
