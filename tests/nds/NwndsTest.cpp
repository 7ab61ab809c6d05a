#include "nds/Nwnds.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "netware/CallsBinding.h"
#include "netware/ClientAbi.h"
#include "tests/support/ShippedClient.h"

namespace welcomer {
namespace {

constexpr TNWDSAttribute kL = TNWDSAttribute::ndsAttrL;
constexpr TNWDSAttribute kTitle = TNWDSAttribute::ndsAttrTitle;
// Small enough that two values of ten characters fill a result buffer.
constexpr uint32_t kSmallBuffer = 64;

// A missing library is recorded as FFFF, a missing entry point not at all; either way no context
// is made and the attribute routines fail. Without the last entry point only, InitUnicode makes
// the context construction could not, and the directory works. InitUnicode hands over the
// country and code page the client reports (for de_DE here, 49 and 1252).
TEST(NdsBinding, IncompleteClientLeavesTheRoutinesFailingQuietly) {
  struct Row {
    std::string missing;
    const char* errorText;
    bool initUnicode;
    bool works;
  };
  const Row rows[] = {{"NETWIN32.DLL", "FFFF", false, false},
                      {"LOCWIN32.DLL", "FFFF", false, false},
                      {"NWLlocaleconv", "0000", false, false},
                      {"NWDSRead", "0000", true, false},
                      {"NWDSOpenStream", "0000", true, true}};
  ::setenv("LC_ALL", "de_DE", 1);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.missing);
    testing::ShippedClient client;
    client.missing = {row.missing};
    client.replaced["NWInitUnicodeTables"] =
        reinterpret_cast<void*>(+[](int32_t country, int32_t codePage) {
          return country == 49 && codePage == 1252 ? 0 : -1;
        });
    TNWNDS nds;
    EXPECT_EQ(NDSErrorText(), row.errorText);
    EXPECT_EQ(GlobalContext() + RootContext(), 0);
    AttributeValueList values;
    EXPECT_FALSE(ReadAttributeValues("", "CN=JDOE", kL, values));
    EXPECT_FALSE(AddAttributeValue("", "CN=JDOE", kL, "x"));
    EXPECT_EQ(GetContextFlags(), 0u);
    EXPECT_EQ(WhoAmI(), "");
    if (row.missing.ends_with(".DLL")) {
      EXPECT_EQ(client.Calls(), 0) << "not even late binding";
    }
    EXPECT_EQ(InitUnicode(), row.initUnicode);
    SetNameContext("[Root]");
    EXPECT_EQ(
        AddAttributeValue("", WhoAmI(), kL, "x") && RemoveAttributeValue("", WhoAmI(), kL, "x"),
        row.works);
  }
  ::unsetenv("LC_ALL");
}

class Nwnds : public ::testing::Test {
 protected:
  // Values of ten times one letter, so that a row of a table reads as words.
  static std::vector<std::string> Tens(const std::string& letters) {
    std::vector<std::string> values;
    for (const char letter : letters)
      values.emplace_back(10, letter);
    return values;
  }
  static std::string Letters(const AttributeValueList& values) {
    std::string letters;
    for (const AttributeValueBlock& value : values)
      letters += value.Text().substr(0, 1);
    return letters;
  }
  AttributeValueList Read(TNWDSAttribute attribute = kL) {
    AttributeValueList values;
    ReadAttributeValues("", user_, attribute, values);
    return values;
  }
  // Leaves exactly `values` in the attribute.
  void Store(const std::vector<std::string>& values, TNWDSAttribute attribute = kL) {
    for (const AttributeValueBlock& old : Read(attribute))
      ASSERT_TRUE(RemoveAttributeValue("", user_, attribute, old.data()));
    for (const std::string& value : values)
      ASSERT_TRUE(AddAttributeValue("", user_, attribute, value.c_str()));
  }
  // Every request frees what it made, whatever way it ends.
  void ExpectNothingLeftOpen() {
    EXPECT_EQ(client_.Calls("NWDSAllocBuf"), client_.Calls("NWDSFreeBuf"));
    EXPECT_EQ(client_.Calls("NWDSDuplicateContext"), client_.Calls("NWDSFreeContext"));
  }
  // The flags of a context as the client holds them; all bits for a context it does not know.
  uint32_t FlagsOf(int32_t context) {
    uint32_t flags = 0;
    const auto get = client_.Real<decltype(&::NWDSGetContext)>("NWDSGetContext");
    return get(context, DCK_FLAGS, &flags) == 0 ? flags : ~0u;
  }
  void SetFlags(int32_t context, uint32_t flags) {
    client_.Real<decltype(&::NWDSSetContext)>("NWDSSetContext")(context, DCK_FLAGS, &flags);
  }

