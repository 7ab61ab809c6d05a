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

TEST_F(CallsLayer, WithoutTheClientEveryOperationFallsBack) {
  fake_.RemoveLibrary("CALWIN32.DLL");
  TNWLib lib;
  EXPECT_EQ(TNWLib::LastErrorCode(), 0xFFFF);
  EXPECT_EQ(lib.LastErrorText(), "FFFF");
  EXPECT_TRUE(fake_.lookups.empty()) << "the connection library is not even tried";
  EXPECT_FALSE(IsNetAvailable());
  EXPECT_EQ(LongSwap(0x01020304), 0u);

  EXPECT_EQ(GetPrimaryConnection(), 0u);
  EXPECT_EQ(lib.LastErrorText(), "FFFFFFFF");
  uint32_t connection = 0;
  EXPECT_EQ(GetConnectionNumber(0), 0u);
  EXPECT_EQ(GetConnectionLoginName(0), "");
  EXPECT_EQ(GetObjectID(connection, "JDOE", 256), 0u);
  EXPECT_EQ(GetObjectIDText(0, "JDOE", 256), "0");
  EXPECT_EQ(DetectObjectType(0, "JDOE"), 0u);
  EXPECT_FALSE(HasConsolePrivileges(0));
  EXPECT_FALSE(IsManager(0));
  EXPECT_EQ(GetServerName(0), "LOCAL");
  EXPECT_EQ(GetServerDate(0), (NWDate{2026, 12, 6}));
  EXPECT_EQ(GetServerTime(0), (NWTime{10, 20, 30, 0}));
  EXPECT_EQ(GetMaxConnections(), 0u);
  EXPECT_FALSE(SetPreferredServer("FS2", connection));
  EXPECT_EQ(GetBroadcastMode(0), 0u);
  EXPECT_FALSE(SetBroadcastMode(0, 2));
  EXPECT_EQ(GetFullName(0, "  jdoe "), "JDOE");
  EXPECT_EQ(GetFirstNetworkDrive(), '\0');
  EXPECT_EQ(GetNextFreeDrive(), '\0');
  EXPECT_EQ(SetErrorMode(1), 0u);
  EXPECT_TRUE(fake_.calls.empty());
  EXPECT_EQ(TNWLib::LastErrorCode(), -1);
}

TEST_F(CallsLayer, WithoutTheConnectionLibraryTheCallsLibraryStillServes) {
  fake_.RemoveLibrary("CLXWIN32.DLL");
  TNWLib lib;
  EXPECT_EQ(TNWLib::LastErrorCode(), 0xFFFF);
  EXPECT_EQ(fake_.CountOf("NWCallsInit"), 0);
  EXPECT_FALSE(IsNetAvailable());
  EXPECT_EQ(GetPrimaryConnection(), 7u);
  EXPECT_EQ(GetPrimaryConnection(), 7u);
  EXPECT_EQ(fake_.CountOf("NWGetPrimaryConnectionID"), 2) << "nothing is cached";
  EXPECT_EQ(GetConnectionNumber(0), 3u) << "through NWGetConnectionNumber";
  EXPECT_EQ(GetServerName(0), "FS1") << "through NWGetFileServerName";
}

TEST_F(CallsLayer, ConstructorCachesThePrimaryConnection) {
  TNWLib lib;
  EXPECT_TRUE(fake_.Called("NWCCOpenConnByRef(70,1,0)"));
  fake_.calls.clear();
  EXPECT_EQ(GetPrimaryConnection(), 7u);
  EXPECT_TRUE(IsNetAvailable());
  EXPECT_TRUE(fake_.calls.empty());
  EXPECT_EQ(TNWLib::LastErrorCode(), 0);
}

