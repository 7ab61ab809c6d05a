#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nds/Nwnds.h"
#include "netware/NWClientABI.h"
#include "netware/nwlib.h"
#include "tests/support/FakeNetWareClient.h"

namespace welcomer {
namespace {

using testing::FakeNetWareClient;

constexpr TNWDSAttribute kL = TNWDSAttribute::ndsAttrL;
const std::string kUser = "CN=jdoe.OU=staff.O=org";

std::vector<std::string> Texts(const AttributeValueList& values) {
  std::vector<std::string> texts;
  for (const AttributeValueBlock& block : values)
    texts.push_back(block.Text());
  return texts;
}

class NdsAttributeValues : public ::testing::Test {
 protected:
  NdsAttributeValues() { fake_.objects[UpperCaseKey(kUser)]; }
  static std::string UpperCaseKey(std::string name) {
    for (char& c : name)
      c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return name;
  }
  std::vector<std::string>& Values(const std::string& attribute = "L") {
    return fake_.objects[UpperCaseKey(kUser)][attribute];
  }
  // Every request frees what it made, whatever way it ends.
  void ExpectNothingLeftOpen() {
    EXPECT_EQ(fake_.openBuffers, 0);
    EXPECT_EQ(fake_.contexts.size(), 2u);
  }

  FakeNetWareClient fake_;
  TNWLib lib_;
  TNWNDS nds_;
};

TEST_F(NdsAttributeValues, ReadOutcomes) {
  struct Script {
    const char* function;
    int call;
    int32_t code;
  };
  struct Row {
    const char* name;
    std::vector<std::string> stored;
    uint32_t valuesPerBuffer;
    std::vector<Script> scripts;
    std::vector<std::string> before;
    bool result;
    std::vector<std::string> after;
    int32_t lastError;
    int reads;
  };
  const std::vector<Row> rows = {
      {"no value: the first read fails", {}, 0, {}, {}, false, {}, -603, 1},
      {"earlier entries count", {}, 0, {}, {"kept"}, true, {"kept"}, -603, 1},
      {"one buffer", {"a", "b", "c"}, 0, {}, {}, true, {"a", "b", "c"}, 0, 1},
      {"two buffers, in delivery order", {"a", "b", "c"}, 2, {}, {}, true, {"a", "b", "c"}, 0, 2},
      {"second read fails: first buffer's values stay",
       {"a", "b", "c"},
       2,
       {{"NWDSRead", 2, -635}},
       {},
       true,
       {"a", "b"},
       -635,
       2},
      {"value 2 fails: value 1 stays, nothing recorded",
       {"a", "b", "c"},
       0,
       {{"NWDSGetAttrVal", 2, -699}},
       {},
       false,
       {"a"},
       0,
       1},
      {"value 1 fails: recorded",
       {"a", "b"},
       0,
       {{"NWDSGetAttrVal", 1, -699}},
       {},
       false,
       {},
       -699,
       1},
      {"size unknown: that buffer is skipped, the read goes on",
       {"a", "b", "c"},
       2,
       {{"NWDSComputeAttrValSize", 1, -1}},
       {},
       true,
       {"c"},
       0,
       2},
      {"attribute count fails", {"a"}, 0, {{"NWDSGetAttrCount", 1, -1}}, {}, false, {}, -1, 1},
      {"attribute name fails", {"a"}, 0, {{"NWDSGetAttrName", 1, -2}}, {}, false, {}, -2, 1},
      {"request name fails", {"a"}, 0, {{"NWDSPutAttrName", 1, -3}}, {}, false, {}, -3, 0},
      {"request buffer not initialised", {"a"}, 0, {{"NWDSInitBuf", 1, -4}}, {}, false, {}, 0, 0},
      {"no result buffer", {"a"}, 0, {{"NWDSAllocBuf", 2, -5}}, {}, false, {}, 0, 0},
      {"no working context", {"a"}, 0, {{"NWDSDuplicateContext", 1, -6}}, {}, false, {}, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Values() = row.stored;
    fake_.valuesPerBuffer = row.valuesPerBuffer;
    fake_.answerOnCall.clear();
    fake_.calls.clear();
    for (const Script& script : row.scripts)
      fake_.AnswerOnCall(script.function, script.call, script.code);
    // A code from an earlier row must not leak into this one.
    fake_.Answer("NWFreeUnicodeTables", 0);
    FreeUnicode();
    AttributeValueList values;
    for (const std::string& text : row.before) {
      values.emplace_back(text.size());
      text.copy(static_cast<char*>(values.back().data()), text.size());
    }
    const int32_t errorBefore = NDSLastError();
    EXPECT_EQ(ReadAttributeValues("", kUser, kL, values), row.result);
    EXPECT_EQ(Texts(values), row.before.empty() ? row.after : row.before);
    EXPECT_EQ(NDSLastError(), row.lastError == 0 ? errorBefore : row.lastError);
    EXPECT_EQ(fake_.CountOf("NWDSRead"), row.reads);
    ExpectNothingLeftOpen();
  }
}

decltype(&::NWDSRead) g_fakeRead = nullptr;

// Reads as the fake does, but never ends the iteration.
int32_t EndlessRead(int32_t context, const char* object, uint32_t infoType, int32_t allAttrs,
                    NWDSBuf* names, int32_t* iteration, NWDSBuf* reply) {
  int32_t result = g_fakeRead(context, object, infoType, allAttrs, names, iteration, reply);
  *iteration = 1;
  return result;
}

TEST(NdsEndlessIteration, AReadThatNeverEndsStillEnds) {
  FakeNetWareClient fake;
  fake.objects["CN=JDOE.OU=STAFF.O=ORG"]["L"] = {"Welcomer.RunOnce=x"};
  // Entry points are bound when the layers come up, so the table is changed before that.
  void*& read = fake.libraries["NETWIN32.DLL"]["NWDSRead"];
  g_fakeRead = reinterpret_cast<decltype(&::NWDSRead)>(read);
  read = reinterpret_cast<void*>(&EndlessRead);
  TNWLib lib;
  TNWNDS nds;
  AttributeValueList values;
  EXPECT_TRUE(ReadAttributeValues("", kUser, kL, values));
  EXPECT_EQ(fake.CountOf("NWDSRead"), 1000);
  EXPECT_EQ(fake.openBuffers, 0);
}

TEST_F(NdsAttributeValues, LongValuesArriveWhole) {
  for (const size_t length : {0, 1, 254, 255, 256, 300, 2000, 4000}) {
    SCOPED_TRACE(length);
    const std::string value(length, 'v');
    Values() = {value, "short"};
    AttributeValueList values;
    ASSERT_TRUE(ReadAttributeValues("", kUser, kL, values));
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].Text(), value);
    EXPECT_GE(values[0].size(), std::max<size_t>(255, length + 1));
    EXPECT_EQ(values[1].Text(), "short");
  }
}

TEST_F(NdsAttributeValues, AbsurdSizeIsNotAllocated) {
  Values() = {"a"};
  fake_.extraReportedSize = 0x7FFFFFF0;
  AttributeValueList values;
  EXPECT_FALSE(ReadAttributeValues("", kUser, kL, values));
  EXPECT_TRUE(values.empty());
  ExpectNothingLeftOpen();
}

TEST_F(NdsAttributeValues, ReadAttributeTextTakesTheFirstValueWhole) {
  Values("FULL NAME") = {std::string(200, 'F'), "second"};
  std::string text = "unchanged";
  ASSERT_TRUE(ReadAttributeText("", kUser, TNWDSAttribute::ndsAttrFullName, text));
  EXPECT_EQ(text, std::string(200, 'F'));
  EXPECT_TRUE(fake_.Called("NWDSComputeAttrValSize(3)"));

  text = "unchanged";
  EXPECT_FALSE(ReadAttributeText("", kUser, TNWDSAttribute::ndsAttrTitle, text));
  EXPECT_EQ(text, "unchanged");
  EXPECT_EQ(NDSLastError(), -603);
  ExpectNothingLeftOpen();
}

TEST_F(NdsAttributeValues, ReadAttributeTextOverwritesWithEachLaterBuffer) {
  Values("FULL NAME") = {"first", "second"};
  fake_.valuesPerBuffer = 1;
  std::string text;
  ASSERT_TRUE(ReadAttributeText("", kUser, TNWDSAttribute::ndsAttrFullName, text));
  EXPECT_EQ(text, "second");
}

TEST_F(NdsAttributeValues, OverlongNamesAreRefusedBeforeAnyCall) {
  const std::string longName(256, 'n');
  fake_.calls.clear();
  AttributeValueList values;
  std::string text;
  EXPECT_FALSE(ReadAttributeValues("", longName, kL, values));
  EXPECT_FALSE(AddAttributeValue("", longName, kL, "v"));
  EXPECT_FALSE(RemoveAttributeValue("", longName, kL, "v"));
  EXPECT_FALSE(ReadAttributeText("", longName, kL, text));
  EXPECT_EQ(fake_.CountOf("NWDSAllocBuf"), 0);
  EXPECT_EQ(fake_.CountOf("NWDSRead"), 0);
  ExpectNothingLeftOpen();
}

TEST_F(NdsAttributeValues, ChangesSendTheirChangeTypeSyntaxAndValue) {
  struct Row {
    bool add;
    const char* putChange;
    std::vector<std::string> after;
  };
  const Row rows[] = {{true, "NWDSPutChange(2,L)", {"old", "new"}},
                      {false, "NWDSPutChange(3,L)", {"old"}}};
  Values() = {"old"};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.putChange);
    fake_.calls.clear();
    const bool done = row.add ? AddAttributeValue("", kUser, kL, "new")
                              : RemoveAttributeValue("", kUser, kL, "new");
    EXPECT_TRUE(done);
    EXPECT_TRUE(fake_.Called(row.putChange));
    EXPECT_TRUE(fake_.Called("NWDSPutAttrVal(3,new)"));
    EXPECT_TRUE(fake_.Called("NWDSModifyObject(" + kUser + ")"));
    EXPECT_EQ(Values(), row.after);
    // The working context goes before the modify buffer.
    EXPECT_TRUE(fake_.calls[fake_.calls.size() - 2].starts_with("NWDSFreeContext("));
    EXPECT_EQ(fake_.calls.back(), "NWDSFreeBuf");
    ExpectNothingLeftOpen();
  }
}

