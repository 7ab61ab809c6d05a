#include "netware/nwlib.h"

#include "nds/Nwnds.h"
#include "netware/CallsEntryPoints.h"
#include "netware/ClientBinding.h"
#include "netware/NWServer.h"
#include "netware/Nwtools.h"
#include "platform/AsciiText.h"
#include "platform/Clock.h"

namespace welcomer {
namespace {

Clock* installedClock = nullptr;

LocalDateTime LocalNow() {
  if (installedClock != nullptr)
    return installedClock->Now();
  SystemClock clock;
  return clock.Now();
}

void Record(int32_t code) {
  CallsLayer().Record(code);
}

CallsEntryPoints& Entry() {
  return CallsLayer().entry;
}

// The object types DetectObjectType tries, in its order: print server before file server.
constexpr uint16_t kDetectedTypes[] = {256,  512,  768,  1792, 1024, 1280, 1536,
                                       2048, 2304, 2560, 2816, 8448, 9728, 9984};

}  // namespace

Clock* SetCallsClock(Clock* clock) {
  Clock* previous = installedClock;
  installedClock = clock;
  return previous;
}

// ---- Connection operations ---------------------------------------------------------------

uint16_t GetConnectionNumber(uint32_t connection) {
  int32_t code = -1;
  uint32_t number = 0;
  connection = PrimaryWhenZero(connection);
  if (BindEntryPoint(ConnectionLibraryModule(), "NWCCGetConnInfo", Entry().NWCCGetConnInfo)) {
    code = Entry().NWCCGetConnInfo(connection, 5, sizeof number, &number);
  } else if (const auto ask = WELCOMER_CALLS_LOOK_UP(calls, NWGetConnectionNumber)) {
    uint16_t shortNumber = 0;
    code = ask(connection, &shortNumber);
    number = shortNumber;
  }
  Record(code);
  return code == 0 ? static_cast<uint16_t>(number & 0xFFFF) : 0;
}

std::string GetConnectionLoginName(uint32_t connection) {
  if (!WELCOMER_CALLS_BIND(calls, NWGetConnectionInformation))
    return std::string();
  connection = PrimaryWhenZero(connection);
  const uint16_t number = GetConnectionNumber(connection);
  char name[48] = {};
  uint16_t objectType = 1;
  uint32_t objectId = 0;
  uint8_t loginTime[7] = {};
  const int32_t code = Entry().NWGetConnectionInformation(connection, number, name, &objectType,
                                                          &objectId, loginTime);
  Record(code);
  return code == 0 ? TextOf(name) : std::string();
}

uint32_t GetObjectID(uint32_t& connection, const std::string& objectName, uint16_t objectType) {
  connection = PrimaryWhenZero(connection);
  const std::string upper = UpperCaseAscii(objectName);
  if (NDSMode()) {
    uint32_t directoryConnection = 0;
    if (const uint32_t id = AuditObjectID(directoryConnection, upper); id != 0)
      return id;
  }
  if (!WELCOMER_CALLS_BIND(calls, NWGetObjectID))
    return 0;
  char name[48];
  if (!CopyToBuffer(upper, name))
    return 0;
  uint32_t id = 0;
  const int32_t code = Entry().NWGetObjectID(connection, name, objectType, &id);
  Record(code);
  return code == 0 ? id : 0;
}

std::string GetObjectIDText(uint32_t connection, const std::string& objectName,
                            uint16_t objectType) {
  if (NDSMode()) {
    // Only "0" falls through to the bindery: an empty text (a failed look-up) is the answer.
    std::string text = ObjectIDText(connection, objectName);
    if (text != "0")
      return text;
  }
  if (!WELCOMER_CALLS_BIND(calls, NWGetObjectID))
    return "0";
  connection = PrimaryWhenZero(connection);
  char name[48];
  if (!CopyToBuffer(UpperCaseAscii(objectName), name))
    return "0";
  uint32_t id = 0;
  if (Entry().NWGetObjectID(connection, name, objectType, &id) != 0)
    return "0";
  return IdText(LongSwap(id));
}

uint16_t DetectObjectType(uint32_t connection, const std::string& objectName) {
  connection = PrimaryWhenZero(connection);
  for (const uint16_t type : kDetectedTypes) {
    uint32_t attempt = connection;
    if (GetObjectID(attempt, objectName, type) != 0)
      return type;
  }
  return 0;
}

bool HasConsolePrivileges(uint32_t connection) {
  if (!WELCOMER_CALLS_BIND(calls, NWCheckConsolePrivileges))
    return false;
  const int32_t code = Entry().NWCheckConsolePrivileges(PrimaryWhenZero(connection));
  Record(code);
  return code == 0;
}

bool IsManager(uint32_t connection) {
  if (!WELCOMER_CALLS_BIND(calls, NWIsManager))
    return false;
  const int32_t code = Entry().NWIsManager(PrimaryWhenZero(connection));
  Record(code);
  return code == 0;
}

std::string GetServerName(uint32_t connection) {
  int32_t code = -1;
  connection = PrimaryWhenZero(connection);
  char name[48] = {};
  if (BindEntryPoint(ConnectionLibraryModule(), "NWCCGetConnInfo", Entry().NWCCGetConnInfo)) {
    code = Entry().NWCCGetConnInfo(connection, 7, sizeof name, name);
  } else if (WELCOMER_CALLS_BIND(calls, NWGetFileServerName)) {
    code = Entry().NWGetFileServerName(connection, name);
  }
  Record(code);
  return code == 0 ? TextOf(name) : UpperCaseAscii("Local");
}

namespace {

// The server's seven date-time bytes; false (recorded) when it cannot be asked.
bool ServerDateTimeBytes(uint32_t connection, uint8_t (&bytes)[7]) {
  if (!WELCOMER_CALLS_BIND(calls, NWGetFileServerDateAndTime))
    return false;
  const int32_t code = Entry().NWGetFileServerDateAndTime(PrimaryWhenZero(connection), bytes);
  Record(code);
  return code == 0;
}

}  // namespace

NWDate GetServerDate(uint32_t connection) {
  const LocalDateTime now = LocalNow();
  NWDate date{now.year, now.month, now.day};
  uint8_t bytes[7] = {};
  if (ServerDateTimeBytes(connection, bytes))
    date = NWDate{bytes[0] + 1900, bytes[1], bytes[2]};
  return date;
}

NWTime GetServerTime(uint32_t connection) {
  const LocalDateTime now = LocalNow();
  NWTime time{now.hour, now.minute, now.second, 0};
  uint8_t bytes[7] = {};
  if (ServerDateTimeBytes(connection, bytes))
    time = NWTime{bytes[3], bytes[4], bytes[5], 0};
  return time;
}

uint16_t GetMaxConnections() {
  if (!WELCOMER_CALLS_BIND(calls, NWGetMaximumConnections))
    return 0;
  uint16_t count = 0;
  return Entry().NWGetMaximumConnections(&count) == 0 ? count : 0;
}

bool SetPreferredServer(const std::string& serverName, uint32_t& connection) {
  connection = 0;
  char name[48];
  if (!CopyToBuffer(serverName, name))
    return false;
  int32_t code = 0;
  if (WELCOMER_CALLS_BIND(connection, NWCCSetPrefServerName)) {
    code = Entry().NWCCSetPrefServerName(name);
  } else {
    if (!WELCOMER_CALLS_BIND(calls, NWGetConnectionHandle) ||
        !WELCOMER_CALLS_BIND(calls, NWSetPrimaryConnectionID)) {
      return false;
    }
    uint32_t handle = 0;
    uint16_t reserved = 0;
    code = Entry().NWGetConnectionHandle(name, 0, &handle, &reserved);
    if (code == 0)
      code = Entry().NWSetPrimaryConnectionID(handle);
  }
  Record(code);
  if (code != 0)
    return false;
  connection = OpenServerConnection(serverName);
  if (connection != 0)
    SetNDSMode(IsDSServer(connection));
  SetPrimaryConnectionCache(connection);
  return true;
}

uint16_t GetBroadcastMode(uint32_t connection) {
  if (!BindEntryPoint(CallsLibraryModule(), "NWCCGetConnInfo", Entry().NWCCGetConnInfo))
    return 0;
  connection = PrimaryWhenZero(connection);
  uint16_t state = 0;
  const int32_t code = Entry().NWCCGetConnInfo(connection, 2, sizeof state, &state);
  Record(code);
  return code == 0 ? state : 0;
}

bool SetBroadcastMode(uint32_t connection, uint16_t mode) {
  if (!WELCOMER_CALLS_BIND(calls, NWSetBroadcastMode))
    return false;
  const int32_t code = Entry().NWSetBroadcastMode(PrimaryWhenZero(connection), mode);
  Record(code);
  return code == 0;
}

std::string GetFullName(uint32_t connection, const std::string& objectName) {
  if (NDSMode()) {
    std::string fullName;
    if (ReadAttributeText("", objectName, TNWDSAttribute::ndsAttrFullName, fullName))
      return fullName;
  }
  std::string result = UpperCaseAscii(AllTrim(objectName));
  if (!WELCOMER_CALLS_BIND(calls, NWReadPropertyValue))
    return result;
  connection = PrimaryWhenZero(connection);
  char name[48];
  if (!CopyToBuffer(result, name))
    return result;
  const uint16_t objectType = DetectObjectType(connection, result);
  char property[48] = "IDENTIFICATION";
  uint8_t value[128] = {};
  uint8_t moreSegments = 0;
  uint8_t propertyFlags = 0;
  if (Entry().NWReadPropertyValue(connection, name, objectType, property, 1, value, &moreSegments,
                                  &propertyFlags) == 0) {
    result = TextOf(reinterpret_cast<const char(&)[sizeof value]>(value));
  }
  return result;
}

char GetFirstNetworkDrive() {
  if (!WELCOMER_CALLS_BIND(calls, NWGetFirstDrive))
    return 0;
  uint16_t drive = 0;
  if (Entry().NWGetFirstDrive(&drive) != 0)
    return 0;
  return static_cast<char>(drive + 64);
}

char GetNextFreeDrive() {
  if (!WELCOMER_CALLS_BIND(calls, NWGetDriveStatus))
    return 0;
  const char first = GetFirstNetworkDrive();
  if (first == 0)
    return 0;
  for (int drive = first - 64; drive <= 26; ++drive) {
    uint16_t status = 0;
    uint32_t driveConnection = 0;
    char rootPath[256] = {};
    char relativePath[256] = {};
    char fullPath[256] = {};
    if (Entry().NWGetDriveStatus(static_cast<uint16_t>(drive), 0, &status, &driveConnection,
                                 rootPath, relativePath, fullPath) == 0 &&
        status == 0) {
      return static_cast<char>(drive + 64);
    }
  }
  return 0;
}

uint8_t SetErrorMode(uint8_t mode) {
  if (!WELCOMER_CALLS_BIND(calls, NWSetNetWareErrorMode))
    return 0;
  uint8_t previous = 0;
  const int32_t code = Entry().NWSetNetWareErrorMode(mode, &previous);
  Record(code);
  return code == 0 ? previous : 0;
}

}  // namespace welcomer
