#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nds/Nwnds.h"
#include "netware/nwlib.h"
#include "tests/support/FakeClientLibraries.h"

namespace welcomer {
namespace {

using testing::FakeClientLibraries;

constexpr TNWDSAttribute kL = TNWDSAttribute::ndsAttrL;
const std::string kUser = "CN=jdoe.OU=staff.O=org";

class NdsAttributeValues : public ::testing::Test {
 protected:
  std::vector<std::string>& Values(const std::string& attribute = "L") {
    return fake_.objects["CN=JDOE.OU=STAFF.O=ORG"][attribute];
  }
  // Every request frees what it made, whatever way it ends.
  void ExpectNothingLeftOpen() {
    EXPECT_EQ(fake_.openBuffers, 0);
    EXPECT_EQ(fake_.contexts.size(), 2u);
  }

  FakeClientLibraries fake_;
  TNWLib lib_;
  TNWNDS nds_;
};

// Stored and delivered values are one letter each, so that a row reads as two words.
TEST_F(NdsAttributeValues, ReadOutcomes) {
  struct Row {
    const char* name;
    const char* stored;
    uint32_t valuesPerBuffer;
    const char* failing;
    int onCall;
    int32_t code;
    bool earlierEntry;
    bool result;
    const char* delivered;
    int32_t lastError;  // 0: left as it was
    int reads;
  };
  const Row rows[] = {
      {"the first read fails", "", 0, nullptr, 0, 0, false, false, "", -603, 1},
      {"earlier entries count", "", 0, nullptr, 0, 0, true, true, "", -603, 1},
      {"values across several buffers", "abcde", 2, nullptr, 0, 0, false, true, "abcde", 0, 3},
      {"a later read fails", "abc", 2, "NWDSRead", 2, -635, false, true, "ab", -635, 2},
      {"value 1 fails: recorded", "ab", 0, "NWDSGetAttrVal", 1, -699, false, false, "", -699, 1},
      {"value 2 fails: not recorded", "abc", 0, "NWDSGetAttrVal", 2, -698, false, false, "a", 0, 1},
      {"unsizable value ends its buffer", "abc", 2, "NWDSComputeAttrValSize", 1, -1, false, true,
       "c", 0, 2},
      {"attribute name fails", "a", 0, "NWDSGetAttrName", 1, -2, false, false, "", -2, 1},
      {"request name fails", "a", 0, "NWDSPutAttrName", 1, -3, false, false, "", -3, 0},
      {"no result buffer", "a", 0, "NWDSAllocBuf", 2, -5, false, false, "", 0, 0},
      {"no working context", "a", 0, "NWDSDuplicateContext", 1, -6, false, false, "", 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Values().clear();
    for (const char* c = row.stored; *c != '\0'; ++c)
      Values().emplace_back(1, *c);
    fake_.valuesPerBuffer = row.valuesPerBuffer;
    fake_.answers.clear();
    fake_.calls.clear();
    if (row.failing != nullptr)
      fake_.Answer(row.failing, row.code, row.onCall);
    AttributeValueList values;
    if (row.earlierEntry)
      values.emplace_back(3);
    const int32_t errorBefore = NDSLastError();
    EXPECT_EQ(ReadAttributeValues("", kUser, kL, values), row.result);
    std::string delivered;
    for (size_t i = row.earlierEntry ? 1 : 0; i < values.size(); ++i)
      delivered += values[i].Text();
    EXPECT_EQ(delivered, row.delivered);
    EXPECT_EQ(NDSLastError(), row.lastError == 0 ? errorBefore : row.lastError);
    EXPECT_EQ(fake_.CountOf("NWDSRead"), row.reads);
    ExpectNothingLeftOpen();
  }
}

TEST(NdsEndlessIteration, AReadThatNeverEndsStillEnds) {
  FakeClientLibraries fake;
  fake.objects["CN=JDOE.OU=STAFF.O=ORG"]["L"] = {"Welcomer.RunOnce=x"};
  fake.endlessIteration = true;
  TNWLib lib;
  TNWNDS nds;
  AttributeValueList values;
  EXPECT_TRUE(ReadAttributeValues("", kUser, kL, values));
  EXPECT_EQ(values.size(), 1u);
  EXPECT_EQ(fake.CountOf("NWDSRead"), 1000);
  EXPECT_EQ(fake.openBuffers, 0);
}

// Values longer than the smallest block arrive whole (ASan catches a block too short for one).
TEST_F(NdsAttributeValues, LongValuesArriveWhole) {
  for (const size_t length : {0, 254, 255, 256, 4000}) {
    SCOPED_TRACE(length);
    const std::string value(length, 'v');
    Values() = {value, "short"};
    AttributeValueList values;
    ASSERT_TRUE(ReadAttributeValues("", kUser, kL, values));
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].Text(), value);
    EXPECT_EQ(values[1].Text(), "short");
  }
  fake_.extraReportedSize = 0x7FFFFFF0;
  AttributeValueList values;
  EXPECT_FALSE(ReadAttributeValues("", kUser, kL, values)) << "an absurd size is not allocated";
  EXPECT_TRUE(values.empty());
  ExpectNothingLeftOpen();
}

// A value longer than the text routine's smallest block arrives whole, too.
TEST_F(NdsAttributeValues, ReadAttributeTextTakesTheFirstValueOfTheLastBuffer) {
  Values("FULL NAME") = {std::string(200, 'F'), "second"};
  std::string text = "unchanged";
  EXPECT_FALSE(ReadAttributeText("", kUser, TNWDSAttribute::ndsAttrTitle, text));
  EXPECT_EQ(text, "unchanged");
  ASSERT_TRUE(ReadAttributeText("", kUser, TNWDSAttribute::ndsAttrFullName, text));
  EXPECT_EQ(text, std::string(200, 'F'));
  EXPECT_TRUE(fake_.Called("NWDSComputeAttrValSize(3)")) << "in the syntax the client reported";
  fake_.valuesPerBuffer = 1;
  ASSERT_TRUE(ReadAttributeText("", kUser, TNWDSAttribute::ndsAttrFullName, text));
  EXPECT_EQ(text, "second");
  ExpectNothingLeftOpen();
}

TEST_F(NdsAttributeValues, OverlongNamesAreRefusedBeforeAnyCall) {
  const std::string longName(256, 'n');
  fake_.calls.clear();
  AttributeValueList values;
  std::string text;
  EXPECT_FALSE(ReadAttributeValues("", longName, kL, values));
  EXPECT_FALSE(AddAttributeValue("", longName, kL, "v"));
  EXPECT_FALSE(ReadAttributeText("", longName, kL, text));
  EXPECT_EQ(fake_.CountOf("NWDSRead") + fake_.CountOf("NWDSModifyObject"), 0);
  ExpectNothingLeftOpen();
}

TEST_F(NdsAttributeValues, ChangesReachTheDirectory) {
  Values() = {"old"};
  EXPECT_TRUE(AddAttributeValue("", kUser, kL, "new"));
  EXPECT_TRUE(fake_.Called("NWDSPutChange(2,L)"));
  EXPECT_TRUE(fake_.Called("NWDSPutAttrVal(3,new)"));
  EXPECT_EQ(Values(), (std::vector<std::string>{"old", "new"}));
  EXPECT_TRUE(RemoveAttributeValue("", kUser, kL, "old"));
  EXPECT_TRUE(fake_.Called("NWDSPutChange(3,L)"));
  EXPECT_EQ(Values(), std::vector<std::string>{"new"});

  EXPECT_FALSE(AddAttributeValue("", kUser, kL, "NEW")) << "already there (case ignored)";
  EXPECT_EQ(NDSLastError(), -614);
  EXPECT_FALSE(RemoveAttributeValue("", kUser, kL, "missing"));
  EXPECT_EQ(NDSLastError(), -602);
  EXPECT_EQ(Values(), std::vector<std::string>{"new"});
  ExpectNothingLeftOpen();
}

TEST_F(NdsAttributeValues, ChangeFailures) {
  struct Row {
    const char* function;
    int32_t lastError;  // 0: left as it was
    const char* notCalled;
  };
  const Row rows[] = {{"NWDSPutChange", -10, "NWDSPutAttrVal"},
                      {"NWDSModifyObject", -12, nullptr},
                      {"NWDSInitBuf", 0, "NWDSPutChange"},
                      {"NWDSDuplicateContext", 0, "NWDSInitBuf"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.function);
    Values() = {};
    fake_.answers.clear();
    fake_.Answer(row.function, row.lastError == 0 ? -1 : row.lastError);
    fake_.calls.clear();
    const int32_t errorBefore = NDSLastError();
    EXPECT_FALSE(AddAttributeValue("", kUser, kL, "new"));
    EXPECT_TRUE(Values().empty());
    EXPECT_EQ(NDSLastError(), row.lastError == 0 ? errorBefore : row.lastError);
    if (row.notCalled != nullptr) {
      EXPECT_EQ(fake_.CountOf(row.notCalled), 0);
    }
    fake_.answers.clear();
    ExpectNothingLeftOpen();
  }
}

}  // namespace
}  // namespace welcomer
