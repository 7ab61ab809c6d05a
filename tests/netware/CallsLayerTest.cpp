#include <gtest/gtest.h>

#include <string>

#include "netware/NWServer.h"
#include "netware/nwlib.h"
#include "tests/support/FakeClientLibraries.h"

namespace welcomer {
namespace {

using testing::FakeClientLibraries;

// One operation for each way of falling back: a failure value, the name given, nothing called.
TEST(CallsLayer, WithoutTheClientOperationsFallBack) {
  FakeClientLibraries fake;
  fake.libraries.erase("CALWIN32.DLL");
  TNWLib lib;
  EXPECT_EQ(lib.LastErrorText(), "FFFF");
  EXPECT_FALSE(IsNetAvailable());
  EXPECT_FALSE(IsManager(0));
  EXPECT_EQ(TNWLib::LastErrorCode(), 0xFFFF) << "a missing entry point is not recorded";
  TNWServerInfo info;
  EXPECT_FALSE(GetServerInfo(0, info));
  EXPECT_EQ(OpenServerConnection("FS2"), 0u);
  EXPECT_EQ(GetServerName(0), "LOCAL");
  EXPECT_EQ(GetFullName(0, "  jdoe "), "JDOE");
  EXPECT_TRUE(fake.calls.empty());
  EXPECT_EQ(TNWLib::LastErrorCode(), -1) << "nothing could be asked for the primary connection";
}

TEST(CallsLayer, WithoutTheConnectionLibraryTheOlderEntryPointsServe) {
  FakeClientLibraries fake;
  fake.libraries.erase("CLXWIN32.DLL");
  TNWLib lib;
  EXPECT_EQ(TNWLib::LastErrorCode(), 0xFFFF);
  EXPECT_FALSE(IsNetAvailable());
  EXPECT_EQ(GetPrimaryConnection(), 7u);
  GetConnectionNumber(0);
  GetServerName(0);
  EXPECT_TRUE(fake.Called("NWGetConnectionNumber(7)"));
  EXPECT_TRUE(fake.Called("NWGetFileServerName(7)"));
}

TEST(CallsLayer, PrimaryConnectionIsCachedOnlyByTheConstructor) {
  {
    FakeClientLibraries fake;
    TNWLib lib;
    EXPECT_TRUE(fake.Called("NWCCOpenConnByRef(70,1,0)"));
    fake.calls.clear();
    EXPECT_EQ(GetPrimaryConnection(), 7u);
    EXPECT_TRUE(fake.calls.empty());
  }
  struct Row {
    const char* name;
    const char* missing;
    const char* failing;
    uint32_t connection;
    int32_t lastError;
  };
  const Row rows[] = {
      {"reference fails: its code is not kept", nullptr, "NWCCGetPrimConnRef", 0, -1},
      {"open fails", nullptr, "NWCCOpenConnByRef", 0, -78},
      {"open missing", "NWCCOpenConnByRef", nullptr, 0, -1},
      {"older entry point", "NWCCGetPrimConnRef", nullptr, 7, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeClientLibraries fake;
    fake.Answer("NWCallsInit", 1);  // leaves the cache empty
    if (row.missing != nullptr)
      fake.libraries["CLXWIN32.DLL"].erase(row.missing);
    if (row.failing != nullptr)
      fake.Answer(row.failing, -78);
    TNWLib lib;
    EXPECT_EQ(GetPrimaryConnection(), row.connection);
    EXPECT_EQ(TNWLib::LastErrorCode(), row.lastError);
  }
}

TEST(CallsLayer, ConnectionZeroIsThePrimaryConnectionAndFailuresAreKept) {
  FakeClientLibraries fake;
  TNWLib lib;
  EXPECT_EQ(GetConnectionNumber(0), 3u);
  EXPECT_EQ(GetConnectionLoginName(0), "JDOE");
  EXPECT_TRUE(fake.Called("NWGetConnectionInformation(7,3)"));
  fake.Answer("NWIsManager", 0x89C6);
  EXPECT_FALSE(IsManager(0));
  EXPECT_TRUE(fake.Called("NWIsManager(7)"));
  EXPECT_TRUE(HasConsolePrivileges(0));
  EXPECT_EQ(TNWLib::LastReturnCode(), 0);
  EXPECT_EQ(lib.LastErrorText(), "89C6") << "a success does not clear it";
}

// The preferred server becomes the primary connection; one that cannot be opened must not leave
// the old primary connection cached as if it still were.
TEST(CallsLayer, PreferredServerReplacesTheCachedPrimaryConnection) {
  FakeClientLibraries fake;
  fake.serverConnections["FS2"] = 12;
  TNWLib lib;
  uint32_t connection = 99;
  EXPECT_TRUE(SetPreferredServer("fs2", connection));
  EXPECT_EQ(connection, 12u);
  EXPECT_EQ(GetPrimaryConnection(), 12u);
  EXPECT_TRUE(SetPreferredServer("fs3", connection));
  EXPECT_EQ(connection, 0u);
  fake.calls.clear();
  EXPECT_EQ(GetPrimaryConnection(), 7u);
  EXPECT_TRUE(fake.Called("NWCCGetPrimConnRef")) << "asked afresh";
}

// 47 characters reach the client whole; 48 would not fit its buffer and are refused uncalled.
TEST(CallsLayer, OverlongNamesAreRefusedWithoutACall) {
  FakeClientLibraries fake;
  TNWLib lib;
  uint32_t connection = 0;
  GetObjectID(connection, std::string(47, 'n'), 256);
  EXPECT_TRUE(fake.Called("NWGetObjectID(7," + std::string(47, 'N') + ",256)"));
  const std::string name48(48, 'N');
  fake.calls.clear();
  EXPECT_EQ(GetObjectID(connection, name48, 256), 0u);
  EXPECT_EQ(GetObjectIDText(0, name48, 256), "0");
  EXPECT_FALSE(SetPreferredServer(name48, connection));
  EXPECT_EQ(OpenServerConnection(name48), 0u);
  EXPECT_EQ(GetFullName(0, name48), name48);
  EXPECT_TRUE(fake.calls.empty());
}

}  // namespace
}  // namespace welcomer
