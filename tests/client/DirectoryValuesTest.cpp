// The directory's behaviour through the C interface: values of "L" as the program reads, adds
// and removes them.

#include <cstring>

#include "tests/client/ClientFixture.h"

namespace welcomer::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using DirectoryValuesTest = ClientTest;

TEST_F(DirectoryValuesTest, ValuesComeBackInTheOrderTheyWereAdded) {
  for (const char* value : {"Welcomer.B=2", "Welcomer.A=1", "Welcomer.C=3"})
    ASSERT_EQ(AddText(ctx(), user, "L", value), 0);
  ASSERT_EQ(RemoveText(ctx(), user, "L", "Welcomer.A=1"), 0);
  ASSERT_EQ(AddText(ctx(), user, "L", "Welcomer.A=4"), 0);

  ReadOutcome read = ReadTexts(ctx(), user, "L");
  EXPECT_EQ(read.result, 0);
  EXPECT_THAT(read.values, ElementsAre("Welcomer.B=2", "Welcomer.C=3", "Welcomer.A=4"));
}

struct ValueCase {
  const char* name;
  std::vector<std::string> stored;
  bool add;  ///< else remove
  std::string value;
  int32_t expected;
  std::vector<std::string> after;
};

class ValueChangeTest : public ClientTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(ValueChangeTest, ChangesFollowCaseIgnoringMatches) {
  const ValueCase& c = GetParam();
  for (const std::string& value : c.stored)
    ASSERT_EQ(AddText(ctx(), user, "L", value), 0);
  const int32_t result =
      c.add ? AddText(ctx(), user, "L", c.value) : RemoveText(ctx(), user, "L", c.value);
  EXPECT_EQ(result, c.expected);
  EXPECT_THAT(ReadTexts(ctx(), user, "L").values, ElementsAreArray(c.after));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueChangeTest,
    ::testing::Values(
        ValueCase{"AddNew", {"a"}, true, "b", 0, {"a", "b"}},
        ValueCase{"AddSame",
                  {"a", "Welcomer.X"},
                  true,
                  "Welcomer.X",
                  kNWErrDuplicateValue,
                  {"a", "Welcomer.X"}},
        ValueCase{"AddOtherCase",
                  {"Welcomer.X=1"},
                  true,
                  "WELCOMER.x=1",
                  kNWErrDuplicateValue,
                  {"Welcomer.X=1"}},
        ValueCase{"AddEmptyText", {}, true, "", 0, {""}},
        ValueCase{"RemovePresent", {"a", "b", "c"}, false, "b", 0, {"a", "c"}},
        ValueCase{"RemoveOtherCase", {"Welcomer.File.X=1"}, false, "welcomer.file.x=1", 0, {}},
        ValueCase{"RemoveAbsent", {"a"}, false, "b", kNWErrNoSuchValue, {"a"}},
        ValueCase{"RemoveFromNoValues", {}, false, "a", kNWErrNoSuchValue, {}},
        ValueCase{"RemoveIsNoPrefixMatch",
                  {"Welcomer.A=12"},
                  false,
                  "Welcomer.A=1",
                  kNWErrNoSuchValue,
                  {"Welcomer.A=12"}}),
    [](const ::testing::TestParamInfo<ValueCase>& info) { return info.param.name; });

TEST_F(DirectoryValuesTest, MissingAttributesAndObjectsHaveTheirOwnCodes) {
  EXPECT_EQ(ReadTexts(ctx(), user, "L").result, kNWErrNoSuchAttribute);
  ASSERT_EQ(AddText(ctx(), user, "L", "a"), 0);
  ASSERT_EQ(RemoveText(ctx(), user, "L", "a"), 0);
  EXPECT_EQ(ReadTexts(ctx(), user, "L").result, kNWErrNoSuchAttribute);

  const std::string stranger = "CN=nobody-here.O=LOCAL";
  EXPECT_EQ(ReadTexts(ctx(), stranger, "L").result, kNWErrNoSuchEntry);
  EXPECT_EQ(AddText(ctx(), stranger, "L", "a"), kNWErrNoSuchEntry);
  EXPECT_EQ(RemoveText(ctx(), stranger, "L", "a"), kNWErrNoSuchEntry);
}

TEST_F(DirectoryValuesTest, TheUsersObjectStartsWithItsNameAndClass) {
  const std::string account = user.substr(3, user.find(".O=") - 3);
  EXPECT_THAT(ReadTexts(ctx(), user, "CN").values, ElementsAre(account));
  EXPECT_THAT(ReadTexts(ctx(), user, "Object Class").values, ElementsAre("User"));
}

