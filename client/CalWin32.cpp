// The calls and connection entry points. The local directory has one connection, to this
// machine: handle 1, which is also its connection reference and its connection number.

#include <unistd.h>

#include <cstring>
#include <ctime>

#include "client/EntryPoint.h"
#include "netware/ClientAbi.h"

using namespace welcomer::client;

namespace {

constexpr size_t kServerNameBuffer = 48;
constexpr size_t kPropertyValueBuffer = 128;
constexpr uint16_t kUserObjectType = 0x0100;  // user, in the high-low byte order of the calls
constexpr uint32_t kInfoBroadcastState = 2;
constexpr uint32_t kInfoConnectionNumber = 5;
constexpr uint32_t kInfoServerName = 7;
constexpr uint16_t kLastBroadcastMode = 3;
constexpr uint16_t kDriveCount = 26;

std::string AsciiUpper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The machine's short host name in upper case, as a server name reads; it must fit the
// 48-byte buffers that carry it.
std::string ServerName() {
  char host[256] = {};
  std::string name;
  if (::gethostname(host, sizeof host - 1) == 0)
    name = host;
  name = AsciiUpper(name.substr(0, name.find('.')));
  if (name.empty())
    name = "LOCALHOST";
  return name.substr(0, kServerNameBuffer - 1);
}

void NoteConnection(ClientState& state) {
  if (state.connectedAt == 0)
    state.connectedAt = std::time(nullptr);
}

// Year - 1900, month, day, hour, minute, second, day of the week (0 is Sunday).
void PackDateTime(std::time_t when, uint8_t* out7) {
  struct tm local = {};
  ::localtime_r(&when, &local);
  out7[0] = static_cast<uint8_t>(local.tm_year);
  out7[1] = static_cast<uint8_t>(local.tm_mon + 1);
  out7[2] = static_cast<uint8_t>(local.tm_mday);
  out7[3] = static_cast<uint8_t>(local.tm_hour);
  out7[4] = static_cast<uint8_t>(local.tm_min);
  out7[5] = static_cast<uint8_t>(local.tm_sec);
  out7[6] = static_cast<uint8_t>(local.tm_wday);
}

bool IsLocalServer(const std::string& name) {
  return AsciiLower(name) == AsciiLower(ServerName());
}

// The login name of the connection: the account name, upper-cased as the calls layer spells
// its names.
std::string LoginName(ClientState& state) {
  return AsciiUpper(state.Backend().CurrentAccount().name);
}

int32_t FindUserId(ClientState& state, const std::string& name, uint16_t objectType, uint32_t& id) {
  if (objectType != kUserObjectType || AsciiLower(name) != AsciiLower(LoginName(state)))
    return kNWErrNoSuchEntry;
  DirectoryName user;
  const int32_t result = state.Backend().FindUserObject(user);
  return result != 0 ? result : state.Backend().ObjectId(user, id);
}

}  // namespace

