#include <gtest/gtest.h>

#include <string>

#include "nds/Nwnds.h"
#include "netware/nwlib.h"
#include "tests/support/FakeNetWareClient.h"
#include "tests/support/FakeServices.h"

namespace welcomer {
namespace {

using testing::FakeNetWareClient;

// Local time for the operations that fall back to it.
class CallsLayer : public ::testing::Test {
 protected:
  CallsLayer() : previousClock_(SetCallsClock(&clock_)) {}
  ~CallsLayer() override { SetCallsClock(previousClock_); }

  FakeNetWareClient fake_;
  testing::FixedClock clock_{LocalDateTime{2026, 12, 6, 10, 20, 30}};
  Clock* previousClock_;
};

// One operation for each way of falling back: a failure value, the local clock, the name given.
TEST_F(CallsLayer, WithoutTheClientOperationsFallBack) {
  fake_.libraries.erase("CALWIN32.DLL");
  TNWLib lib;
  EXPECT_EQ(lib.LastErrorText(), "FFFF");
  EXPECT_FALSE(IsNetAvailable());
  EXPECT_FALSE(IsManager(0));
  EXPECT_EQ(TNWLib::LastErrorCode(), 0xFFFF) << "a missing entry point is not recorded";
  EXPECT_EQ(GetServerName(0), "LOCAL");
  EXPECT_EQ(GetServerDate(0), (NWDate{2026, 12, 6}));
  EXPECT_EQ(GetServerTime(0), (NWTime{10, 20, 30, 0}));
  EXPECT_EQ(GetFullName(0, "  jdoe "), "JDOE");
  EXPECT_TRUE(fake_.calls.empty());
  EXPECT_EQ(TNWLib::LastErrorCode(), -1) << "nothing could be asked for the primary connection";
}

TEST_F(CallsLayer, WithoutTheConnectionLibraryTheOlderEntryPointsServe) {
  fake_.libraries.erase("CLXWIN32.DLL");
  TNWLib lib;
  EXPECT_EQ(TNWLib::LastErrorCode(), 0xFFFF);
  EXPECT_FALSE(IsNetAvailable());
  EXPECT_EQ(GetPrimaryConnection(), 7u);
  GetConnectionNumber(0);
  GetServerName(0);
  EXPECT_TRUE(fake_.Called("NWGetConnectionNumber(7)"));
  EXPECT_TRUE(fake_.Called("NWGetFileServerName(7)"));
}

TEST_F(CallsLayer, PrimaryConnectionIsCachedOnlyByTheConstructor) {
  {
    TNWLib lib;
    EXPECT_TRUE(fake_.Called("NWCCOpenConnByRef(70,1,0)"));
    fake_.calls.clear();
    EXPECT_EQ(GetPrimaryConnection(), 7u);
    EXPECT_TRUE(fake_.calls.empty());
  }
  struct Row {
    const char* name;
    const char* missing;
    const char* failing;
    uint32_t connection;
    int32_t lastError;
  };
  const Row rows[] = {
      {"reference and open", nullptr, nullptr, 7, 0},
      {"reference fails: its code is not kept", nullptr, "NWCCGetPrimConnRef", 0, -1},
      {"open fails", nullptr, "NWCCOpenConnByRef", 0, -78},
      {"open missing", "NWCCOpenConnByRef", nullptr, 0, -1},
      {"older entry point", "NWCCGetPrimConnRef", nullptr, 7, 0},
      {"older entry point fails", "NWCCGetPrimConnRef", "NWGetPrimaryConnectionID", 0, -78},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeNetWareClient fake;
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

TEST_F(CallsLayer, ConnectionZeroIsThePrimaryConnectionAndFailuresAreKept) {
  TNWLib lib;
  EXPECT_EQ(GetConnectionNumber(0), 3u);
  EXPECT_EQ(GetConnectionLoginName(0), "JDOE");
  EXPECT_TRUE(fake_.Called("NWGetConnectionInformation(7,3)"));
  fake_.Answer("NWIsManager", 0x89C6);
  EXPECT_FALSE(IsManager(0));
  EXPECT_TRUE(fake_.Called("NWIsManager(7)"));
  EXPECT_TRUE(HasConsolePrivileges(0));
  EXPECT_EQ(TNWLib::LastReturnCode(), 0);
  EXPECT_EQ(lib.LastErrorText(), "89C6") << "a success does not clear it";
}

TEST_F(CallsLayer, ObjectIdsInBinderyAndDirectory) {
  TNWLib lib;
  TNWNDS nds;
  fake_.objectIds[{"JDOE", 256}] = 0xFF000000;
  uint32_t connection = 0;
  EXPECT_EQ(GetObjectID(connection, "jdoe", 256), 0xFF000000u);
  EXPECT_EQ(connection, 7u) << "the caller receives the primary connection";
  EXPECT_EQ(GetObjectIDText(0, "nobody", 256), "0");

  // With the directory first: its answer wins, "0" falls through, an empty text is the answer.
  SetNDSMode(true);
  fake_.directoryIds["JDOE"] = 0x11;
  EXPECT_EQ(GetObjectIDText(0, "jdoe", 256), "11000000");
  fake_.directoryIds["JDOE"] = 0;
  EXPECT_EQ(GetObjectIDText(0, "jdoe", 256), "FF");
  EXPECT_EQ(GetObjectIDText(0, "nobody", 256), "");
}

TEST_F(CallsLayer, OverlongNamesAreRefusedWithoutACall) {
  TNWLib lib;
  fake_.objectIds[{std::string(47, 'N'), 256}] = 5;
  uint32_t connection = 0;
  EXPECT_EQ(GetObjectID(connection, std::string(47, 'n'), 256), 5u);
  const std::string name48(48, 'N');
  fake_.calls.clear();
  EXPECT_EQ(GetObjectID(connection, name48, 256), 0u);
  EXPECT_EQ(GetObjectIDText(0, name48, 256), "0");
  EXPECT_FALSE(SetPreferredServer(name48, connection));
  EXPECT_EQ(GetFullName(0, name48), name48);
  EXPECT_TRUE(fake_.calls.empty());
}

TEST_F(CallsLayer, PreferredServer) {
  struct Row {
    const char* name;
    const char* missing;  // in CLXWIN32
    const char* failing;
    bool opens;
    uint32_t connection;
    uint32_t primaryAfter;
  };
  const Row rows[] = {
      {"newer entry point", nullptr, nullptr, true, 12, 12},
      {"cannot be opened: the cache is emptied", nullptr, nullptr, false, 0, 7},
      {"older entry points", "NWCCSetPrefServerName", nullptr, true, 12, 12},
      {"older entry point fails", "NWCCSetPrefServerName", "NWSetPrimaryConnectionID", true, 0, 7},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeNetWareClient fake;
    if (row.missing != nullptr)
      fake.libraries["CLXWIN32.DLL"].erase(row.missing);
    if (row.failing != nullptr)
      fake.Answer(row.failing, -20);
    if (row.opens)
      fake.serverConnections["FS2"] = 12;
    TNWLib lib;
    TNWNDS nds;
    uint32_t connection = 99;
    EXPECT_EQ(SetPreferredServer("fs2", connection), row.failing == nullptr);
    EXPECT_EQ(connection, row.connection);
    EXPECT_EQ(TNWLib::LastErrorCode(), row.failing == nullptr ? 0 : -20);
    EXPECT_EQ(NDSMode(), row.connection != 0) << "set by what the opened server is";
    EXPECT_EQ(GetPrimaryConnection(), row.primaryAfter);
  }
}

}  // namespace
}  // namespace welcomer
