#include <gtest/gtest.h>

#include <string>

#include "nds/Nwnds.h"
#include "netware/nwlib.h"
#include "tests/support/FakeClientLibraries.h"

namespace welcomer {
namespace {

using testing::FakeClientLibraries;

class NdsContext : public ::testing::Test {
 protected:
  uint32_t& FlagsOf(int32_t context) { return fake_.contexts.at(context).flags; }

  FakeClientLibraries fake_;
  TNWLib lib_;
  TNWNDS nds_;
};

TEST_F(NdsContext, AddedFlagsAccumulateOnBothContexts) {
  EXPECT_TRUE(AddContextFlags(DCV_DEREF_ALIASES));
  EXPECT_TRUE(AddContextFlags(DCV_TYPELESS_NAMES));
  EXPECT_EQ(FlagsOf(GlobalContext()), 0x05u);
  EXPECT_EQ(FlagsOf(RootContext()), 0x05u);
  EXPECT_EQ(GetContextFlags(), 0x05u);

  fake_.Answer("NWDSSetContext", -320, fake_.CountOf("NWDSSetContext") + 2);
  EXPECT_FALSE(AddContextFlags(DCV_ASYNC_MODE)) << "the root context refused";
  EXPECT_EQ(NDSLastError(), -320);
  fake_.Answer("NWDSGetContext", -302);
  EXPECT_EQ(GetContextFlags(), 0u);
  EXPECT_EQ(NDSLastError(), -302);
}

TEST_F(NdsContext, RemovedFlagsLeaveEveryOtherBit) {
  FlagsOf(GlobalContext()) = 0xD7;
  FlagsOf(RootContext()) = 0x15;
  EXPECT_TRUE(RemoveContextFlags(DCV_TYPELESS_NAMES));
  EXPECT_EQ(FlagsOf(GlobalContext()), 0xD3u);
  EXPECT_EQ(FlagsOf(RootContext()), 0x11u);
  EXPECT_TRUE(RemoveContextFlags(DCV_TYPELESS_NAMES)) << "a clear bit stays clear";
  EXPECT_EQ(FlagsOf(GlobalContext()), 0xD3u);

  // Without the current word, setting anything would change bits nobody asked to change.
  fake_.Answer("NWDSGetContext", -301, fake_.CountOf("NWDSGetContext") + 1);
  EXPECT_FALSE(RemoveContextFlags(DCV_DEREF_ALIASES));
  EXPECT_EQ(NDSLastError(), -301);
  EXPECT_EQ(FlagsOf(GlobalContext()), 0xD3u);
  EXPECT_EQ(FlagsOf(RootContext()), 0x10u);
}

TEST_F(NdsContext, CanonicalizeNameWorksWithTypedNamesAndRestoresTheFlags) {
  FlagsOf(GlobalContext()) = 0x05;
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
  fake_.calls.clear();
  EXPECT_EQ(CanonicalizeName(name256), "");
  EXPECT_FALSE(SetPreferredDSTree(name256));
  EXPECT_FALSE(SetNameContext(std::string(128, 'c')));
  EXPECT_FALSE(SelectContext(RootContext(), std::string(128, 'c')));
  EXPECT_EQ(ObjectIDText(7, name256), "");
  EXPECT_TRUE(fake_.calls.empty());
  EXPECT_TRUE(SetNameContext("  " + std::string(127, 'c') + "  ")) << "trimmed first";
  EXPECT_EQ(GetNameContext(), std::string(127, 'c'));
}

TEST_F(NdsContext, TreeNamesAndDirectoryServers) {
  fake_.treeName = "ORG_TREE___";
  EXPECT_EQ(DSTreeName(0), "ORG_TREE");
  EXPECT_TRUE(fake_.Called("NWIsDSServer(7)")) << "0 is the primary connection";
  fake_.treeName = "";
  EXPECT_FALSE(IsDSServer(0)) << "a server without a tree name";
  EXPECT_EQ(NDSLastError(), 0);
  fake_.directoryServer = false;
  EXPECT_FALSE(IsDSServer(0));
  EXPECT_EQ(NDSLastError(), -1);
}

// GlobalContext becomes a duplicate of the selected context, and the one before is freed.
TEST_F(NdsContext, SelectContextLeavesNoFreedHandleWhenTheDuplicateFails) {
  const int32_t before = GlobalContext();
  EXPECT_TRUE(SelectContext(RootContext(), " [root] "));
  EXPECT_EQ(fake_.contexts.count(before), 0u);
  EXPECT_NE(GlobalContext(), RootContext());
  EXPECT_EQ(fake_.contexts.at(GlobalContext()).nameContext, "[root]");

  fake_.Answer("NWDSDuplicateContextHandle", -302);
  const int32_t working = NewContext();
  EXPECT_FALSE(SelectContext(working, "OU=staff"));
  EXPECT_EQ(GlobalContext(), 0);
  FreeContext(working);
}

}  // namespace
}  // namespace welcomer
