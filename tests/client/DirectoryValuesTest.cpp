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
    ASSERT_EQ(ChangeValues(ctx(), user, attribute, rows[i].before), 0);
    // Attribute names ignore case too.
    EXPECT_EQ(
        ChangeValues(ctx(), user, "TEST " + std::to_string(i), rows[i].values, rows[i].change),
        rows[i].expected);
    const ReadOutcome read = ReadValues(ctx(), user, attribute);
    EXPECT_EQ(read.result, rows[i].after.empty() ? kNWErrNoSuchAttribute : 0) << "none left";
    EXPECT_THAT(read.values, ElementsAreArray(rows[i].after));
  }
  const std::string stranger = "CN=nobody-here.O=LOCAL";
  EXPECT_EQ(ReadValues(ctx(), stranger, "L").result, kNWErrNoSuchEntry);
  EXPECT_EQ(AddText(ctx(), stranger, "L", "a"), kNWErrNoSuchEntry);
}

TEST_F(DirectoryValuesTest, ManyValuesSpreadOverSeveralResultBuffersInOrder) {
  std::vector<std::string> added;
  for (int i = 0; i < 300; ++i)
    added.push_back("Welcomer.File./HOME/SOMEONE/MOTD/PAGE" + std::to_string(i) +
                    ".TXT=1234 644826048");
  ASSERT_EQ(ChangeValues(ctx(), user, "L", added), 0);
  // A change between two buffers of one read shows only in the next read.
  const ReadOutcome read = ReadValues(
      ctx(), user, "L", 4096, [&] { EXPECT_EQ(RemoveText(ctx(), user, "L", added.back()), 0); });
  EXPECT_EQ(read.result, 0);
  EXPECT_GT(read.buffers, 1);
  EXPECT_THAT(read.values, ElementsAreArray(added));
  added.pop_back();
  EXPECT_THAT(ReadValues(ctx(), user, "L").values, ElementsAreArray(added));
}

// A value written past the size the client reports shows under AddressSanitizer.
TEST_F(DirectoryValuesTest, ValuesArriveWholeWithinTheReportedSize) {
  const std::string longest(2047, 'x');
  ASSERT_EQ(AddText(ctx(), user, "L", longest), 0);
  EXPECT_EQ(AddText(ctx(), user, "L", longest + "y"), kNWErrSyntaxViolation);
  EXPECT_THAT(ReadValues(ctx(), user, "L").values, ElementsAre(longest));
  // A buffer that cannot hold one value says so instead of handing out nothing for ever.
  EXPECT_EQ(ReadValues(ctx(), user, "L", 2048).result, kNWErrInsufficientBuffer);

  const uint32_t answer = 42;
  const std::string word(reinterpret_cast<const char*>(&answer), 4);
  ASSERT_EQ(ChangeValues(ctx(), user, "Login Grace Limit", {word}, kAddValue, kInteger), 0);
  EXPECT_EQ(AddText(ctx(), user, "Login Grace Limit", "43"), kNWErrSyntaxViolation);
  EXPECT_EQ(ChangeValues(ctx(), user, "L", {"octets"}, kAddValue, 9), kNWErrInvalidAttrSyntax);
  // A stored word longer than a word, as a damaged store may hold it, still comes out as one.
  Sh("sqlite3 $f \"UPDATE attribute_values SET value = x'2a000000ffffffffffff' WHERE attribute "
     "= 'Login Grace Limit'\"");
  EXPECT_THAT(ReadValues(ctx(), user, "Login Grace Limit").values, ElementsAre(word));
}

}  // namespace
}  // namespace welcomer::testing
