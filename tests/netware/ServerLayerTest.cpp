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

TEST_F(ServerLayer, ServerInfoFailureLeavesTheDescriptionAndIsNotRecorded) {
  TNWServerInfo info;
  info.versionText = "untouched";
  fake_.Answer("NWGetFileServerInformation", -1);
  EXPECT_FALSE(GetServerInfo(0, info));
  EXPECT_EQ(info.versionText, "untouched");
  EXPECT_EQ(TNWServer::LastErrorCode(), 0);
}

TEST_F(ServerLayer, SetServerDateTimeSendsYearsSince1900) {
  EXPECT_TRUE(SetServerDateTime(0, LocalDateTime{2001, 1, 2, 9, 5, 7}));
  EXPECT_TRUE(fake_.Called("NWSetFileServerDateAndTime(7,101,1,2,9,5,7)"));
  fake_.Answer("NWSetFileServerDateAndTime", -7);
  EXPECT_FALSE(SetServerDateTime(3, LocalDateTime{1999, 12, 31, 23, 59, 58}));
  EXPECT_TRUE(fake_.Called("NWSetFileServerDateAndTime(3,99,12,31,23,59,58)"));
  EXPECT_EQ(TNWServer().LastErrorText(), "FFFFFFF9");
}

TEST_F(ServerLayer, OpenServerConnectionFallsBackToTheOlderEntryPoint) {
  fake_.serverConnections["FS2"] = 12;
  EXPECT_EQ(OpenServerConnection("fs2"), 12u);
  EXPECT_TRUE(fake_.Called("NWCCOpenConnByName(0,FS2,2,1,0)"));
  EXPECT_EQ(fake_.CountOf("NWGetConnectionHandle"), 0);
  fake_.Answer("NWCCOpenConnByName", -1);
  EXPECT_EQ(OpenServerConnection("fs2"), 12u);
  EXPECT_TRUE(fake_.Called("NWGetConnectionHandle(FS2)"));
  EXPECT_EQ(OpenServerConnection("nowhere"), 0u);
  EXPECT_EQ(TNWServer::LastErrorCode(), 0x89FC);
  fake_.calls.clear();
  EXPECT_EQ(OpenServerConnection(std::string(48, 's')), 0u) << "too long for its buffer";
  EXPECT_TRUE(fake_.calls.empty());
}

TEST(ServerLayerWithoutTheClient, EverythingFailsWithoutACall) {
  {
    FakeNetWareClient fake;
    fake.libraries["CALWIN32.DLL"].erase("NWGetFileServerInfo");
    TNWLib lib;
    TNWServerInfo info;
    EXPECT_FALSE(GetServerInfo(0, info)) << "it needs both its entry points";
    EXPECT_EQ(fake.CountOf("NWGetFileServerInformation"), 0);
  }
  FakeNetWareClient fake;
  fake.libraries.erase("CALWIN32.DLL");
  TNWLib lib;
  TNWServerInfo info;
  EXPECT_FALSE(GetServerInfo(0, info));
  EXPECT_FALSE(SetServerDateTime(0, LocalDateTime{}));
  EXPECT_EQ(OpenServerConnection("FS2"), 0u);
  EXPECT_TRUE(fake.calls.empty());
}

}  // namespace
}  // namespace welcomer
