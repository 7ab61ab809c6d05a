#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nds/Nwnds.h"
#include "tests/support/FakeNetWareClient.h"

namespace welcomer {
namespace {

using testing::FakeNetWareClient;

// The entry points bound when the binding is made, in their order, with their libraries.
const std::vector<std::string> kBoundAtStart = {
    "LOCWIN32.DLL!NWLlocaleconv",
    "LOCWIN32.DLL!NWInitUnicodeTables",
    "NETWIN32.DLL!NWDSCreateContext",
    "NETWIN32.DLL!NWDSFreeContext",
    "NETWIN32.DLL!NWDSSetContext",
    "NETWIN32.DLL!NWDSAllocBuf",
    "NETWIN32.DLL!NWDSInitBuf",
    "NETWIN32.DLL!NWDSFreeBuf",
    "NETWIN32.DLL!NWDSDuplicateContext",
    "NETWIN32.DLL!NWDSPutAttrName",
    "NETWIN32.DLL!NWDSPutAttrVal",
    "NETWIN32.DLL!NWDSGetAttrName",
    "NETWIN32.DLL!NWDSGetAttrVal",
    "NETWIN32.DLL!NWDSGetAttrCount",
    "NETWIN32.DLL!NWDSPutChange",
    "NETWIN32.DLL!NWDSModifyObject",
    "NETWIN32.DLL!NWDSComputeAttrValSize",
    "NETWIN32.DLL!NWDSRead",
    "NETWIN32.DLL!NWDSRemoveObject",
    "NETWIN32.DLL!NWDSGenerateObjectKeyPair",
    "NETWIN32.DLL!NWDSGetObjectName",
    "NETWIN32.DLL!NWDSGetObjectCount",
    "NETWIN32.DLL!NWDSAddObject",
    "NETWIN32.DLL!NWDSList",
    "LOCWIN32.DLL!NWFreeUnicodeTables",
    "NETWIN32.DLL!NWDSGetContext",
    "NETWIN32.DLL!NWDSOpenStream",
};

TEST(NdsBinding, CompleteClientBindsAllInOrderAndMakesBothContexts) {
  FakeNetWareClient fake;
  TNWNDS nds;
  EXPECT_EQ(fake.lookups, kBoundAtStart);
  EXPECT_NE(GlobalContext(), 0);
  EXPECT_NE(RootContext(), 0);
  EXPECT_NE(GlobalContext(), RootContext());
  EXPECT_EQ(fake.contexts[GlobalContext()].nameContext, "[Root]");
  EXPECT_EQ(NDSLastError(), 0);
  // The seven that are bound only for the contract are never called.
  for (const char* unused : {"NWDSRemoveObject", "NWDSGenerateObjectKeyPair", "NWDSGetObjectName",
                             "NWDSGetObjectCount", "NWDSAddObject", "NWDSList", "NWDSOpenStream"}) {
    EXPECT_EQ(fake.CountOf(unused), 0) << unused;
  }
}

TEST(NdsBinding, MissingLibraryRecordsFFFFAndBindsNothing) {
  for (const char* library : {"NETWIN32.DLL", "LOCWIN32.DLL"}) {
    SCOPED_TRACE(library);
    FakeNetWareClient fake;
    fake.RemoveLibrary(library);
    TNWNDS nds;
    EXPECT_TRUE(fake.lookups.empty());
    EXPECT_EQ(NDSErrorText(), "FFFF");
    EXPECT_FALSE(InitUnicode());
    EXPECT_EQ(GlobalContext(), 0);
    EXPECT_TRUE(fake.calls.empty());
    // Every directory routine then falls back without calling.
    AttributeValueList values;
    EXPECT_FALSE(ReadAttributeValues("", "CN=JDOE", TNWDSAttribute::ndsAttrL, values));
    EXPECT_FALSE(AddAttributeValue("", "CN=JDOE", TNWDSAttribute::ndsAttrL, "x"));
    EXPECT_EQ(WhoAmI(), "");
    EXPECT_EQ(GetContextFlags(), 0u);
    EXPECT_TRUE(fake.calls.empty());
  }
}

TEST(NdsBinding, MissingEntryPointStopsTheBindingThere) {
  for (size_t missing = 0; missing < kBoundAtStart.size(); ++missing) {
    const std::string entry = kBoundAtStart[missing];
    SCOPED_TRACE(entry);
    FakeNetWareClient fake;
    const size_t bang = entry.find('!');
    fake.RemoveEntryPoint(entry.substr(0, bang), entry.substr(bang + 1));
    {
      TNWNDS nds;
      const std::vector<std::string> tried(kBoundAtStart.begin(),
                                           kBoundAtStart.begin() + static_cast<long>(missing) + 1);
      EXPECT_EQ(fake.lookups, tried);
      EXPECT_EQ(NDSLastError(), 0);
      EXPECT_EQ(GlobalContext(), 0);
      EXPECT_EQ(RootContext(), 0);
      EXPECT_TRUE(fake.contexts.empty());
    }
  }
}

TEST(NdsBinding, WithoutOpenStreamOnlyInitUnicodeMakesTheGlobalContext) {
  FakeNetWareClient fake;
  fake.RemoveEntryPoint("NETWIN32.DLL", "NWDSOpenStream");
  TNWNDS nds;
  EXPECT_EQ(GlobalContext(), 0);
  EXPECT_TRUE(InitUnicode());
  EXPECT_NE(GlobalContext(), 0);
  EXPECT_EQ(RootContext(), 0);
}

TEST(NdsBinding, InitUnicodeHandsOverTheClientsCountryAndCodePage) {
  FakeNetWareClient fake;
  fake.countryCode = 44;
  fake.codePage = 850;
  TNWNDS nds;
  EXPECT_TRUE(InitUnicode());
  EXPECT_TRUE(fake.Called("NWInitUnicodeTables(44,850)"));

  fake.Answer("NWInitUnicodeTables", -1);
  EXPECT_FALSE(InitUnicode());
  EXPECT_EQ(NDSLastError(), 0) << "a failed set-up is not recorded";
}

TEST(NdsBinding, ErrorTextIsUpperHexOfAtLeastFourDigits) {
  FakeNetWareClient fake;
  TNWNDS nds;
  EXPECT_EQ(NDSErrorText(), "0000");
  fake.Answer("NWFreeUnicodeTables", -601);
  EXPECT_FALSE(FreeUnicode());
  EXPECT_EQ(NDSErrorText(), "FFFFFDA7");
  fake.Answer("NWFreeUnicodeTables", 0x2A);
  EXPECT_FALSE(FreeUnicode());
  EXPECT_EQ(NDSErrorText(), "002A");
  fake.Answer("NWFreeUnicodeTables", 0);
  EXPECT_TRUE(FreeUnicode());
  EXPECT_EQ(NDSErrorText(), "002A") << "a success never clears the last error";
}

TEST(NdsBinding, LateEntryPointsAreKeptOnceFoundButThePreferredServerIsAskedAfresh) {
  FakeNetWareClient fake;
  TNWNDS nds;
  fake.lookups.clear();
  WhoAmI();
  WhoAmI();
  PreferredDSServer();
  PreferredDSServer();
  EXPECT_EQ(fake.LookupsOf("NWDSWhoAmI"), 1);
  EXPECT_EQ(fake.LookupsOf("NWGetPreferredDSServer"), 2);
}

TEST(NdsBinding, MissingLateEntryPointGivesTheFailureValueWithNothingRecorded) {
  FakeNetWareClient fake;
  for (const char* name :
       {"NWDSCanonicalizeName", "NWDSWhoAmI", "NWDSMapNameToID", "NWDSAuditGetObjectID",
        "NWIsDSServer", "NWSetPreferredDSTree", "NWGetPreferredDSServer"}) {
    fake.RemoveEntryPoint("NETWIN32.DLL", name);
  }
  fake.directoryIds["ADMIN"] = 5;
  TNWNDS nds;
  const size_t callsBefore = fake.calls.size();
  uint32_t connection = 99;
  EXPECT_EQ(CanonicalizeName("jdoe"), "");
  EXPECT_EQ(WhoAmI(), "");
  EXPECT_EQ(ObjectIDText(7, "admin"), "");
  EXPECT_EQ(AuditObjectID(connection, "admin"), 0u);
  EXPECT_EQ(connection, 0u);
  EXPECT_FALSE(IsDSServer(7));
  EXPECT_EQ(DSTreeName(7), "");
  EXPECT_EQ(PreferredDSServer(), 0u);
  EXPECT_FALSE(SetPreferredDSTree("TREE"));
  EXPECT_EQ(NDSLastError(), 0);
  EXPECT_EQ(fake.calls.size(), callsBefore);
}

}  // namespace
}  // namespace welcomer
