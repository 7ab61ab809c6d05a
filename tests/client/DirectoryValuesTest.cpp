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
  // and the values after it, in order.
  const struct {
    std::vector<std::string> before;
    bool add;  // else remove
    std::string value;
    int32_t expected;
    std::vector<std::string> after;
  } rows[] = {
      {{"B=2", "A=1", "C=3"}, false, "A=1", 0, {"B=2", "C=3"}},
      {{"b", "a"}, true, "c", 0, {"b", "a", "c"}},
      {{"a", "Welcomer.X"}, true, "Welcomer.X", kNWErrDuplicateValue, {"a", "Welcomer.X"}},
      {{"Welcomer.X=1"}, true, "WELCOMER.x=1", kNWErrDuplicateValue, {"Welcomer.X=1"}},
      {{"Welcomer.File.X=1"}, false, "welcomer.file.x=1", 0, {}},
      {{"a"}, false, "b", kNWErrNoSuchValue, {"a"}},
      {{"Welcomer.A=12"}, false, "Welcomer.A=1", kNWErrNoSuchValue, {"Welcomer.A=12"}},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const std::string attribute = "Test " + std::to_string(i);
    SCOPED_TRACE(attribute);
    ASSERT_EQ(AddTexts(ctx(), user, attribute, rows[i].before), 0);
    EXPECT_EQ(rows[i].add ? AddText(ctx(), user, attribute, rows[i].value)
                          : RemoveText(ctx(), user, attribute, rows[i].value),
              rows[i].expected);
    EXPECT_THAT(ReadValues(ctx(), user, attribute).values, ElementsAreArray(rows[i].after));
  }
}

TEST_F(DirectoryValuesTest, MissingAttributesAndObjectsHaveTheirOwnCodes) {
  EXPECT_EQ(ReadValues(ctx(), user, "L").result, kNWErrNoSuchAttribute);
  const std::string stranger = "CN=nobody-here.O=LOCAL";
  EXPECT_EQ(ReadValues(ctx(), stranger, "L").result, kNWErrNoSuchEntry);
  EXPECT_EQ(AddText(ctx(), stranger, "L", "a"), kNWErrNoSuchEntry);

  ASSERT_EQ(AddText(ctx(), user, "Description", "mine"), 0);
  ASSERT_EQ(AddText(ctx(), user, "L", "mine"), 0) << "the same text in another attribute";
  ASSERT_EQ(RemoveText(ctx(), user, "l", "MINE"), 0) << "attribute names ignore case too";
  EXPECT_THAT(ReadValues(ctx(), user, "Description").values, ElementsAre("mine"));
  EXPECT_EQ(ReadValues(ctx(), user, "L").result, kNWErrNoSuchAttribute) << "its last value gone";
}

TEST_F(DirectoryValuesTest, ManyValuesSpreadOverSeveralResultBuffersInOrder) {
  std::vector<std::string> added;
  for (int i = 0; i < 300; ++i)
    added.push_back("Welcomer.File./HOME/SOMEONE/MOTD/PAGE" + std::to_string(i) +
                    ".TXT=1234 644826048");
  ASSERT_EQ(AddTexts(ctx(), user, "L", added), 0);
  for (uint32_t size : {256u, 4096u, 65536u}) {
    const ReadOutcome read = ReadValues(ctx(), user, "L", size);
    EXPECT_EQ(read.result, 0) << size;
    EXPECT_THAT(read.values, ElementsAreArray(added)) << size;
    EXPECT_EQ(read.buffers == 1, size == 65536u) << size;
  }
}

TEST_F(DirectoryValuesTest, AReadThatGoesOnSeesTheValuesOfItsStart) {
  std::vector<std::string> values;
  for (int i = 0; i < 200; ++i)
    values.push_back("value-" + std::to_string(i));
  ASSERT_EQ(AddTexts(ctx(), user, "L", values), 0);
  // A change between two buffers of one read shows only in the next read.
  const ReadOutcome read = ReadValues(
      ctx(), user, "L", 512, [&] { EXPECT_EQ(RemoveText(ctx(), user, "L", "value-199"), 0); });
  EXPECT_GT(read.buffers, 2);
  EXPECT_THAT(read.values, ElementsAreArray(values));
  EXPECT_EQ(ReadValues(ctx(), user, "L").values.size(), 199u);
}

TEST_F(DirectoryValuesTest, TheLongestValuesArriveWholeWithinTheReportedSize) {
  const std::string longest(2047, 'x');
  const std::string programsLongest = "Welcomer.File." + std::string(240, 'P');
  ASSERT_EQ(AddText(ctx(), user, "L", programsLongest), 0);
  ASSERT_EQ(AddText(ctx(), user, "L", longest), 0);
  EXPECT_EQ(AddText(ctx(), user, "L", longest + "y"), kNWErrSyntaxViolation);
  const ReadOutcome read = ReadValues(ctx(), user, "L");
  EXPECT_EQ(read.result, 0);
  EXPECT_EQ(read.buffers, 1);
  EXPECT_TRUE(read.exact);
  EXPECT_THAT(read.values, ElementsAre(programsLongest, longest));
  // A buffer that cannot hold one value says so instead of handing out nothing for ever.
  EXPECT_EQ(ReadValues(ctx(), user, "L", 2048).result, kNWErrInsufficientBuffer);
}

TEST_F(DirectoryValuesTest, AModifyIsAppliedWholeOrNotAtAll) {
  ASSERT_EQ(AddText(ctx(), user, "L", "present"), 0);
  NWDSBuf* changes = nullptr;
  ASSERT_EQ(NWDSAllocBuf(4096, &changes), 0);
  ASSERT_EQ(NWDSInitBuf(ctx(), 9, changes), 0);
  ASSERT_EQ(NWDSPutChange(ctx(), changes, kAddValue, "L"), 0);
  ASSERT_EQ(NWDSPutAttrVal(ctx(), changes, kCiString, "new"), 0);
  ASSERT_EQ(NWDSPutChange(ctx(), changes, kRemoveValue, "L"), 0);
  ASSERT_EQ(NWDSPutAttrVal(ctx(), changes, kCiString, "absent"), 0);
  EXPECT_EQ(NWDSModifyObject(ctx(), user.c_str(), nullptr, 0, changes), kNWErrNoSuchValue);
  EXPECT_THAT(ReadValues(ctx(), user, "L").values, ElementsAre("present"));
  NWDSFreeBuf(changes);
}

}  // namespace
}  // namespace welcomer::testing
