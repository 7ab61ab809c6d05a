#include <gtest/gtest.h>

#include <string>

#include "netware/NWServer.h"
#include "netware/nwlib.h"
#include "tests/support/FakeNetWareClient.h"

namespace welcomer {
namespace {

using testing::FakeNetWareClient;

class ServerLayer : public ::testing::Test {
 protected:
  FakeNetWareClient fake_;
  TNWLib lib_;
};

TEST_F(ServerLayer, ServerInfoByVersion) {
  struct Row {
    uint8_t major;
    uint8_t minor;
    const char* version;
    bool extendedRequest;
    uint32_t word;
    uint8_t byte24;
    uint32_t firstCounter;
  };
  const Row rows[] = {{3, 12, "3.12", false, 0, 0, 0},
                      {4, 11, "4.11", true, 0x03020100, 24, 0x8F8E8D8C},
                      {5, 0, "5.0", true, 0x03020100, 24, 0x8F8E8D8C}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.version);
    fake_.majorVersion = row.major;
    fake_.minorVersion = row.minor;
    fake_.calls.clear();
    TNWServerInfo info;
    EXPECT_TRUE(GetServerInfo(0, info));
    EXPECT_EQ(info.versionText, row.version);
    EXPECT_EQ(fake_.Called("NWGetFileServerInfo(7)"), row.extendedRequest);
    EXPECT_EQ(info.serverInformationWord, row.word);
    EXPECT_EQ(info.serverInformationByte, row.byte24);
    EXPECT_EQ(info.firstCounter, row.firstCounter);
    EXPECT_EQ(info.serverName, "FS1");
    EXPECT_EQ(info.maxConnections, 250u);
    EXPECT_EQ(info.connectionsInUse, 12u);
    EXPECT_EQ(info.peakConnections, 40u);
  }
}

TEST_F(ServerLayer, ServerInfoFailures) {
  TNWServerInfo info;
  info.versionText = "untouched";
  fake_.Answer("NWGetFileServerInformation", -1);
  EXPECT_FALSE(GetServerInfo(0, info));
  EXPECT_EQ(info.versionText, "untouched");
  EXPECT_EQ(TNWServer::LastErrorCode(), 0) << "not recorded";

  fake_.Answer("NWGetFileServerInformation", 0);
  fake_.Answer("NWGetFileServerInfo", -2);
  EXPECT_FALSE(GetServerInfo(0, info));
  EXPECT_EQ(info.versionText, "4.11") << "filled all the same";
  EXPECT_EQ(TNWServer::LastErrorCode(), 0);
}

TEST_F(ServerLayer, ServerInfoNeedsBothEntryPoints) {
  FakeNetWareClient fake;
  fake.RemoveEntryPoint("CALWIN32.DLL", "NWGetFileServerInfo");
  TNWLib lib;
  TNWServerInfo info;
  EXPECT_FALSE(GetServerInfo(0, info));
  EXPECT_EQ(fake.CountOf("NWGetFileServerInformation"), 0);
}

TEST_F(ServerLayer, SetServerDateTimeSendsYearsSince1900) {
  EXPECT_TRUE(SetServerDateTime(0, LocalDateTime{2001, 1, 2, 9, 5, 7}));
  EXPECT_TRUE(fake_.Called("NWSetFileServerDateAndTime(7,101,1,2,9,5,7)"));
  EXPECT_TRUE(SetServerDateTime(3, LocalDateTime{1999, 12, 31, 23, 59, 58}));
  EXPECT_TRUE(fake_.Called("NWSetFileServerDateAndTime(3,99,12,31,23,59,58)"));
  fake_.Answer("NWSetFileServerDateAndTime", -7);
  EXPECT_FALSE(SetServerDateTime(0, LocalDateTime{}));
  EXPECT_EQ(TNWServer::LastErrorCode(), -7);
  EXPECT_EQ(TNWServer().LastErrorText(), "FFFFFFF9");
}

TEST_F(ServerLayer, OpenServerConnection) {
  fake_.serverConnections["FS2"] = 12;
  EXPECT_EQ(OpenServerConnection("fs2"), 12u);
  EXPECT_TRUE(fake_.Called("NWCCOpenConnByName(0,FS2,2,1,0)"));
  EXPECT_EQ(fake_.CountOf("NWGetConnectionHandle"), 0);

  fake_.Answer("NWCCOpenConnByName", -1);
  EXPECT_EQ(OpenServerConnection("fs2"), 12u) << "the older entry point takes over";
  EXPECT_TRUE(fake_.Called("NWGetConnectionHandle(FS2)"));

  EXPECT_EQ(OpenServerConnection("nowhere"), 0u);
  EXPECT_EQ(TNWServer::LastErrorCode(), 0x89FC);

  fake_.calls.clear();
  EXPECT_EQ(OpenServerConnection(std::string(48, 's')), 0u) << "too long for its buffer";
  EXPECT_TRUE(fake_.calls.empty());
}

TEST_F(ServerLayer, WithoutTheClientEverythingFails) {
  FakeNetWareClient fake;
  fake.RemoveLibrary("CALWIN32.DLL");
  TNWLib lib;
  TNWServerInfo info;
  EXPECT_FALSE(GetServerInfo(0, info));
  EXPECT_FALSE(SetServerDateTime(0, LocalDateTime{}));
  EXPECT_EQ(OpenServerConnection("FS2"), 0u);
  EXPECT_TRUE(fake.calls.empty());
}

}  // namespace
}  // namespace welcomer
