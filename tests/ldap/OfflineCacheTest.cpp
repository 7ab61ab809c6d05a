#include "client/OfflineCache.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace welcomer::client {
namespace {

using ::testing::ElementsAre;

TEST(OfflineCacheTest, KeepsEachSourceApartAndReplaysInOrderUntilTheServerFails) {
  testing::TempDir temp;
  const std::string path = temp / "state/welcomer/ldap-cache.sqlite3";
  std::string why;
  auto alice = OpenOfflineCache(path, "ldap://a\nalice", 1000, why);
  ASSERT_NE(alice, nullptr) << why;
  ASSERT_EQ(alice->Remember("uid=alice", {"Berlin", "Welcomer.A"}), 0);
  ASSERT_EQ(alice->Queue(true, "Welcomer.B"), 0);
  ASSERT_EQ(alice->Queue(false, "welcomer.a"), 0);
  ASSERT_EQ(alice->Queue(true, "Welcomer.C"), 0);

  std::string dn;
  std::vector<std::string> values;
  bool known = true;
  auto other = OpenOfflineCache(path, "ldap://b\nalice", 1000, why);
  ASSERT_NE(other, nullptr) << why;
  ASSERT_EQ(other->Recall(dn, values, known), 0);
  EXPECT_FALSE(known) << "another directory's state served";

  // What the server says now, with the changes still queued on top.
  ASSERT_EQ(alice->Remember("uid=alice", {"Berlin", "Welcomer.A", "Welcomer.Z"}), 0);
  ASSERT_EQ(alice->Recall(dn, values, known), 0);
  EXPECT_TRUE(known);
  EXPECT_THAT(values, ElementsAre("Berlin", "Welcomer.Z", "Welcomer.B", "Welcomer.C"));

  // The server goes away after two changes; the next run sends the rest.
  std::vector<std::string> sent;
  const auto send = [&](const PendingChange& change) {
    if (sent.size() == 2)
      return false;
    sent.push_back((change.add ? "+" : "-") + change.value);
    return true;
  };
  ASSERT_EQ(alice->Replay(send), 0);
  EXPECT_THAT(sent, ElementsAre("+Welcomer.B", "-welcomer.a"));
  sent.clear();
  ASSERT_EQ(alice->Replay(send), 0);
  EXPECT_THAT(sent, ElementsAre("+Welcomer.C"));
}

TEST(OfflineCacheTest, LeavesAFileThatIsNotItsOwnAlone) {
  testing::TempDir temp;
  temp.MakeDir("state");
  const std::string path = temp.WriteFile("state/cache", "not a database at all, just text");
  std::string why;
  EXPECT_EQ(OpenOfflineCache(path, "x", 1000, why), nullptr);
  EXPECT_NE(why.find("not an SQLite file"), std::string::npos) << why;
}

}  // namespace
}  // namespace welcomer::client
