#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "nds/Nwnds.h"
#include "netware/NWServer.h"
#include "netware/nwbase.h"
#include "netware/nwlib.h"
#include "platform/ClientLibrary.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

TEST(ClientLibraryFileName, MapsClientNamesToSharedObjects) {
  struct Row {
    const char* name;
    const char* file;
  };
  const Row rows[] = {{"NETWIN32.DLL", "libnetwin32.so"}, {"CalWin32.dll", "libcalwin32.so"},
                      {"CLXWIN32", "libclxwin32.so"},     {"../NETWIN32.DLL", ""},
                      {"sub\\NETWIN32.DLL", ""},          {"", ""}};
  for (const Row& row : rows)
    EXPECT_EQ(ClientLibraryFileName(row.name), row.file) << row.name;
}

TEST(FolderClientLibraryLoader, LoadsNothingFromARelativeOrEmptyFolder) {
  for (const char* folder : {"", "tests/clientlibs/no-open-stream", "./"}) {
    FolderClientLibraryLoader loader(folder);
    EXPECT_EQ(loader.Load("NETWIN32.DLL"), nullptr) << folder;
  }
  FolderClientLibraryLoader loader(WELCOMER_STUB_CLIENT_ROOT "/no-open-stream");
  EXPECT_EQ(loader.Load("MISSING.DLL"), nullptr);
  void* module = loader.Load("NETWIN32.DLL");
  ASSERT_NE(module, nullptr);
  EXPECT_NE(loader.Find(module, "NWDSRead"), nullptr);
  EXPECT_EQ(loader.Find(module, "NWDSOpenStream"), nullptr);
  EXPECT_EQ(loader.Find(nullptr, "NWDSRead"), nullptr);
}

// The layers bound to real shared objects in a folder of the test's choosing.
class RealClientLibraries : public ::testing::Test {
 protected:
  void Use(const std::string& folder) {
    loader_ = std::make_unique<FolderClientLibraryLoader>(std::string(WELCOMER_STUB_CLIENT_ROOT) +
                                                          "/" + folder);
    previous_ = SetClientLibraryLoader(loader_.get());
  }
  void SetUp() override { ResetUnits(); }
  void TearDown() override {
    ResetUnits();
    SetClientLibraryLoader(previous_);
  }
  static void ResetUnits() {
    ResetDirectoryUnit();
    ResetCallsUnit();
    ResetServerUnit();
  }

  std::unique_ptr<FolderClientLibraryLoader> loader_;
  ClientLibraryLoader* previous_ = nullptr;
};

TEST_F(RealClientLibraries, WithoutOpenStreamNoContextExistsUntilInitUnicode) {
  Use("no-open-stream");
  TNWNDS nds;
  EXPECT_EQ(NDSLastError(), 0);
  EXPECT_EQ(GlobalContext(), 0);
  EXPECT_TRUE(InitUnicode());
  EXPECT_NE(GlobalContext(), 0);
  EXPECT_EQ(RootContext(), 0);
  // Everything bound before the missing entry point works.
  EXPECT_EQ(GetContextFlags(), 0u);
  EXPECT_EQ(NDSLastError(), -1) << "NWDSGetContext, bound just before the gap, answered";
  AttributeValueList values;
  EXPECT_FALSE(ReadAttributeValues("", "STUBUSER", TNWDSAttribute::ndsAttrL, values));
  EXPECT_EQ(NDSLastError(), -601) << "the read reached the client";
}

TEST_F(RealClientLibraries, WithoutTheLocaleLibraryTheDirectoryIsUnusable) {
  Use("no-locale");
  TNWNDS nds;
  EXPECT_EQ(NDSErrorText(), "FFFF");
  EXPECT_FALSE(InitUnicode());
  EXPECT_EQ(WhoAmI(), "");
}

TEST_F(RealClientLibraries, ComponentTakesTheConnectionsLoginNameWithoutTheDirectory) {
  for (const char* folder : {"no-locale", "no-open-stream"}) {
    SCOPED_TRACE(folder);
    Use(folder);
    TNWBase base;
    EXPECT_TRUE(base.NetAvailable());
    EXPECT_FALSE(base.NDSAvailable());
    EXPECT_EQ(base.ServerHandle(), 5u);
    EXPECT_EQ(base.LoginID(), "STUBUSER");
    TearDown();
    SetUp();
  }
}

TEST_F(RealClientLibraries, FolderWithoutTheClientBindsNothing) {
  testing::TempDir empty;
  FolderClientLibraryLoader loader(empty.path());
  SetClientLibraryLoader(&loader);
  TNWBase base;
  EXPECT_FALSE(base.NetAvailable());
  EXPECT_FALSE(base.NDSAvailable());
  EXPECT_EQ(base.LoginID(), "");
  EXPECT_EQ(NDSErrorText(), "FFFF");
  EXPECT_EQ(base.LastError().NWLib(), "FFFFFFFF");
}

}  // namespace
}  // namespace welcomer
