#include <gtest/gtest.h>

#include <string>

#include "nds/Nwnds.h"
#include "tests/support/FakeClientLibraries.h"

namespace welcomer {
namespace {

using testing::FakeClientLibraries;

constexpr TNWDSAttribute kL = TNWDSAttribute::ndsAttrL;

// A missing library is recorded as FFFF, a missing entry point not at all; either way no context
// is made and the directory routines fail without calling the client.
TEST(NdsBinding, IncompleteClientLeavesTheRoutinesFailingQuietly) {
  struct Row {
    const char* library;
    const char* entryPoint;  // null: the whole library is missing
    const char* errorText;
  };
  const Row rows[] = {{"NETWIN32.DLL", nullptr, "FFFF"},
                      {"LOCWIN32.DLL", nullptr, "FFFF"},
                      {"LOCWIN32.DLL", "NWLlocaleconv", "0000"},
                      {"NETWIN32.DLL", "NWDSRead", "0000"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.entryPoint != nullptr ? row.entryPoint : row.library);
    FakeClientLibraries fake;
    if (row.entryPoint != nullptr)
      fake.libraries[row.library].erase(row.entryPoint);
    else
      fake.libraries.erase(row.library);
    TNWNDS nds;
    EXPECT_EQ(NDSErrorText(), row.errorText);
    EXPECT_EQ(GlobalContext(), 0);
    EXPECT_EQ(RootContext(), 0);
    fake.calls.clear();
    AttributeValueList values;
    EXPECT_FALSE(ReadAttributeValues("", "CN=JDOE", kL, values));
    EXPECT_FALSE(AddAttributeValue("", "CN=JDOE", kL, "x"));
    EXPECT_EQ(GetContextFlags(), 0u);
    if (row.entryPoint == nullptr) {
      EXPECT_FALSE(InitUnicode());
      EXPECT_EQ(WhoAmI(), "") << "no late binding either";
    }
    EXPECT_TRUE(fake.calls.empty());
  }
}

TEST(NdsBinding, InitUnicodeHandsOverTheClientsCountryAndCodePage) {
  FakeClientLibraries fake;
  TNWNDS nds;
  EXPECT_TRUE(InitUnicode());
  EXPECT_TRUE(fake.Called("NWInitUnicodeTables(49,1252)"));
  fake.Answer("NWInitUnicodeTables", -1);
  EXPECT_FALSE(InitUnicode());
  EXPECT_EQ(NDSLastError(), 0) << "a failed set-up is not recorded";
}

TEST(NdsBinding, LastErrorKeepsTheLatestFailureAsHexText) {
  FakeClientLibraries fake;
  TNWNDS nds;
  EXPECT_EQ(NDSErrorText(), "0000");
  for (const auto& [code, text] : {std::pair{-601, "FFFFFDA7"}, std::pair{0x2A, "002A"}}) {
    fake.Answer("NWFreeUnicodeTables", code);
    EXPECT_FALSE(FreeUnicode());
    EXPECT_EQ(NDSErrorText(), text);
  }
  fake.Answer("NWFreeUnicodeTables", 0);
  EXPECT_TRUE(FreeUnicode());
  EXPECT_EQ(NDSErrorText(), "002A") << "a success never clears it";
}

// Entry points bound on first use, and the one looked up afresh each time: missing, they give the
// failure value with nothing called or recorded.
TEST(NdsBinding, MissingLateEntryPointFailsQuietly) {
  FakeClientLibraries fake;
  for (const char* name : {"NWDSWhoAmI", "NWDSMapNameToID", "NWGetPreferredDSServer"})
    fake.libraries["NETWIN32.DLL"].erase(name);
  TNWNDS nds;
  fake.calls.clear();
  EXPECT_EQ(WhoAmI(), "");
  EXPECT_EQ(ObjectIDText(7, "admin"), "");
  EXPECT_EQ(PreferredDSServer(), 0u);
  EXPECT_EQ(NDSLastError(), 0);
  EXPECT_TRUE(fake.calls.empty());
}

}  // namespace
}  // namespace welcomer