TEST_F(DirectoryValuesTest, OtherAttributesAreKeptApart) {
  ASSERT_EQ(AddText(ctx(), user, "Description", "mine"), 0);
  ASSERT_EQ(AddText(ctx(), user, "L", "mine"), 0) << "the same text in another attribute";
  ASSERT_EQ(RemoveText(ctx(), user, "l", "MINE"), 0) << "attribute names ignore case too";
  EXPECT_THAT(ReadTexts(ctx(), user, "Description").values, ElementsAre("mine"));
  EXPECT_EQ(ReadTexts(ctx(), user, "L").result, kNWErrNoSuchAttribute);
}

TEST_F(DirectoryValuesTest, ManyValuesSpreadOverSeveralResultBuffers) {
  std::vector<std::string> added;
  for (int i = 0; i < 300; ++i)
    added.push_back("Welcomer.File./HOME/SOMEONE/MOTD/PAGE" + std::to_string(i) +
                    ".TXT=1234 644826048");
  ASSERT_EQ(AddTexts(ctx(), user, "L", added), 0);
  for (uint32_t size : {4096u, 256u, 65536u}) {
    ReadOutcome read = ReadTexts(ctx(), user, "L", size);
    EXPECT_EQ(read.result, 0) << size;
    EXPECT_THAT(read.values, ElementsAreArray(added)) << size;
    if (size == 65536u)
      EXPECT_EQ(read.buffers, 1);
    else
      EXPECT_GT(read.buffers, size == 256u ? 50 : 3) << size;
  }
}

TEST_F(DirectoryValuesTest, AReadThatGoesOnSeesTheValuesOfItsStart) {
  std::vector<std::string> values;
  for (int i = 0; i < 200; ++i)
    values.push_back("value-" + std::to_string(i));
  ASSERT_EQ(AddTexts(ctx(), user, "L", values), 0);
  NWDSBuf* request = nullptr;
  NWDSBuf* result = nullptr;
  ASSERT_EQ(NWDSAllocBuf(4096, &request), 0);
  ASSERT_EQ(NWDSAllocBuf(512, &result), 0);
  ASSERT_EQ(NWDSInitBuf(ctx(), 3, request), 0);
  ASSERT_EQ(NWDSPutAttrName(ctx(), request, "L"), 0);
  int32_t iteration = -1;
  ASSERT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, &iteration, result), 0);
  ASSERT_NE(iteration, -1);
  // Another change between two buffers of one read shows only in the next read.
  ASSERT_EQ(RemoveText(ctx(), user, "L", "value-199"), 0);
  int buffers = 1;
  uint32_t lastCount = 0;
  while (iteration != -1) {
    ASSERT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, &iteration, result), 0);
    ++buffers;
    uint32_t count = 0;
    char name[34];
    uint32_t syntax = 0;
    ASSERT_EQ(NWDSGetAttrCount(ctx(), result, &count), 0);
    ASSERT_EQ(count, 1u);
    ASSERT_EQ(NWDSGetAttrName(ctx(), result, name, &lastCount, &syntax), 0);
    EXPECT_STREQ(name, "L");
    if (iteration == -1) {
      char value[32];
      for (uint32_t v = 0; v < lastCount; ++v)
        ASSERT_EQ(NWDSGetAttrVal(ctx(), result, syntax, value), 0);
      EXPECT_STREQ(value, "value-199");
    }
  }
  EXPECT_GT(buffers, 2);
  EXPECT_EQ(ReadTexts(ctx(), user, "L").values.size(), 199u);
  NWDSFreeBuf(result);
  NWDSFreeBuf(request);
}

TEST_F(DirectoryValuesTest, LongValuesArriveWholeWithinTheReportedSize) {
  const std::string longest(kMaxLongValue, 'x');
  const std::string programsLongest = "Welcomer.File." + std::string(240, 'P');  // 254 characters
  ASSERT_EQ(AddText(ctx(), user, "L", programsLongest), 0);
  ASSERT_EQ(AddText(ctx(), user, "L", longest), 0);
  EXPECT_EQ(AddText(ctx(), user, "L", longest + "y"), kNWErrSyntaxViolation);

  NWDSBuf* request = nullptr;
  NWDSBuf* result = nullptr;
  ASSERT_EQ(NWDSAllocBuf(4096, &request), 0);
  ASSERT_EQ(NWDSAllocBuf(4096, &result), 0);
  ASSERT_EQ(NWDSInitBuf(ctx(), 3, request), 0);
  ASSERT_EQ(NWDSPutAttrName(ctx(), request, "L"), 0);
  int32_t iteration = -1;
  ASSERT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, &iteration, result), 0);
  EXPECT_EQ(iteration, -1);
  uint32_t count = 0;
  uint32_t values = 0;
  uint32_t syntax = 0;
  char name[34];
  ASSERT_EQ(NWDSGetAttrCount(ctx(), result, &count), 0);
  ASSERT_EQ(NWDSGetAttrName(ctx(), result, name, &values, &syntax), 0);
  ASSERT_EQ(values, 2u);
  EXPECT_EQ(syntax, kCiString);
  for (const std::string& expected : {programsLongest, longest}) {
    uint32_t size = 0;
    ASSERT_EQ(NWDSComputeAttrValSize(ctx(), result, syntax, &size), 0);
    EXPECT_EQ(size, expected.size() + 1);
    std::string block(size + 16, '#');
    ASSERT_EQ(NWDSGetAttrVal(ctx(), result, syntax, block.data()), 0);
    EXPECT_EQ(block.substr(0, size), expected + '\0');
    EXPECT_EQ(block.substr(size), std::string(16, '#')) << "written past the reported size";
  }
  EXPECT_EQ(NWDSGetAttrVal(ctx(), result, syntax, name), kNWErrBufferEmpty);
  NWDSFreeBuf(result);
  NWDSFreeBuf(request);
}