  testing::ShippedClient client_;
  TNWLib lib_;
  TNWNDS nds_;
  const std::string user_ = WhoAmI();
};

TEST_F(Nwnds, ReadsAndChanges) {
  struct Row {
    const char* name;
    const char* stored;
    const char* request;  // "" reads, "*" reads after an earlier entry, "+x" adds, "-x" removes
    const char* failing;
    int onCall;
    int32_t code;
    bool result;
    const char* outcome;  // the letters read, or those stored after a change
    int32_t lastError;    // 0: left as it was
  };
  const Row rows[] = {
      {"nothing stored", "", "", "", 0, 0, false, "", -603},
      {"earlier entries count", "", "*", "", 0, 0, true, "", -603},
      {"values across several buffers", "abcde", "", "", 0, 0, true, "abcde", 0},
      {"a later read fails", "abc", "", "NWDSRead", 2, -635, true, "ab", -635},
      {"value 1 fails: recorded", "ab", "", "NWDSGetAttrVal", 1, -699, false, "", -699},
      {"value 2 fails: not recorded", "abc", "", "NWDSGetAttrVal", 2, -698, false, "a", 0},
      {"unsizable value ends its buffer", "abc", "", "NWDSComputeAttrValSize", 1, -1, true, "c", 0},
      {"attribute count fails", "a", "", "NWDSGetAttrCount", 1, -4, false, "", -4},
      {"attribute name fails", "a", "", "NWDSGetAttrName", 1, -2, false, "", -2},
      {"request name fails", "a", "", "NWDSPutAttrName", 1, -3, false, "", -3},
      {"no result buffer", "a", "", "NWDSAllocBuf", 2, -5, false, "", 0},
      {"no working context", "a", "", "NWDSDuplicateContext", 1, -6, false, "", 0},
      {"add", "a", "+b", "", 0, 0, true, "ab", 0},
      {"remove: a success leaves the last error", "ab", "-a", "", 0, 0, true, "b", 0},
      {"change refused", "", "+a", "NWDSPutChange", 1, -10, false, "", -10},
      {"value refused", "", "+a", "NWDSPutAttrVal", 1, -11, false, "", -11},
      {"modification refused", "", "+a", "NWDSModifyObject", 1, -12, false, "", -12},
      {"request not set up", "", "+a", "NWDSInitBuf", 1, -1, false, "", 0},
      {"no working context for a change", "", "+a", "NWDSDuplicateContext", 1, -1, false, "", 0},
  };
  client_.bufferSize = kSmallBuffer;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    client_.Heal();
    Store(Tens(row.stored));
    client_.Answer(row.failing, row.code, row.onCall);
    const int32_t errorBefore = NDSLastError();
    const char kind = row.request[0];
    const std::string value = kind == '+' || kind == '-' ? Tens(row.request + 1)[0] : "";
    AttributeValueList values;
    if (kind == '*')
      values.emplace_back(0);
    const bool result = kind == '+'   ? AddAttributeValue("", user_, kL, value.c_str())
                        : kind == '-' ? RemoveAttributeValue("", user_, kL, value.c_str())
                                      : ReadAttributeValues("", user_, kL, values);
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(NDSLastError(), row.lastError == 0 ? errorBefore : row.lastError);
    client_.Heal();
    EXPECT_EQ(Letters(value.empty() ? values : Read()), row.outcome);
    ExpectNothingLeftOpen();
  }
}

// Each value arrives whole however long (ASan catches a block too short for one), and the text
// routine takes the first value of the last result buffer; a size that no result buffer could
// hold is not allocated.
TEST_F(Nwnds, LongValuesArriveWhole) {
  Store({}, kTitle);
  std::string text = "unchanged";
  EXPECT_FALSE(ReadAttributeText("", user_, kTitle, text));
  EXPECT_EQ(text, "unchanged");
  for (const size_t length : {127, 128, 254, 255, 256, 2047}) {
    SCOPED_TRACE(length);
    const std::string value(length, 'v');
    Store({value, "short"}, kTitle);
    EXPECT_EQ(Read(kTitle).at(0).Text(), value);
    ASSERT_TRUE(ReadAttributeText("", user_, kTitle, text));
    EXPECT_EQ(text, value);
  }
  Store(Tens("abc"), kTitle);
  client_.bufferSize = kSmallBuffer;
  ASSERT_TRUE(ReadAttributeText("", user_, kTitle, text));
  EXPECT_EQ(text, Tens("c")[0]);
  client_.replaced["NWDSComputeAttrValSize"] =
      reinterpret_cast<void*>(+[](int32_t, NWDSBuf*, uint32_t, uint32_t* size) {
        *size = 0x7FFFFFF0;
        return 0;
      });
  EXPECT_TRUE(Read(kTitle).empty());
  ExpectNothingLeftOpen();
}

