// The directory's behaviour through the C interface: values as the program reads, adds and
// removes them.

#include <iterator>

#include "tests/client/ClientFixture.h"

namespace welcomer::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using DirectoryValuesTest = ClientTest;

TEST_F(DirectoryValuesTest, ChangesMatchValuesIgnoringCaseAndKeepTheOrder) {
  // Each row works on an attribute of its own: the values there before, one change, its code,
  // and the values after it, in order. A change that fails on a later value leaves nothing of
  // the values before it done; a value in another attribute is no duplicate.
  const struct {
    std::vector<std::string> before;
    uint32_t change;
    std::vector<std::string> values;
    int32_t expected;
    std::vector<std::string> after;
  } rows[] = {
      {{"B=2", "A=1", "C=3"}, kRemoveValue, {"A=1"}, 0, {"B=2", "C=3"}},
      {{"b", "a"}, kAddValue, {"B=2"}, 0, {"b", "a", "B=2"}},
      {{"W.X=1"}, kAddValue, {"new", "w.X=1"}, kNWErrDuplicateValue, {"W.X=1"}},
      {{"Welcomer.File.X=1"}, kRemoveValue, {"welcomer.file.x=1"}, 0, {}},
      {{"W.A=12", "b"}, kRemoveValue, {"b", "W.A=1"}, kNWErrNoSuchValue, {"W.A=12", "b"}},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const std::string attribute = "Test " + std::to_string(i);
    SCOPED_TRACE(attribute);
    ASSERT_EQ(AddTexts(ctx(), user, attribute, rows[i].before), 0);
    // Attribute names ignore case too.
    EXPECT_EQ(ChangeValues(ctx(), user, "TEST " + std::to_string(i), rows[i].change, kCiString,
                           rows[i].values),
              rows[i].expected);
    const ReadOutcome read = ReadValues(ctx(), user, attribute);
    EXPECT_EQ(read.result, rows[i].after.empty() ? kNWErrNoSuchAttribute : 0) << "none left";
    EXPECT_THAT(read.values, ElementsAreArray(rows[i].after));
  }
}

TEST_F(DirectoryValuesTest, MissingAttributesAndObjectsHaveTheirOwnCodes) {
  EXPECT_EQ(ReadValues(ctx(), user, "L").result, kNWErrNoSuchAttribute);
  const std::string stranger = "CN=nobody-here.O=LOCAL";
  EXPECT_EQ(ReadValues(ctx(), stranger, "L").result, kNWErrNoSuchEntry);
  EXPECT_EQ(AddText(ctx(), stranger, "L", "a"), kNWErrNoSuchEntry);
}

TEST_F(DirectoryValuesTest, ManyValuesSpreadOverSeveralResultBuffersInOrder) {
  std::vector<std::string> added;
  for (int i = 0; i < 300; ++i)
    added.push_back("Welcomer.File./HOME/SOMEONE/MOTD/PAGE" + std::to_string(i) +
                    ".TXT=1234 644826048");
  ASSERT_EQ(AddTexts(ctx(), user, "L", added), 0);
  for (uint32_t size : {256u, 4096u, 65536u}) {
    const std::vector<std::string> before = added;
    // A change between two buffers of one read shows only in the next read.
    const ReadOutcome read = ReadValues(ctx(), user, "L", size, [&] {
      EXPECT_EQ(RemoveText(ctx(), user, "L", added.back()), 0);
      added.pop_back();
    });
    EXPECT_EQ(read.result, 0) << size;
    EXPECT_THAT(read.values, ElementsAreArray(before)) << size;
    EXPECT_EQ(read.buffers == 1, size == 65536u) << size;
  }
  EXPECT_THAT(ReadValues(ctx(), user, "L").values, ElementsAreArray(added));
}

TEST_F(DirectoryValuesTest, TheLongestValuesArriveWholeWithinTheReportedSize) {
  const std::string longest(2047, 'x');
  ASSERT_EQ(AddText(ctx(), user, "L", longest), 0);
  EXPECT_EQ(AddText(ctx(), user, "L", longest + "y"), kNWErrSyntaxViolation);
  const ReadOutcome read = ReadValues(ctx(), user, "L");
  EXPECT_EQ(read.result, 0);
  EXPECT_TRUE(read.exact);
  EXPECT_THAT(read.values, ElementsAre(longest));
  // A buffer that cannot hold one value says so instead of handing out nothing for ever.
  EXPECT_EQ(ReadValues(ctx(), user, "L", 2048).result, kNWErrInsufficientBuffer);
}

}  // namespace
}  // namespace welcomer::testing