extern "C" {

int32_t NWCallsInit(void*, void*) {
  return Guarded([](ClientState& state) -> int32_t {
    NoteConnection(state);
    return 0;
  });
}

int32_t NWGetPrimaryConnectionID(uint32_t* connection) {
  if (connection == nullptr)
    return kNWErrNullPointer;
  *connection = kLocalConnection;
  return 0;
}

int32_t NWGetConnectionNumber(uint32_t connection, uint16_t* number) {
  if (connection != kLocalConnection)
    return kNWErrNoConnection;
  if (number == nullptr)
    return kNWErrNullPointer;
  *number = static_cast<uint16_t>(kLocalConnection);
  return 0;
}

int32_t NWGetConnectionInformation(uint32_t connection, uint16_t number, char* objectName48,
                                   uint16_t* objectType, uint32_t* objectId, uint8_t* loginTime7) {
  return Guarded([&](ClientState& state) -> int32_t {
    if (connection != kLocalConnection || number != kLocalConnection)
      return kNWErrNoConnection;
    if (objectName48 != nullptr) {
      int32_t result = CopyOut(LoginName(state), objectName48, kServerNameBuffer);
      if (result != 0)
        return result;
    }
    if (objectType != nullptr)
      *objectType = kUserObjectType;
    if (objectId != nullptr) {
      // The ID needs the store; without it the name still serves, with ID 0.
      uint32_t id = 0;
      DirectoryName user;
      if (state.Backend().FindUserObject(user) != 0 || state.Backend().ObjectId(user, id) != 0)
        id = 0;
      *objectId = __builtin_bswap32(id);
    }
    if (loginTime7 != nullptr) {
      NoteConnection(state);
      PackDateTime(state.connectedAt, loginTime7);
    }
    return 0;
  });
}

uint32_t NWLongSwap(uint32_t value) {
  return __builtin_bswap32(value);
}

int32_t NWGetObjectID(uint32_t connection, const char* objectName48, uint16_t objectType,
                      uint32_t* objectId) {
  return Guarded([&](ClientState& state) -> int32_t {
    if (connection != kLocalConnection)
      return kNWErrNoConnection;
    if (objectId == nullptr)
      return kNWErrNullPointer;
    std::string name;
    int32_t result = CopyIn(objectName48, kServerNameBuffer, name);
    uint32_t id = 0;
    if (result == 0)
      result = FindUserId(state, name, objectType, id);
    if (result == 0)
      *objectId = __builtin_bswap32(id);
    return result;
  });
}

int32_t NWCheckConsolePrivileges(uint32_t connection) {
  return Guarded([&](ClientState& state) -> int32_t {
    if (connection != kLocalConnection)
      return kNWErrNoConnection;
    return state.Backend().CurrentAccount().privileged ? 0 : kNWErrNoAccess;
  });
}

int32_t NWIsManager(uint32_t connection) {
  return NWCheckConsolePrivileges(connection);
}

int32_t NWGetFileServerName(uint32_t connection, char* serverName48) {
  if (connection != kLocalConnection)
    return kNWErrNoConnection;
  return CopyOut(ServerName(), serverName48, kServerNameBuffer);
}

int32_t NWGetFileServerDateAndTime(uint32_t connection, uint8_t* dateTime7) {
  if (connection != kLocalConnection)
    return kNWErrNoConnection;
  if (dateTime7 == nullptr)
    return kNWErrNullPointer;
  PackDateTime(std::time(nullptr), dateTime7);
  return 0;
}

int32_t NWGetMaximumConnections(uint16_t* count) {
  if (count == nullptr)
    return kNWErrNullPointer;
  *count = 1;
  return 0;
}

int32_t NWGetConnectionHandle(const char* serverName48, uint16_t, uint32_t* connection, uint16_t*) {
  std::string name;
  int32_t result = CopyIn(serverName48, kServerNameBuffer, name);
  if (result != 0)
    return result;
  if (connection == nullptr)
    return kNWErrNullPointer;
  if (!IsLocalServer(name))
    return kNWErrNoServerFound;
  *connection = kLocalConnection;
  return 0;
}

int32_t NWSetPrimaryConnectionID(uint32_t connection) {
  return connection == kLocalConnection ? 0 : kNWErrNoConnection;
}

int32_t NWSetBroadcastMode(uint32_t connection, uint16_t mode) {
  return Guarded([&](ClientState& state) -> int32_t {
    if (connection != kLocalConnection)
      return kNWErrNoConnection;
    if (mode > kLastBroadcastMode)
      return kNWErrInvalidRequest;
    state.broadcastMode = mode;
    return 0;
  });
}

int32_t NWReadPropertyValue(uint32_t connection, const char* objectName48, uint16_t objectType,
                            const char* propertyName48, uint8_t segment, uint8_t* value128,
                            uint8_t* moreSegments, uint8_t* propertyFlags) {
  return Guarded([&](ClientState& state) -> int32_t {
    if (connection != kLocalConnection)
      return kNWErrNoConnection;
    std::string name;
    std::string property;
    int32_t result = CopyIn(objectName48, kServerNameBuffer, name);
    if (result == 0)
      result = CopyIn(propertyName48, kServerNameBuffer, property);
    if (result != 0)
      return result;
    if (value128 == nullptr)
      return kNWErrNullPointer;
    uint32_t id = 0;
    result = FindUserId(state, name, objectType, id);
    if (result != 0)
      return result;
    // The one property of the user: IDENTIFICATION, the full name, kept in "Full Name".
    if (AsciiUpper(property) != "IDENTIFICATION")
      return kNWErrNoSuchAttribute;
    if (segment != 1)
      return kNWErrNoSuchValue;
    std::vector<Attribute> attributes;
    DirectoryName user;
    result = state.Backend().FindUserObject(user);
    if (result == 0)
      result = state.Backend().Read(user, {"Full Name"}, attributes);
    if (result != 0)
      return result;
    const std::string& fullName = attributes.front().values.front();
    std::memset(value128, 0, kPropertyValueBuffer);
    std::memcpy(value128, fullName.data(), std::min(fullName.size(), kPropertyValueBuffer - 1));
    if (moreSegments != nullptr)
      *moreSegments = 0;
    if (propertyFlags != nullptr)
      *propertyFlags = 0;
    return 0;
  });
}

int32_t NWGetFirstDrive(uint16_t* drive) {
  if (drive == nullptr)
    return kNWErrNullPointer;
  // The local directory maps no network drives.
  *drive = 0;
  return kNWErrNoSuchEntry;
}

int32_t NWGetDriveStatus(uint16_t drive, uint16_t, uint16_t* status, uint32_t* connection,
                         char* rootPath256, char* relativePath256, char* fullPath256) {
  if (drive < 1 || drive > kDriveCount)
    return kNWErrInvalidRequest;
  // Every drive is free: none is mapped to this directory's connection.
  if (status != nullptr)
    *status = 0;
  if (connection != nullptr)
    *connection = 0;
  for (char* path : {rootPath256, relativePath256, fullPath256})
    if (path != nullptr)
      path[0] = '\0';
  return 0;
}

int32_t NWSetNetWareErrorMode(uint8_t mode, uint8_t* previousMode) {
  return Guarded([&](ClientState& state) -> int32_t {
    if (previousMode != nullptr)
      *previousMode = state.errorMode;
    state.errorMode = mode;
    return 0;
  });
}

int32_t NWGetFileServerInformation(uint32_t connection, char* serverName48, uint8_t* majorVersion,
                                   uint8_t* minorVersion, uint8_t* revision,
                                   uint16_t* maxConnections, uint16_t* peakConnections,
                                   uint16_t* connectionsInUse, uint16_t* volumes, uint8_t* sftLevel,
                                   uint8_t* ttsLevel) {
  if (connection != kLocalConnection)
    return kNWErrNoConnection;
  if (serverName48 != nullptr) {
    int32_t result = CopyOut(ServerName(), serverName48, kServerNameBuffer);
    if (result != 0)
      return result;
  }
  // The version is the client's own: the "server" is this library.
  const std::pair<uint8_t*, uint8_t> bytes[] = {{majorVersion, WELCOMER_VERSION_MAJOR},
                                                {minorVersion, WELCOMER_VERSION_MINOR},
                                                {revision, 0},
                                                {sftLevel, 0},
                                                {ttsLevel, 0}};
  for (const auto& [out, value] : bytes)
    if (out != nullptr)
      *out = value;
  const std::pair<uint16_t*, uint16_t> words[] = {
      {maxConnections, 1}, {peakConnections, 1}, {connectionsInUse, 1}, {volumes, 0}};
  for (const auto& [out, value] : words)
    if (out != nullptr)
      *out = value;
  return 0;
}

int32_t NWGetFileServerInfo(uint32_t connection, uint8_t* reply160) {
  if (connection != kLocalConnection)
    return kNWErrNoConnection;
  if (reply160 == nullptr)
    return kNWErrNullPointer;
  std::memset(reply160, 0, 160);
  return 0;
}

int32_t NWSetFileServerDateAndTime(uint32_t connection, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t,
                                   uint8_t) {
  if (connection != kLocalConnection)
    return kNWErrNoConnection;
  // The "server" is this machine; its clock is not the directory's to set.
  return kNWErrNoAccess;
}

int32_t NWCCGetConnInfo(uint32_t connection, uint32_t infoType, uint32_t length, void* buffer) {
  return Guarded([&](ClientState& state) -> int32_t {
    if (connection != kLocalConnection)
      return kNWErrNoConnection;
    if (buffer == nullptr)
      return kNWErrNullPointer;
    switch (infoType) {
      case kInfoBroadcastState:
        if (length < sizeof(uint16_t))
          return kNWErrBufferFull;
        std::memcpy(buffer, &state.broadcastMode, sizeof(uint16_t));
        return 0;
      case kInfoConnectionNumber: {
        if (length < sizeof(uint32_t))
          return kNWErrBufferFull;
        const uint32_t number = kLocalConnection;
        std::memcpy(buffer, &number, sizeof number);
        return 0;
      }
      case kInfoServerName:
        return CopyOut(ServerName(), static_cast<char*>(buffer), length);
      default:
        return kNWErrInvalidRequest;
    }
  });
}

int32_t NWCCGetPrimConnRef(uint32_t* connectionRef) {
  if (connectionRef == nullptr)
    return kNWErrNullPointer;
  *connectionRef = kLocalConnection;
  return 0;
}

int32_t NWCCOpenConnByRef(uint32_t connectionRef, uint32_t, uint32_t, uint32_t* connection) {
  if (connection == nullptr)
    return kNWErrNullPointer;
  if (connectionRef != kLocalConnection)
    return kNWErrNoConnection;
  *connection = kLocalConnection;
  return 0;
}

int32_t NWCCSetPrefServerName(const char* serverName48) {
  std::string name;
  int32_t result = CopyIn(serverName48, kServerNameBuffer, name);
  if (result != 0)
    return result;
  return IsLocalServer(name) ? 0 : kNWErrNoServerFound;
}

int32_t NWCCOpenConnByName(uint32_t, const char* name48, uint32_t, uint32_t, uint32_t,
                           uint32_t* connection) {
  return Guarded([&](ClientState& state) -> int32_t {
    std::string name;
    int32_t result = CopyIn(name48, kServerNameBuffer, name);
    if (result != 0)
      return result;
    if (connection == nullptr)
      return kNWErrNullPointer;
    if (!IsLocalServer(name) && AsciiLower(name) != AsciiLower(state.Backend().TreeName()))
      return kNWErrNoServerFound;
    *connection = kLocalConnection;
    return 0;
  });
}

}  // extern "C"
