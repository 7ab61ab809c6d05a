#include "app/StateStore.h"

#include <gtest/gtest.h>

#include "tests/support/FakeServices.h"

namespace welcomer {
namespace {

using testing::FakeNetWareClient;

// A cut entry would be another entry: one too long is never sent.
TEST(AddRemoveStateEntryTest, LongEntriesAreNeverSent) {
  FakeNetWareClient directory;
  const std::string fits = "Welcomer.File." + std::string(kMaxEntryLength - 14, 'A');
  EXPECT_FALSE(AddStateEntry(&directory, fits + "B"));
  EXPECT_TRUE(AddStateEntry(&directory, fits));
  EXPECT_EQ(directory.values, std::vector<std::string>{fits});
  EXPECT_FALSE(RemoveStateEntry(&directory, fits + "B"));
  EXPECT_TRUE(RemoveStateEntry(&directory, fits));
  EXPECT_TRUE(directory.values.empty());
  EXPECT_FALSE(AddStateEntry(nullptr, "Welcomer.RunOnce=x"));
}

}  // namespace
}  // namespace welcomer