TEST_F(CallsLayer, PrimaryConnectionOutcomes) {
  struct Row {
    const char* name;
    const char* missing;
    const char* failing;
    int32_t code;
    uint32_t connection;
    int32_t lastError;
  };
  const Row rows[] = {
      {"reference and open", nullptr, nullptr, 0, 7, 0},
      {"reference fails: its code is not kept", nullptr, "NWCCGetPrimConnRef", -77, 0, -1},
      {"open fails", nullptr, "NWCCOpenConnByRef", -78, 0, -78},
      {"open missing", "NWCCOpenConnByRef", nullptr, 0, 0, -1},
      {"older entry point", "NWCCGetPrimConnRef", nullptr, 0, 7, 0},
      {"older entry point fails", "NWCCGetPrimConnRef", "NWGetPrimaryConnectionID", -79, 0, -79},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeNetWareClient fake;
    fake.Answer("NWCallsInit", 1);  // leaves the cache empty
    if (row.missing != nullptr)
      fake.RemoveEntryPoint("CLXWIN32.DLL", row.missing);
    if (row.failing != nullptr)
      fake.Answer(row.failing, row.code);
    TNWLib lib;
    EXPECT_EQ(GetPrimaryConnection(), row.connection);
    EXPECT_EQ(TNWLib::LastErrorCode(), row.lastError);
    GetPrimaryConnection();
    const bool newer = row.missing == nullptr || std::string(row.missing) != "NWCCGetPrimConnRef";
    EXPECT_EQ(fake.CountOf("NWCCGetPrimConnRef"), newer ? 2 : 0);
  }
}

TEST_F(CallsLayer, OpenByReferenceIsLookedUpOnEveryPass) {
  fake_.Answer("NWCallsInit", 1);
  TNWLib lib;
  GetPrimaryConnection();
  GetPrimaryConnection();
  EXPECT_EQ(fake_.LookupsOf("NWCCOpenConnByRef"), 2);
  EXPECT_EQ(fake_.LookupsOf("NWCCGetPrimConnRef"), 1);
}

TEST_F(CallsLayer, RecordingKeepsTheLatestFailure) {
  TNWLib lib;
  fake_.Answer("NWIsManager", 0x89C6);
  EXPECT_FALSE(IsManager(0));
  EXPECT_TRUE(fake_.Called("NWIsManager(7)"));
  EXPECT_TRUE(HasConsolePrivileges(0));
  EXPECT_EQ(TNWLib::LastReturnCode(), 0);
  EXPECT_EQ(TNWLib::LastErrorCode(), 0x89C6) << "a success does not clear it";
  EXPECT_EQ(lib.LastErrorText(), "89C6");
}

TEST_F(CallsLayer, ConnectionNumberAndLoginName) {
  TNWLib lib;
  EXPECT_EQ(GetConnectionNumber(0), 3u);
  EXPECT_TRUE(fake_.Called("NWCCGetConnInfo(7,5,4)"));
  EXPECT_EQ(GetConnectionLoginName(0), "JDOE");
  EXPECT_TRUE(fake_.Called("NWGetConnectionInformation(7,3)"));

  fake_.Answer("NWGetConnectionInformation", -9);
  EXPECT_EQ(GetConnectionLoginName(0), "");
  EXPECT_EQ(TNWLib::LastErrorCode(), -9);
  fake_.Answer("NWCCGetConnInfo", -10);
  EXPECT_EQ(GetConnectionNumber(0), 0u);
  EXPECT_EQ(TNWLib::LastErrorCode(), -10);
}

TEST_F(CallsLayer, LoginNameWithoutItsEntryPointAsksNothing) {
  fake_.RemoveEntryPoint("CALWIN32.DLL", "NWGetConnectionInformation");
  TNWLib lib;
  fake_.calls.clear();
  EXPECT_EQ(GetConnectionLoginName(0), "");
  EXPECT_TRUE(fake_.calls.empty());
  EXPECT_EQ(TNWLib::LastErrorCode(), 0) << "a missing entry point is not recorded";
}

