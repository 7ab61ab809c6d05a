#include <gtest/gtest.h>

#include <string>

#include "nds/Nwnds.h"
#include "netware/nwlib.h"
#include "tests/support/FakeNetWareClient.h"

namespace welcomer {
namespace {

using testing::FakeNetWareClient;

class NdsContext : public ::testing::Test {
 protected:
  uint32_t FlagsOf(int32_t context) { return fake_.contexts.at(context).flags; }

  FakeNetWareClient fake_;
  TNWLib lib_;
  TNWNDS nds_;
};

TEST_F(NdsContext, AddedFlagsAccumulateOnBothContexts) {
  EXPECT_TRUE(AddContextFlags(DCV_DEREF_ALIASES));
  EXPECT_TRUE(AddContextFlags(DCV_TYPELESS_NAMES));
  EXPECT_EQ(FlagsOf(GlobalContext()), 0x05u);
  EXPECT_EQ(FlagsOf(RootContext()), 0x05u);
  EXPECT_EQ(GetContextFlags(), 0x05u);
}

TEST_F(NdsContext, AddFlagsFailingOnTheRootContextIsRecorded) {
  fake_.AnswerOnCall("NWDSSetContext", 3, -320);  // the binding made one call already
  EXPECT_FALSE(AddContextFlags(DCV_ASYNC_MODE));
  EXPECT_EQ(NDSLastError(), -320);
  EXPECT_EQ(FlagsOf(GlobalContext()), DCV_ASYNC_MODE);
}

TEST_F(NdsContext, RemovedFlagsLeaveEveryOtherBit) {
  fake_.contexts.at(GlobalContext()).flags = 0xD7;
  fake_.contexts.at(RootContext()).flags = 0x15;
  EXPECT_TRUE(RemoveContextFlags(DCV_TYPELESS_NAMES));
  EXPECT_EQ(FlagsOf(GlobalContext()), 0xD3u);
  EXPECT_EQ(FlagsOf(RootContext()), 0x11u);
  EXPECT_TRUE(RemoveContextFlags(DCV_TYPELESS_NAMES)) << "a clear bit stays clear";
  EXPECT_EQ(FlagsOf(GlobalContext()), 0xD3u);
}

TEST_F(NdsContext, RemoveFlagsLeavesAContextWhoseFlagsCannotBeRead) {
  fake_.contexts.at(GlobalContext()).flags = 0x13;
  fake_.contexts.at(RootContext()).flags = 0x13;
  fake_.AnswerOnCall("NWDSGetContext", 1, -301);
  EXPECT_FALSE(RemoveContextFlags(DCV_DEREF_ALIASES));
  EXPECT_EQ(NDSLastError(), -301);
  EXPECT_EQ(FlagsOf(GlobalContext()), 0x13u);
  EXPECT_EQ(FlagsOf(RootContext()), 0x12u);
}

TEST_F(NdsContext, GetContextFlagsFailureGivesZeroAndRecords) {
  fake_.contexts.at(GlobalContext()).flags = 0x13;
  fake_.Answer("NWDSGetContext", -302);
  EXPECT_EQ(GetContextFlags(), 0u);
  EXPECT_EQ(NDSLastError(), -302);
}

TEST_F(NdsContext, CanonicalizeNameWorksWithTypedNamesAndRestoresTheFlags) {
  fake_.contexts.at(GlobalContext()).flags = 0x05;
  fake_.canonicalNames["jdoe"] = "CN=jdoe.OU=staff.O=org";
  EXPECT_EQ(CanonicalizeName("jdoe"), "CN=jdoe.OU=staff.O=org");
  EXPECT_EQ(fake_.flagsAtCanonicalize, 0x13u);
  EXPECT_EQ(FlagsOf(GlobalContext()), 0x05u);

  fake_.Answer("NWDSCanonicalizeName", -601);
  EXPECT_EQ(CanonicalizeName("jdoe"), "");
  EXPECT_EQ(NDSLastError(), -601);
  EXPECT_EQ(FlagsOf(GlobalContext()), 0x05u);
}

TEST_F(NdsContext, OverlongNamesAreRefusedWithoutACall) {
  const std::string name255(255, 'n');
  const std::string name256(256, 'n');
  EXPECT_EQ(CanonicalizeName(name255), "CN=" + name255.substr(0, 252)) << "cut by the client";
  const size_t before = fake_.calls.size();
  EXPECT_EQ(CanonicalizeName(name256), "");
  EXPECT_FALSE(SetPreferredDSTree(name256));
  EXPECT_FALSE(SetNameContext(std::string(128, 'c')));
  EXPECT_FALSE(SelectContext(RootContext(), std::string(128, 'c')));
  EXPECT_EQ(ObjectIDText(7, name256), "");
  EXPECT_EQ(fake_.calls.size(), before);
  EXPECT_TRUE(SetNameContext("  " + std::string(127, 'c') + "  ")) << "trimmed first";
  EXPECT_EQ(GetNameContext(), std::string(127, 'c'));
}

TEST_F(NdsContext, IdLookupsMakeGlobalContextADuplicateOfTheRootContext) {
  fake_.directoryIds["ADMIN.ORG"] = 0x04030201;
  for (int lookup = 0; lookup < 2; ++lookup) {
    SCOPED_TRACE(lookup);
    const int32_t before = GlobalContext();
    fake_.contexts.at(RootContext()).flags = 0x11;
    if (lookup == 0) {
      EXPECT_EQ(ObjectIDText(0, "admin.org"), "1020304");
      EXPECT_TRUE(
          fake_.Called("NWDSMapNameToID(" + std::to_string(RootContext()) + ",7,admin.org)"));
    } else {
      uint32_t connection = 0;
      EXPECT_EQ(AuditObjectID(connection, "admin.org"), 0x04030201u);
      EXPECT_EQ(connection, 7u);
    }
    EXPECT_EQ(fake_.contexts.count(before), 0u) << "the earlier context is freed";
    EXPECT_NE(GlobalContext(), RootContext());
    EXPECT_EQ(fake_.contexts.at(GlobalContext()).nameContext, "[root]");
    EXPECT_EQ(FlagsOf(GlobalContext()), 0x11u);
    EXPECT_EQ(fake_.contexts.at(RootContext()).nameContext, "[root]");
  }
}

TEST_F(NdsContext, ObjectIdTextDropsLeadingZeros) {
  struct Row {
    uint32_t delivered;
    const char* text;
  };
  const Row rows[] = {
      {0, "0"}, {0xC4B3A200, "A2B3C4"}, {0xFF000000, "FF"}, {0x78563412, "12345678"}};
  for (const Row& row : rows) {
    fake_.directoryIds["OBJ"] = row.delivered;
    EXPECT_EQ(ObjectIDText(7, "obj"), row.text) << row.delivered;
  }
  fake_.directoryIds.clear();
  EXPECT_EQ(ObjectIDText(7, "obj"), "");
  EXPECT_EQ(NDSLastError(), -601);
}

TEST_F(NdsContext, TreeNamesLoseTrailingUnderscoresOnly) {
  struct Row {
    const char* reported;
    const char* tree;
    bool isDirectoryServer;
  };
  const Row rows[] = {{"ORG_TREE___", "ORG_TREE", true},
                      {"ORG_TREE", "ORG_TREE", true},
                      {"____", "", true},
                      {"", "", false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.reported);
    fake_.treeName = row.reported;
    EXPECT_EQ(DSTreeName(7), row.tree);
    EXPECT_EQ(IsDSServer(7), row.isDirectoryServer);
  }
  EXPECT_EQ(NDSLastError(), 0) << "an empty tree name is no error";
}

TEST_F(NdsContext, ServerThatIsNoDirectoryServerRecordsMinusOne) {
  fake_.directoryServer = false;
  EXPECT_FALSE(IsDSServer(0));
  EXPECT_TRUE(fake_.Called("NWIsDSServer(7)")) << "0 is the primary connection";
  EXPECT_EQ(NDSLastError(), -1);
  EXPECT_EQ(DSTreeName(0), "");
  EXPECT_EQ(NDSErrorText(), "FFFFFFFF");
}

TEST_F(NdsContext, SelectContextLeavesNoFreedHandleWhenTheDuplicateFails) {
  fake_.Answer("NWDSDuplicateContextHandle", -302);
  const int32_t working = NewContext();
  EXPECT_FALSE(SelectContext(working, "OU=staff"));
  EXPECT_EQ(GlobalContext(), 0);
  FreeContext(working);
}

}  // namespace
}  // namespace welcomer