TEST_F(NdsAttributeValues, ChangeFailures) {
  struct Row {
    const char* name;
    const char* function;
    int32_t code;
    int32_t lastError;
    std::vector<const char*> notCalled;
  };
  const std::vector<Row> rows = {
      {"change refused", "NWDSPutChange", -10, -10, {"NWDSPutAttrVal", "NWDSModifyObject"}},
      {"value refused", "NWDSPutAttrVal", -11, -11, {"NWDSModifyObject"}},
      {"modify refused", "NWDSModifyObject", -12, -12, {}},
      {"buffer not initialised", "NWDSInitBuf", -13, 0, {"NWDSPutChange"}},
      {"no modify buffer", "NWDSAllocBuf", -14, 0, {"NWDSDuplicateContext", "NWDSPutChange"}},
      {"no working context", "NWDSDuplicateContext", -15, 0, {"NWDSInitBuf"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Values() = {};
    fake_.answerAlways.clear();
    fake_.Answer(row.function, row.code);
    fake_.calls.clear();
    const int32_t errorBefore = NDSLastError();
    EXPECT_FALSE(AddAttributeValue("", kUser, kL, "new"));
    EXPECT_TRUE(Values().empty());
    EXPECT_EQ(NDSLastError(), row.lastError == 0 ? errorBefore : row.lastError);
    for (const char* function : row.notCalled)
      EXPECT_EQ(fake_.CountOf(function), 0) << function;
    fake_.answerAlways.clear();
    ExpectNothingLeftOpen();
  }
}

TEST_F(NdsAttributeValues, DirectoryRefusalsComeBackAsFailures) {
  Values() = {"old"};
  EXPECT_FALSE(AddAttributeValue("", kUser, kL, "OLD")) << "already there (case ignored)";
  EXPECT_EQ(NDSLastError(), -614);
  EXPECT_FALSE(RemoveAttributeValue("", kUser, kL, "missing"));
  EXPECT_EQ(NDSLastError(), -602);
  EXPECT_EQ(Values(), std::vector<std::string>{"old"});
}

TEST_F(NdsAttributeValues, AContextNameStaysInForceAfterTheCall) {
  Values() = {"a"};
  AttributeValueList values;
  EXPECT_TRUE(ReadAttributeValues("  OU=staff.O=org ", kUser, kL, values));
  EXPECT_EQ(GetNameContext(), "OU=staff.O=org");
  EXPECT_TRUE(AddAttributeValue("O=org", kUser, kL, "b"));
  EXPECT_EQ(GetNameContext(), "O=org");
  EXPECT_EQ(fake_.openBuffers, 0);
  EXPECT_EQ(fake_.contexts.size(), 2u) << "the working context is freed; its copy is global";
}

TEST_F(NdsAttributeValues, AttributeByteAboveTheTableSendsAnEmptyNameAndSyntax8) {
  const auto unknown = static_cast<TNWDSAttribute>(200);
  AttributeValueList values;
  EXPECT_FALSE(ReadAttributeValues("", kUser, unknown, values));
  EXPECT_TRUE(fake_.Called("NWDSPutAttrName()"));
  AddAttributeValue("", kUser, unknown, "v");
  EXPECT_TRUE(fake_.Called("NWDSPutChange(2,)"));
  EXPECT_TRUE(fake_.Called("NWDSPutAttrVal(8,v)"));
}

}  // namespace
}  // namespace welcomer