TEST_F(CallsLayer, ObjectIdsInBinderyAndDirectory) {
  TNWLib lib;
  TNWNDS nds;
  fake_.objectIds[{"JDOE", 256}] = 0xFF000000;
  uint32_t connection = 0;
  EXPECT_EQ(GetObjectID(connection, "jdoe", 256), 0xFF000000u);
  EXPECT_EQ(connection, 7u) << "the caller receives the primary connection";
  EXPECT_EQ(GetObjectIDText(0, "jdoe", 256), "FF");
  EXPECT_EQ(GetObjectIDText(0, "nobody", 256), "0");
  EXPECT_EQ(TNWLib::LastErrorCode(), 0) << "the text look-up records nothing";
  EXPECT_EQ(GetObjectID(connection, "nobody", 256), 0u);
  EXPECT_EQ(TNWLib::LastErrorCode(), 0x89FC);

  // With the directory first: its answer wins, "0" falls through, an empty text is the answer.
  SetNDSMode(true);
  fake_.directoryIds["JDOE"] = 0x11;
  EXPECT_EQ(GetObjectID(connection, "jdoe", 256), 0x11u);
  EXPECT_EQ(GetObjectIDText(0, "jdoe", 256), "11000000");
  fake_.directoryIds["JDOE"] = 0;
  EXPECT_EQ(GetObjectIDText(0, "jdoe", 256), "FF");
  EXPECT_EQ(GetObjectIDText(0, "nobody", 256), "");
}

TEST_F(CallsLayer, DetectObjectTypeTriesPrintServerBeforeFileServer) {
  TNWLib lib;
  fake_.objectIds[{"PS1", 1024}] = 1;
  fake_.objectIds[{"PS1", 1792}] = 2;
  fake_.objectIds[{"Q1", 9984}] = 3;
  EXPECT_EQ(DetectObjectType(0, "ps1"), 1792u);
  EXPECT_EQ(DetectObjectType(0, "q1"), 9984u);
  EXPECT_EQ(DetectObjectType(0, "none"), 0u);
  EXPECT_EQ(TNWLib::LastErrorCode(), 0x89FC);
  EXPECT_TRUE(fake_.Called("NWGetObjectID(7,NONE,9984)")) << "the last attempt";
}

TEST_F(CallsLayer, OverlongNamesAreRefusedWithoutACall) {
  TNWLib lib;
  const std::string name48(48, 'N');
  fake_.objectIds[{std::string(47, 'N'), 256}] = 5;
  uint32_t connection = 0;
  EXPECT_EQ(GetObjectID(connection, std::string(47, 'n'), 256), 5u);
  fake_.calls.clear();
  EXPECT_EQ(GetObjectID(connection, name48, 256), 0u);
  EXPECT_EQ(GetObjectIDText(0, name48, 256), "0");
  EXPECT_FALSE(SetPreferredServer(name48, connection));
  EXPECT_EQ(GetFullName(0, name48), name48);
  EXPECT_TRUE(fake_.calls.empty());
}

TEST_F(CallsLayer, ServerNameDateAndTime) {
  TNWLib lib;
  EXPECT_EQ(GetServerName(0), "FS1");
  EXPECT_TRUE(fake_.Called("NWCCGetConnInfo(7,7,48)"));
  struct Row {
    uint8_t yearByte;
    int year;
  };
  for (const Row row : {Row{99, 1999}, Row{100, 2000}, Row{126, 2026}}) {
    fake_.serverDateTime[0] = row.yearByte;
    EXPECT_EQ(GetServerDate(0), (NWDate{row.year, 12, 6}));
  }
  EXPECT_EQ(GetServerTime(0), (NWTime{9, 30, 15, 0}));

  fake_.Answer("NWGetFileServerDateAndTime", -3);
  EXPECT_EQ(GetServerDate(0), (NWDate{2026, 12, 6}));
  EXPECT_EQ(GetServerTime(0), (NWTime{10, 20, 30, 0}));
  EXPECT_EQ(TNWLib::LastErrorCode(), -3);
  fake_.Answer("NWCCGetConnInfo", -4);
  EXPECT_EQ(GetServerName(0), "LOCAL");
}

TEST_F(CallsLayer, ConnectionInfoEntryPointIsSharedBetweenTheLibraries) {
  TNWLib lib;
  fake_.broadcastState = 2;
  fake_.RemoveEntryPoint("CLXWIN32.DLL", "NWCCGetConnInfo");
  EXPECT_EQ(GetBroadcastMode(0), 2u);
  EXPECT_EQ(GetServerName(0), "FS1");
  EXPECT_TRUE(fake_.Called("NWCCGetConnInfo(7,7,48)")) << "the calls library's one serves";
  EXPECT_EQ(fake_.CountOf("NWGetFileServerName"), 0);
}

