#include "netware/nwlib.h"

#include <cstdio>

#include "nds/Nwnds.h"
#include "netware/CallsEntryPoints.h"
#include "netware/ClientBinding.h"
#include "netware/NWServer.h"
#include "netware/Nwtools.h"
#include "platform/AsciiText.h"
#include "platform/Clock.h"

namespace welcomer {
namespace {

struct EntryPoints {
#define WELCOMER_CALLS_SLOT(library, name) decltype(&::name) name = nullptr;
  WELCOMER_CALLS_ENTRY_POINTS(WELCOMER_CALLS_SLOT)
#undef WELCOMER_CALLS_SLOT
  // Filled from whichever library is asked first; both serve all its users from then on.
  decltype(&::NWCCGetConnInfo) NWCCGetConnInfo = nullptr;
};

// The unit's state, shared by every operation of the calls layer.
void* callsModule = nullptr;
void* connectionModule = nullptr;
uint32_t primaryConnection = 0;
int32_t lastErrorCode = 0;
int32_t lastReturnCode = 0;
bool ndsMode = false;
EntryPoints entry;
Clock* installedClock = nullptr;

#define WELCOMER_CALLS_BIND(library, name) BindEntryPoint(library##Module, #name, entry.name)
#define WELCOMER_CALLS_LOOK_UP(library, name) \
  LookUpEntryPoint<decltype(&::name)>(library##Module, #name)

void Record(int32_t code) {
  lastReturnCode = code;
  if (code != 0)
    lastErrorCode = code;
}

uint32_t PrimaryWhenZero(uint32_t connection) {
  return connection == 0 ? GetPrimaryConnection() : connection;
}

LocalDateTime LocalNow() {
  if (installedClock != nullptr)
    return installedClock->Now();
  SystemClock clock;
  return clock.Now();
}

std::string IdText(uint32_t id) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%08X", id);
  std::string text = digits;
  size_t zeros = 0;
  while (zeros + 1 < text.size() && text[zeros] == '0')
    ++zeros;
  return text.substr(zeros);
}

// The object types DetectObjectType tries, in its order: print server before file server.
constexpr uint16_t kDetectedTypes[] = {256,  512,  768,  1792, 1024, 1280, 1536,
                                       2048, 2304, 2560, 2816, 8448, 9728, 9984};

}  // namespace

// ---- Binding and primary connection ------------------------------------------------------

TNWLib::TNWLib() {
  primaryConnection = 0;
  lastErrorCode = 0;
  callsModule = nullptr;
  connectionModule = nullptr;
  ndsMode = false;
  ClientLibraryLoader& loader = CurrentClientLibraryLoader();
  callsModule = loader.Load("CALWIN32.DLL");
  if (callsModule == nullptr) {
    lastErrorCode = kCallsLibraryMissing;
    return;
  }
  connectionModule = loader.Load("CLXWIN32.DLL");
  if (connectionModule == nullptr) {
    lastErrorCode = kCallsLibraryMissing;
    return;
  }
  if (WELCOMER_CALLS_BIND(calls, NWCallsInit)) {
    uint32_t scratch = 0;
    if (entry.NWCallsInit(&scratch, &scratch) == 0)
      primaryConnection = GetPrimaryConnection();
  }
}

std::string TNWLib::LastErrorText() const {
  return ErrorCodeText(lastErrorCode);
}

int32_t TNWLib::LastErrorCode() {
  return lastErrorCode;
}

int32_t TNWLib::LastReturnCode() {
  return lastReturnCode;
}

std::string GetLibVersion() {
  return "4.60 - 1 August 1999";
}

void SetNDSMode(bool flag) {
  ndsMode = flag;
}

bool NDSMode() {
  return ndsMode;
}

bool IsNetAvailable() {
  if (callsModule == nullptr || connectionModule == nullptr)
    return false;
  return GetPrimaryConnection() != 0;
}

uint32_t GetPrimaryConnection() {
  if (primaryConnection != 0)
    return primaryConnection;
  int32_t code = -1;
  uint32_t connection = 0;
  if (WELCOMER_CALLS_BIND(connection, NWCCGetPrimConnRef)) {
    uint32_t reference = 0;
    // Its own code is not kept: when it fails, nothing usable answered.
    if (entry.NWCCGetPrimConnRef(&reference) == 0) {
      if (const auto open = WELCOMER_CALLS_LOOK_UP(connection, NWCCOpenConnByRef))
        code = open(reference, 1, 0, &connection);
    }
  } else if (WELCOMER_CALLS_BIND(calls, NWGetPrimaryConnectionID)) {
    code = entry.NWGetPrimaryConnectionID(&connection);
  }
  Record(code);
  return code == 0 ? connection : 0;
}

uint32_t LongSwap(uint32_t value) {
  if (!WELCOMER_CALLS_BIND(calls, NWLongSwap))
    return 0;
  return entry.NWLongSwap(value);
}

void* CallsLibraryModule() {
  return callsModule;
}

void* ConnectionLibraryModule() {
  return connectionModule;
}

void SetPrimaryConnectionCache(uint32_t connection) {
  primaryConnection = connection;
}

Clock* SetCallsClock(Clock* clock) {
  Clock* previous = installedClock;
  installedClock = clock;
  return previous;
}

void ResetCallsUnit() {
  callsModule = nullptr;
  connectionModule = nullptr;
  primaryConnection = 0;
  lastErrorCode = 0;
  lastReturnCode = 0;
  ndsMode = false;
  entry = EntryPoints();
}

// ---- Connection operations ---------------------------------------------------------------

uint16_t GetConnectionNumber(uint32_t connection) {
  int32_t code = -1;
  uint32_t number = 0;
  connection = PrimaryWhenZero(connection);
  if (BindEntryPoint(connectionModule, "NWCCGetConnInfo", entry.NWCCGetConnInfo)) {
    code = entry.NWCCGetConnInfo(connection, 5, sizeof number, &number);
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
  const int32_t code =
      entry.NWGetConnectionInformation(connection, number, name, &objectType, &objectId, loginTime);
  Record(code);
  return code == 0 ? TextOf(name) : std::string();
}

uint32_t GetObjectID(uint32_t& connection, const std::string& objectName, uint16_t objectType) {
  connection = PrimaryWhenZero(connection);
  const std::string upper = UpperCaseAscii(objectName);
  if (ndsMode) {
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
  const int32_t code = entry.NWGetObjectID(connection, name, objectType, &id);
  Record(code);
  return code == 0 ? id : 0;
}

std::string GetObjectIDText(uint32_t connection, const std::string& objectName,
                            uint16_t objectType) {
  if (ndsMode) {
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
  if (entry.NWGetObjectID(connection, name, objectType, &id) != 0)
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
  const int32_t code = entry.NWCheckConsolePrivileges(PrimaryWhenZero(connection));
  Record(code);
  return code == 0;
}

bool IsManager(uint32_t connection) {
  if (!WELCOMER_CALLS_BIND(calls, NWIsManager))
    return false;
  const int32_t code = entry.NWIsManager(PrimaryWhenZero(connection));
  Record(code);
  return code == 0;
}

std::string GetServerName(uint32_t connection) {
  int32_t code = -1;
  connection = PrimaryWhenZero(connection);
  char name[48] = {};
  if (BindEntryPoint(connectionModule, "NWCCGetConnInfo", entry.NWCCGetConnInfo)) {
    code = entry.NWCCGetConnInfo(connection, 7, sizeof name, name);
  } else if (WELCOMER_CALLS_BIND(calls, NWGetFileServerName)) {
    code = entry.NWGetFileServerName(connection, name);
  }
  Record(code);
  return code == 0 ? TextOf(name) : UpperCaseAscii("Local");
}

namespace {

// The server's seven date-time bytes; false (recorded) when it cannot be asked.
bool ServerDateTimeBytes(uint32_t connection, uint8_t (&bytes)[7]) {
  if (!WELCOMER_CALLS_BIND(calls, NWGetFileServerDateAndTime))
    return false;
  const int32_t code = entry.NWGetFileServerDateAndTime(PrimaryWhenZero(connection), bytes);
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
  return entry.NWGetMaximumConnections(&count) == 0 ? count : 0;
}

bool SetPreferredServer(const std::string& serverName, uint32_t& connection) {
  connection = 0;
  char name[48];
  if (!CopyToBuffer(serverName, name))
    return false;
  int32_t code = 0;
  if (WELCOMER_CALLS_BIND(connection, NWCCSetPrefServerName)) {
    code = entry.NWCCSetPrefServerName(name);
  } else {
    if (!WELCOMER_CALLS_BIND(calls, NWGetConnectionHandle) ||
        !WELCOMER_CALLS_BIND(calls, NWSetPrimaryConnectionID)) {
      return false;
    }
    uint32_t handle = 0;
    uint16_t reserved = 0;
    code = entry.NWGetConnectionHandle(name, 0, &handle, &reserved);
    if (code == 0)
      code = entry.NWSetPrimaryConnectionID(handle);
  }
  Record(code);
  if (code != 0)
    return false;
  connection = OpenServerConnection(serverName);
  if (connection != 0)
    SetNDSMode(IsDSServer(connection));
  primaryConnection = connection;
  return true;
}

uint16_t GetBroadcastMode(uint32_t connection) {
  if (!BindEntryPoint(callsModule, "NWCCGetConnInfo", entry.NWCCGetConnInfo))
    return 0;
  connection = PrimaryWhenZero(connection);
  uint16_t state = 0;
  const int32_t code = entry.NWCCGetConnInfo(connection, 2, sizeof state, &state);
  Record(code);
  return code == 0 ? state : 0;
}

bool SetBroadcastMode(uint32_t connection, uint16_t mode) {
  if (!WELCOMER_CALLS_BIND(calls, NWSetBroadcastMode))
    return false;
  const int32_t code = entry.NWSetBroadcastMode(PrimaryWhenZero(connection), mode);
  Record(code);
  return code == 0;
}

std::string GetFullName(uint32_t connection, const std::string& objectName) {
  if (ndsMode) {
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
  if (entry.NWReadPropertyValue(connection, name, objectType, property, 1, value, &moreSegments,
                                &propertyFlags) == 0) {
    result = TextOf(reinterpret_cast<const char(&)[sizeof value]>(value));
  }
  return result;
}

char GetFirstNetworkDrive() {
  if (!WELCOMER_CALLS_BIND(calls, NWGetFirstDrive))
    return 0;
  uint16_t drive = 0;
  if (entry.NWGetFirstDrive(&drive) != 0)
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
    if (entry.NWGetDriveStatus(static_cast<uint16_t>(drive), 0, &status, &driveConnection, rootPath,
                               relativePath, fullPath) == 0 &&
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
  const int32_t code = entry.NWSetNetWareErrorMode(mode, &previous);
  Record(code);
  return code == 0 ? previous : 0;
}

}  // namespace welcomer
