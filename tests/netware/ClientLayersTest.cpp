#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/NetWareClient.h"
#include "app/StateStore.h"
#include "nds/Nwnds.h"
#include "netware/NWServer.h"
#include "netware/nwbase.h"
#include "netware/nwlib.h"
#include "platform/AsciiText.h"
#include "platform/ClientLibrary.h"
#include "tests/support/ShippedClient.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

using testing::ShippedClient;

// The directory names the user where it is there, else the connection does; destruction
// releases the Unicode tables only where the directory was.
TEST(TNWBase, LoginIDComesFromTheDirectoryElseFromTheConnection) {
  const passwd* user = ::getpwuid(::geteuid());  // the account the client names the user after
  const std::string account = user != nullptr ? user->pw_name : "";
  const std::string typed = "CN=" + account + ".O=LOCAL", upper = UpperCaseAscii(account);
  struct Row {
    const char* name;
    std::string missing, failing;
    int32_t code;
    std::string loginId;
    bool directory;
    const char* directoryError;
  };
  const Row rows[] = {
      {"directory", "", "", 0, typed, true, "0000"},
      {"Unicode tables fail, not recorded", "", "NWInitUnicodeTables", -1, upper, false, "0000"},
      {"no directory server", "", "NWIsDSServer", 0, upper, false, "FFFFFFFF"},
      {"unknown user: an empty name is not canonicalized", "", "NWDSWhoAmI", -1, "", true, "0000"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ShippedClient client;
    client.missing = {row.missing};
    client.Answer(row.failing, row.code);
    {
      TNWBase base;
      EXPECT_EQ(base.NDSAvailable(), row.directory);
      EXPECT_EQ(base.LoginID(), row.loginId);
      EXPECT_EQ(base.NDSContextName(), row.directory ? "[Root]" : "");
      EXPECT_EQ(base.LastError().NWNDS(), row.directoryError);
    }
    EXPECT_EQ(client.Calls("NWDSCanonicalizeName"), row.loginId == typed ? 1 : 0);
    EXPECT_EQ(client.Calls("NWFreeUnicodeTables"), row.directory ? 1 : 0);
  }
}

TEST(TNWBase, AnUnknownServerIsAnErrorOnlyWhenAskedFor) {
  ShippedClient client;
  TNWBase base;
  base.SetSilentExceptions(false);
  EXPECT_NO_THROW(base.SetServerName(LowerCaseAscii(base.ServerName())));
  EXPECT_THROW(base.SetServerName("nowhere"), TNWObjError);
  base.SetSilentExceptions(true);
  base.SetServerName("nowhere");
  EXPECT_EQ(base.ServerHandle(), 1u) << "the known server stays";
}

TEST(NetWareClientFactory, WithoutTheClientSaysWhyAndOnlyEarlierEntriesCount) {
  testing::TempDir empty;
  ShippedClient client(empty.path());
  std::unique_ptr<NetWareClient> netWare = CreateNetWareClient();
  EXPECT_EQ(netWare->LoginID(), "");
  std::vector<std::string> values;
  EXPECT_FALSE(netWare->ReadAttributeValues("", "", TNWDSAttribute::ndsAttrL, values));
  values.push_back("earlier");
  EXPECT_TRUE(netWare->ReadAttributeValues("", "", TNWDSAttribute::ndsAttrL, values));
  const std::string why = netWare->WhyUnusable();
  EXPECT_TRUE(why.starts_with("the directory client could not be loaded: " + empty.path() + "/lib"))
      << why;
  EXPECT_NE(why.find("No such file or directory"), std::string::npos) << why;
}

// A read that reports failure leaves no state, even with values already delivered; a read whose
// continuation fails reports success with what it has.
TEST(NetWareClientFactory, AFailedReadLeavesNoPartialState) {
  struct Row {
    const char* name;
    uint32_t bufferSize;  // 64: one record per result buffer
    std::string failing;
    size_t kept;
  };
  const Row rows[] = {
      {"nothing fails", 64, "", 2},
      {"second value", 0, "NWDSGetAttrVal", 0},
      {"second buffer", 64, "NWDSGetAttrCount", 0},
      {"second buffer's value", 64, "NWDSGetAttrVal", 0},
      {"second read", 64, "NWDSRead", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ShippedClient client;
    std::unique_ptr<NetWareClient> netWare = CreateNetWareClient();
    AddStateEntry(netWare.get(), "Welcomer.RunOnce=x");
    AddStateEntry(netWare.get(), "Welcomer.File.A=1 2");
    client.bufferSize = row.bufferSize;
    client.Answer(row.failing, -601, 2);
    StringList stored;
    ReadStateEntries(netWare.get(), stored);
    EXPECT_EQ(stored.Count(), row.kept);
  }
}

TEST(ClientLibraryLoader, LoadsClientNamesOnlyFromAnAbsoluteFolder) {
  const std::pair<const char*, const char*> names[] = {
      {"NETWIN32.DLL", "libnetwin32.so"}, {"CalWin32.dll", "libcalwin32.so"},
      {"CLXWIN32", "libclxwin32.so"},     {"../NETWIN32.DLL", ""},
      {"sub\\NETWIN32.DLL", ""},          {"", ""}};
  for (const auto& [name, file] : names)
    EXPECT_EQ(ClientLibraryFileName(name), file) << name;
  // A relative folder would depend on the current folder.
  const std::string relative = std::filesystem::relative(WELCOMER_CLIENT_FOLDER).string();
  for (const std::string& folder : {std::string(), relative, "./" + relative})
    EXPECT_EQ(FolderClientLibraryLoader(folder).Load("NETWIN32.DLL"), nullptr) << folder;
  FolderClientLibraryLoader loader(WELCOMER_CLIENT_FOLDER);
  void* module = loader.Load("NETWIN32.DLL");
  ASSERT_NE(module, nullptr);
  EXPECT_NE(loader.Find(module, "NWDSRead"), nullptr);
  EXPECT_EQ(loader.Find(module, "NWDSNoSuchEntryPoint"), nullptr);
  EXPECT_EQ(loader.Find(nullptr, "NWDSRead"), nullptr);
}

// One operation for each way of falling back: a failure value, the name given, nothing called.
TEST(CallsLayer, WithoutTheClientOperationsFallBack) {
  ShippedClient client;
  client.missing = {"CALWIN32.DLL"};
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
  EXPECT_EQ(client.Calls(), 0);
  EXPECT_EQ(TNWLib::LastErrorCode(), -1) << "nothing could be asked for the primary connection";
}

// The constructor caches the primary connection; without it, each use asks through whichever
// entry points there are.
TEST(CallsLayer, PrimaryConnection) {
  {
    ShippedClient client;
    TNWLib lib;
    const int asked = client.Calls("NWCCGetPrimConnRef");
    EXPECT_EQ(GetPrimaryConnection(), 1u);
    EXPECT_EQ(client.Calls("NWCCGetPrimConnRef"), asked);
  }
  struct Row {
    const char* name;
    std::string missing;
    const char* failing;
    uint32_t connection;
    int32_t lastError;
    bool net;
  };
  const Row rows[] = {
      {"reference fails: its code is not kept", "", "NWCCGetPrimConnRef", 0, -1, false},
      {"open fails", "", "NWCCOpenConnByRef", 0, -78, false},
      {"open missing", "NWCCOpenConnByRef", "", 0, -1, false},
      {"older entry point", "NWCCGetPrimConnRef", "", 1, 0, true},
      {"no connection library: the older ones serve", "CLXWIN32.DLL", "", 1, 0xFFFF, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ShippedClient client;
    client.Answer("NWCallsInit", 1);  // leaves the cache empty
    client.missing = {row.missing};
    client.Answer(row.failing, -78);
    TNWLib lib;
    EXPECT_EQ(GetPrimaryConnection(), row.connection);
    EXPECT_EQ(TNWLib::LastErrorCode(), row.lastError);
    EXPECT_EQ(IsNetAvailable(), row.net);
    EXPECT_EQ(GetConnectionNumber(0), row.connection) << "connection 0 is the primary one";
    EXPECT_EQ(GetServerName(0) != "LOCAL", row.connection != 0);
  }
}

TEST(CallsLayer, ConnectionOperations) {
  ShippedClient client;
  TNWLib lib;
  client.Answer("NWIsManager", 0x89C6);
  EXPECT_FALSE(IsManager(0));
  EXPECT_EQ(GetConnectionNumber(0), 1u);
  EXPECT_EQ(TNWLib::LastReturnCode(), 0);
  EXPECT_EQ(lib.LastErrorText(), "89C6") << "a success does not clear it";

  // A server that takes the preference but cannot be opened must not leave the old primary
  // connection cached as if it still were.
  client.Answer("NWCCOpenConnByName", -1);
  client.Answer("NWGetConnectionHandle", -1);
  uint32_t connection = 99;
  EXPECT_TRUE(SetPreferredServer(GetServerName(0), connection));
  EXPECT_EQ(connection, 0u);
  const int asked = client.Calls("NWCCGetPrimConnRef");
  EXPECT_EQ(GetPrimaryConnection(), 1u);
  EXPECT_EQ(client.Calls("NWCCGetPrimConnRef"), asked + 1) << "asked afresh";
}

// A name that does not fit the client's buffer is refused before any call that would carry it
// (a working context may come and go), since a cut name would name another object; the longest
// that fits reaches the client.
TEST(ClientLayers, OverlongNamesAreRefusedWithoutACall) {
  ShippedClient client;
  TNWLib lib;
  TNWNDS nds;
  const std::string n47(47, 'n'), n48(48, 'n'), n127(127, 'c'), n128(128, 'c'), n255(255, 'n'),
      n256(256, 'n');
  constexpr TNWDSAttribute kL = TNWDSAttribute::ndsAttrL;
  AttributeValueList values;
  std::string text;
  uint32_t connection = 0;
  const std::pair<bool, std::function<void()>> rows[] = {
      {false, [&] { EXPECT_FALSE(ReadAttributeValues("", n256, kL, values)); }},
      {false, [&] { EXPECT_FALSE(AddAttributeValue("", n256, kL, "v")); }},
      {false, [&] { EXPECT_FALSE(ReadAttributeText("", n256, kL, text)); }},
      {true, [&] { CanonicalizeName(n255); }},
      {false, [&] { EXPECT_EQ(CanonicalizeName(n256), ""); }},
      {false, [&] { EXPECT_FALSE(SetPreferredDSTree(n256)); }},
      {false, [&] { EXPECT_EQ(ObjectIDText(0, n256), ""); }},
      {false, [&] { EXPECT_FALSE(SetNameContext(n128)); }},
      {false, [&] { EXPECT_FALSE(SelectContext(RootContext(), n128)); }},
      {true, [&] { SetNameContext("  " + n127 + "  "); }},  // trimmed first
      {true, [&] { GetObjectID(connection, n47, 256); }},
      {false, [&] { EXPECT_EQ(GetObjectID(connection, n48, 256), 0u); }},
      {false, [&] { EXPECT_EQ(GetObjectIDText(0, n48, 256), "0"); }},
      {false, [&] { EXPECT_FALSE(SetPreferredServer(n48, connection)); }},
      {false, [&] { EXPECT_EQ(OpenServerConnection(n48), 0u); }},
      {false, [&] { EXPECT_EQ(GetFullName(0, n48), UpperCaseAscii(n48)); }},
  };
  const auto requests = [&client] {
    return client.Calls() - client.Calls("NWDSDuplicateContext") - client.Calls("NWDSFreeContext");
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    const int before = requests();
    rows[i].second();
    EXPECT_EQ(requests() > before, rows[i].first);
  }
}

}  // namespace
}  // namespace welcomer