TEST_F(CallsLayer, PreferredServer) {
  struct Row {
    const char* name;
    const char* missing;  // in CLXWIN32
    const char* failing;
    bool opens;
    bool result;
    uint32_t connection;
    uint32_t primaryAfter;
    bool primaryCached;
  };
  const Row rows[] = {
      {"newer entry point", nullptr, nullptr, true, true, 12, 12, true},
      {"cannot be opened: cache left empty", nullptr, nullptr, false, true, 0, 7, false},
      {"newer entry point fails", nullptr, "NWCCSetPrefServerName", true, false, 0, 7, true},
      {"older entry points", "NWCCSetPrefServerName", nullptr, true, true, 12, 12, true},
      {"older entry point fails", "NWCCSetPrefServerName", "NWSetPrimaryConnectionID", true, false,
       0, 7, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeNetWareClient fake;
    if (row.missing != nullptr)
      fake.RemoveEntryPoint("CLXWIN32.DLL", row.missing);
    if (row.failing != nullptr)
      fake.Answer(row.failing, -20);
    if (row.opens)
      fake.serverConnections["FS2"] = 12;
    TNWLib lib;
    TNWNDS nds;
    uint32_t connection = 99;
    EXPECT_EQ(SetPreferredServer("fs2", connection), row.result);
    EXPECT_EQ(connection, row.connection);
    EXPECT_EQ(TNWLib::LastErrorCode(), row.result ? 0 : -20);
    if (row.missing == nullptr && row.result) {
      EXPECT_TRUE(fake.Called("NWCCSetPrefServerName(fs2)")) << "the name goes unchanged";
    }
    EXPECT_EQ(fake.Called("NWIsDSServer(12)"), row.connection != 0);
    EXPECT_EQ(NDSMode(), row.connection != 0);
    fake.calls.clear();
    EXPECT_EQ(GetPrimaryConnection(), row.primaryAfter);
    EXPECT_EQ(fake.calls.empty(), row.primaryCached);
  }
}

TEST_F(CallsLayer, FullName) {
  TNWLib lib;
  fake_.objectIds[{"JDOE", 256}] = 1;
  fake_.fullNames["JDOE"] = "Jane Doe";
  EXPECT_EQ(GetFullName(0, " jdoe "), "Jane Doe");
  EXPECT_TRUE(fake_.Called("NWReadPropertyValue(7,JDOE,256,IDENTIFICATION,1)"));
  EXPECT_EQ(GetFullName(0, "other"), "OTHER");

  TNWNDS nds;
  SetNDSMode(true);
  fake_.objects["CN=JDOE.O=ORG"]["FULL NAME"] = {"Jane Q. Doe"};
  EXPECT_EQ(GetFullName(0, "CN=jdoe.O=org"), "Jane Q. Doe");
}

TEST_F(CallsLayer, Drives) {
  TNWLib lib;
  EXPECT_EQ(GetFirstNetworkDrive(), 'F');
  fake_.drivesInUse = {6, 7};
  EXPECT_EQ(GetNextFreeDrive(), 'H');
  EXPECT_TRUE(fake_.Called("NWGetDriveStatus(8,0)"));
  for (uint16_t drive = 6; drive <= 26; ++drive)
    fake_.drivesInUse.push_back(drive);
  EXPECT_EQ(GetNextFreeDrive(), '\0');
  EXPECT_EQ(fake_.CountOf("NWGetDriveStatus(26,0)"), 1);
  fake_.Answer("NWGetFirstDrive", -1);
  fake_.calls.clear();
  EXPECT_EQ(GetNextFreeDrive(), '\0');
  EXPECT_EQ(fake_.CountOf("NWGetDriveStatus"), 0);
}

TEST_F(CallsLayer, ErrorModeGivesThePreviousMode) {
  TNWLib lib;
  fake_.errorMode = 2;
  EXPECT_EQ(SetErrorMode(1), 2u);
  EXPECT_EQ(SetErrorMode(0), 1u);
  fake_.Answer("NWSetNetWareErrorMode", -2);
  EXPECT_EQ(SetErrorMode(1), 0u);
  EXPECT_EQ(TNWLib::LastErrorCode(), -2);
}

}  // namespace
}  // namespace welcomer