// A client that never ends its iteration must not hang a login.
TEST_F(Nwnds, AReadThatNeverEndsStillEnds) {
  Store({"Welcomer.RunOnce=x"});
  static const auto read = client_.Real<decltype(&::NWDSRead)>("NWDSRead");
  client_.replaced["NWDSRead"] =
      reinterpret_cast<void*>(+[](int32_t context, const char* object, uint32_t type, int32_t all,
                                  NWDSBuf* names, int32_t* iteration, NWDSBuf* info) {
        *iteration = NO_MORE_ITERATIONS;
        const int32_t result = read(context, object, type, all, names, iteration, info);
        *iteration = 1;
        return result;
      });
  EXPECT_EQ(Read().size(), 1000u);
  ExpectNothingLeftOpen();
}

TEST_F(Nwnds, FlagsChangeOnBothContextsAndOnlyTheBitsAsked) {
  SetFlags(GlobalContext(), 0);
  SetFlags(RootContext(), 0);
  EXPECT_TRUE(AddContextFlags(DCV_DEREF_ALIASES));
  EXPECT_TRUE(AddContextFlags(DCV_TYPELESS_NAMES));
  EXPECT_EQ(FlagsOf(RootContext()), 0x05u);
  EXPECT_EQ(GetContextFlags(), 0x05u);
  SetFlags(GlobalContext(), 0xD7);
  SetFlags(RootContext(), 0x15);
  EXPECT_TRUE(RemoveContextFlags(DCV_TYPELESS_NAMES));
  EXPECT_TRUE(RemoveContextFlags(DCV_TYPELESS_NAMES)) << "a clear bit stays clear";
  EXPECT_EQ(FlagsOf(GlobalContext()), 0xD3u);
  EXPECT_EQ(FlagsOf(RootContext()), 0x11u);

  // Without the current word, setting anything would change bits nobody asked to change.
  client_.Answer("NWDSGetContext", -301, 1);
  EXPECT_FALSE(RemoveContextFlags(DCV_DEREF_ALIASES));
  EXPECT_EQ(NDSLastError(), -301);
  EXPECT_EQ(FlagsOf(GlobalContext()), 0xD3u);
  EXPECT_EQ(FlagsOf(RootContext()), 0x10u);
  client_.Answer("NWDSSetContext", -320, 2);
  EXPECT_FALSE(AddContextFlags(DCV_ASYNC_MODE)) << "the root context refused";
  EXPECT_EQ(NDSLastError(), -320);
  client_.Answer("NWDSGetContext", -302);
  EXPECT_EQ(GetContextFlags(), 0u);
  EXPECT_EQ(NDSLastError(), -302);
}

TEST_F(Nwnds, IdentityAndServers) {
  SetFlags(GlobalContext(), DCV_DEREF_ALIASES | DCV_TYPELESS_NAMES);
  EXPECT_EQ(CanonicalizeName("jdoe.staff.org"), "CN=jdoe.OU=staff.O=org") << "with its types";
  EXPECT_EQ(FlagsOf(GlobalContext()), 0x05u) << "and the flags as they were";
  client_.Answer("NWDSCanonicalizeName", -601);
  EXPECT_EQ(CanonicalizeName("jdoe"), "");
  EXPECT_EQ(NDSLastError(), -601);
  EXPECT_EQ(FlagsOf(GlobalContext()), 0x05u);

  EXPECT_EQ(DSTreeName(0), "WELCOMER") << "0 is the primary connection";
}

// GlobalContext becomes a duplicate of the selected context and the one before is freed, so a
// duplicate that fails must leave 0, not a handle that is gone.
TEST_F(Nwnds, SelectContextLeavesNoFreedHandle) {
  const int32_t before = GlobalContext();
  EXPECT_TRUE(SelectContext(RootContext(), " [root] "));
  EXPECT_EQ(FlagsOf(before), ~0u) << "freed";
  EXPECT_NE(GlobalContext(), RootContext());
  EXPECT_EQ(GetNameContext(), "[Root]");
  client_.Answer("NWDSDuplicateContextHandle", -302);
  EXPECT_FALSE(SelectContext(RootContext(), "OU=staff"));
  EXPECT_EQ(GlobalContext(), 0);
}

}  // namespace
}  // namespace welcomer