TEST_F(DirectoryValuesTest, AResultBufferTooSmallForOneValueSaysSo) {
  ASSERT_EQ(AddText(ctx(), user, "L", std::string(200, 'v')), 0);
  EXPECT_EQ(ReadTexts(ctx(), user, "L", 128).result, kNWErrInsufficientBuffer);
  EXPECT_EQ(ReadTexts(ctx(), user, "L", 256).values.size(), 1u);
}

TEST_F(DirectoryValuesTest, WordValuesKeepTheirSyntax) {
  const uint32_t answer = 42;
  ASSERT_EQ(ChangeValue(ctx(), user, "Login Grace Limit", kAddValue, kInteger, &answer), 0);
  EXPECT_EQ(ChangeValue(ctx(), user, "Login Grace Limit", kAddValue, kCiString, "43"),
            kNWErrSyntaxViolation);
  EXPECT_EQ(ChangeValue(ctx(), user, "L", kAddValue, 9, "octets"), kNWErrInvalidAttrSyntax);

  NWDSBuf* request = nullptr;
  NWDSBuf* result = nullptr;
  ASSERT_EQ(NWDSAllocBuf(4096, &request), 0);
  ASSERT_EQ(NWDSAllocBuf(4096, &result), 0);
  ASSERT_EQ(NWDSInitBuf(ctx(), 3, request), 0);
  ASSERT_EQ(NWDSPutAttrName(ctx(), request, "Login Grace Limit"), 0);
  int32_t iteration = -1;
  ASSERT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, &iteration, result), 0);
  uint32_t count = 0;
  uint32_t values = 0;
  uint32_t syntax = 0;
  uint32_t size = 0;
  uint32_t read = 0;
  char name[34];
  ASSERT_EQ(NWDSGetAttrCount(ctx(), result, &count), 0);
  ASSERT_EQ(NWDSGetAttrName(ctx(), result, name, &values, &syntax), 0);
  EXPECT_EQ(syntax, kInteger);
  ASSERT_EQ(NWDSComputeAttrValSize(ctx(), result, syntax, &size), 0);
  EXPECT_EQ(size, 4u);
  ASSERT_EQ(NWDSGetAttrVal(ctx(), result, syntax, &read), 0);
  EXPECT_EQ(read, answer);
  NWDSFreeBuf(result);
  NWDSFreeBuf(request);
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
  EXPECT_THAT(ReadTexts(ctx(), user, "L").values, ElementsAre("present"));
  NWDSFreeBuf(changes);
}

TEST_F(DirectoryValuesTest, AllAttributesAtOnce) {
  ASSERT_EQ(AddText(ctx(), user, "L", "x"), 0);
  NWDSBuf* result = nullptr;
  ASSERT_EQ(NWDSAllocBuf(4096, &result), 0);
  int32_t iteration = -1;
  ASSERT_EQ(NWDSRead(ctx(), user.c_str(), 0, 1, nullptr, &iteration, result), 0);
  uint32_t count = 0;
  ASSERT_EQ(NWDSGetAttrCount(ctx(), result, &count), 0);
  std::vector<std::string> names;
  for (uint32_t i = 0; i < count; ++i) {
    char name[34];
    uint32_t values = 99;
    uint32_t syntax = 0;
    ASSERT_EQ(NWDSGetAttrName(ctx(), result, name, &values, &syntax), 0);
    EXPECT_EQ(values, 0u) << "names only";
    names.push_back(name);
  }
  EXPECT_EQ(names.front(), "CN");
  EXPECT_EQ(names.back(), "L");
  NWDSFreeBuf(result);
}

}  // namespace
}  // namespace welcomer::testing
