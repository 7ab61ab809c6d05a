#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/DirectoryClient.h"
#include "app/Init_Unit.h"
#include "netware/AsciiText.h"
#include "tests/support/FakeNetWareClient.h"
#include "tests/support/FakeServices.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

using testing::FakeNetWareClient;

const std::string kUser = "CN=jdoe.OU=staff.O=org";

TEST(NetWareClientFactory, WithoutTheClientOnlyEarlierEntriesCount) {
  FakeNetWareClient fake;
  fake.libraries.clear();
  std::unique_ptr<DirectoryClient> client = CreateNetWareClient();
  EXPECT_EQ(client->LoginID(), "");
  std::vector<std::string> values;
  EXPECT_FALSE(client->ReadAttributeValues("", "", TNWDSAttribute::ndsAttrL, values));
  values.push_back("earlier");
  EXPECT_TRUE(client->ReadAttributeValues("", "", TNWDSAttribute::ndsAttrL, values));
}

// A login from start to the window: the user's entries are read through the bound client, one
// result buffer at a time, the run-once record is stored and a stale file record removed.
TEST(NetWareClientFactory, StartUpKeepsTheUsersStateInTheDirectory) {
  testing::RecordingMessageBoxes boxes;
  testing::TempDir motd;
  motd.WriteFile("a.txt", "news");
  FakeNetWareClient fake;
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
