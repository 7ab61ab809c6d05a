#include "tests/support/FakeNetWareClient.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "nds/Nwnds.h"
#include "netware/AsciiText.h"
#include "netware/NWClientABI.h"
#include "netware/NWServer.h"
#include "netware/nwlib.h"

// The fake's own buffer layout; the layers only ever hold pointers to it.
struct NWDSBuf {
  struct Change {
    uint32_t type = 0;
    std::string attribute;
    std::vector<std::string> values;
  };
  uint32_t size = 0;
  uint32_t operation = 0;
  std::vector<std::string> attributeNames;
  std::vector<Change> changes;
  // A result: at most one attribute, read attribute by attribute and value by value.
  bool hasResult = false;
  std::string resultAttribute;
  std::vector<std::string> resultValues;
  size_t nextValue = 0;
};

namespace welcomer::testing {
namespace {

FakeNetWareClient* current = nullptr;

// Codes the fake answers on its own (the values are its choice).
constexpr int32_t kNoSuchEntry = -601;
constexpr int32_t kNoSuchValue = -602;
constexpr int32_t kNoSuchAttribute = -603;
constexpr int32_t kDuplicateValue = -614;
constexpr int32_t kBadContext = -302;
constexpr int32_t kBadBuffer = -304;
constexpr int32_t kNoSuchObject = 0x89FC;

FakeNetWareClient& Fake() {
  return *current;
}

// Logs the call as `logged` and gives the scripted code; 0 means the entry point does its work.
int32_t EnterLogged(const char* function, std::string logged) {
  FakeNetWareClient& fake = Fake();
  fake.calls.push_back(std::move(logged));
  const int call = fake.CountOf(function);
  if (auto it = fake.answerOnCall.find(function); it != fake.answerOnCall.end()) {
    if (auto at = it->second.find(call); at != it->second.end())
      return at->second;
  }
  if (auto it = fake.answerAlways.find(function); it != fake.answerAlways.end())
    return it->second;
  return 0;
}

int32_t Enter(const char* function) {
  return EnterLogged(function, function);
}

int32_t Enter(const char* function, const std::string& arguments) {
  return EnterLogged(function, std::string(function) + "(" + arguments + ")");
}

// Copies text into a client-side buffer of `size` bytes, cut to fit as a client must.
void Put(char* destination, size_t size, const std::string& text) {
  const size_t length = std::min(text.size(), size - 1);
  std::memcpy(destination, text.data(), length);
  destination[length] = '\0';
}

FakeNetWareClient::Context* FindContext(int32_t handle) {
  auto it = Fake().contexts.find(handle);
  return it == Fake().contexts.end() ? nullptr : &it->second;
}

}  // namespace

namespace fake_entry {

// ---- LOCWIN32 ----------------------------------------------------------------------------

int32_t NWLlocaleconv(void* lconv132) {
  if (int32_t code = Enter("NWLlocaleconv"))
    return code;
  std::memcpy(static_cast<char*>(lconv132) + 56, &Fake().codePage, 4);
  std::memcpy(static_cast<char*>(lconv132) + 60, &Fake().countryCode, 4);
  return 0;
}

int32_t NWInitUnicodeTables(int32_t countryCode, int32_t codePage) {
  return Enter("NWInitUnicodeTables", std::to_string(countryCode) + "," + std::to_string(codePage));
}

int32_t NWFreeUnicodeTables() {
  return Enter("NWFreeUnicodeTables");
}

// ---- NETWIN32 ----------------------------------------------------------------------------

int32_t NWDSCreateContext() {
  if (int32_t code = Enter("NWDSCreateContext"))
    return code;
  const int32_t handle = Fake().nextContext++;
  Fake().contexts[handle] = FakeNetWareClient::Context{Fake().newContextFlags, ""};
  return handle;
}

int32_t NWDSDuplicateContext(int32_t context) {
  if (int32_t code = Enter("NWDSDuplicateContext", std::to_string(context)))
    return code;
  FakeNetWareClient::Context* source = FindContext(context);
  if (source == nullptr)
    return kBadContext;
  const FakeNetWareClient::Context copy = *source;
  const int32_t handle = Fake().nextContext++;
  Fake().contexts[handle] = copy;
  return handle;
}

int32_t NWDSDuplicateContextHandle(int32_t src, int32_t* dest) {
  if (int32_t code = Enter("NWDSDuplicateContextHandle", std::to_string(src)))
    return code;
  FakeNetWareClient::Context* source = FindContext(src);
  if (source == nullptr)
    return kBadContext;
  const FakeNetWareClient::Context copy = *source;
  *dest = Fake().nextContext++;
  Fake().contexts[*dest] = copy;
  return 0;
}

int32_t NWDSFreeContext(int32_t context) {
  if (int32_t code = Enter("NWDSFreeContext", std::to_string(context)))
    return code;
  return Fake().contexts.erase(context) == 1 ? 0 : kBadContext;
}

int32_t NWDSSetContext(int32_t context, int32_t key, const void* value) {
  std::string shown = std::to_string(context) + "," + std::to_string(key) + ",";
  if (key == DCK_FLAGS)
    shown += std::to_string(*static_cast<const uint32_t*>(value));
  else
    shown += static_cast<const char*>(value);
  if (int32_t code = Enter("NWDSSetContext", shown))
    return code;
  FakeNetWareClient::Context* target = FindContext(context);
  if (target == nullptr)
    return kBadContext;
  if (key == DCK_FLAGS)
    target->flags = *static_cast<const uint32_t*>(value);
  else
    target->nameContext = static_cast<const char*>(value);
  return 0;
}

int32_t NWDSGetContext(int32_t context, int32_t key, void* value) {
  if (int32_t code = Enter("NWDSGetContext", std::to_string(context) + "," + std::to_string(key)))
    return code;
  FakeNetWareClient::Context* source = FindContext(context);
  if (source == nullptr)
    return kBadContext;
  if (key == DCK_FLAGS)
    *static_cast<uint32_t*>(value) = source->flags;
  else
    Put(static_cast<char*>(value), 128, source->nameContext);
  return 0;
}

int32_t NWDSAllocBuf(uint32_t size, NWDSBuf** buf) {
  if (int32_t code = Enter("NWDSAllocBuf", std::to_string(size)))
    return code;
  *buf = new NWDSBuf;
  (*buf)->size = size;
  ++Fake().openBuffers;
  return 0;
}

int32_t NWDSInitBuf(int32_t context, uint32_t operation, NWDSBuf* buf) {
  if (int32_t code =
          Enter("NWDSInitBuf", std::to_string(context) + "," + std::to_string(operation)))
    return code;
  buf->operation = operation;
  return 0;
}

int32_t NWDSFreeBuf(NWDSBuf* buf) {
  Enter("NWDSFreeBuf");
  delete buf;
  --Fake().openBuffers;
  return 0;
}

int32_t NWDSPutAttrName(int32_t, NWDSBuf* buf, const char* attrName) {
  if (int32_t code = Enter("NWDSPutAttrName", attrName))
    return code;
  buf->attributeNames.push_back(attrName);
  return 0;
}

int32_t NWDSPutChange(int32_t, NWDSBuf* buf, uint32_t changeType, const char* attrName) {
  if (int32_t code = Enter("NWDSPutChange", std::to_string(changeType) + "," + attrName))
    return code;
  buf->changes.push_back(NWDSBuf::Change{changeType, attrName, {}});
  return 0;
}

int32_t NWDSPutAttrVal(int32_t, NWDSBuf* buf, uint32_t syntaxId, const void* value) {
  const char* text = static_cast<const char*>(value);
  if (int32_t code = Enter("NWDSPutAttrVal", std::to_string(syntaxId) + "," + text))
    return code;
  if (buf->changes.empty())
    return kBadBuffer;
  buf->changes.back().values.push_back(text);
  return 0;
}

int32_t NWDSModifyObject(int32_t context, const char* objectName, int32_t* iterationHandle,
                         int32_t more, NWDSBuf* changes) {
  if (int32_t code = Enter("NWDSModifyObject", objectName))
    return code;
  if (FindContext(context) == nullptr)
    return kBadContext;
  if (iterationHandle != nullptr || more != 0 || changes->operation != DSV_MODIFY_ENTRY)
    return kBadBuffer;
  auto object = Fake().objects.find(UpperCaseAscii(objectName));
  if (object == Fake().objects.end())
    return kNoSuchEntry;
  for (const NWDSBuf::Change& change : changes->changes) {
    std::vector<std::string>& values = object->second[UpperCaseAscii(change.attribute)];
    for (const std::string& value : change.values) {
      auto found = std::find_if(values.begin(), values.end(),
                                [&value](const std::string& v) { return SameTextAscii(v, value); });
      if (change.type == 2) {
        if (found != values.end())
          return kDuplicateValue;
        values.push_back(value);
      } else if (change.type == 3) {
        if (found == values.end())
          return kNoSuchValue;
        values.erase(found);
      }
    }
  }
  return 0;
}

int32_t NWDSRead(int32_t context, const char* objectName, uint32_t infoType, int32_t allAttrs,
                 NWDSBuf* attrNames, int32_t* iterationHandle, NWDSBuf* objectInfo) {
  if (int32_t code = Enter("NWDSRead", objectName))
    return code;
  if (FindContext(context) == nullptr)
    return kBadContext;
  if (infoType != DS_ATTRIBUTE_VALUES || allAttrs != 0 || attrNames->operation != DSV_READ ||
      attrNames->attributeNames.size() != 1) {
    return kBadBuffer;
  }
  auto object = Fake().objects.find(UpperCaseAscii(objectName));
  if (object == Fake().objects.end())
    return kNoSuchEntry;
  const std::string& attribute = attrNames->attributeNames[0];
  auto values = object->second.find(UpperCaseAscii(attribute));
  if (values == object->second.end() || values->second.empty())
    return kNoSuchAttribute;
  const std::vector<std::string>& all = values->second;
  size_t start = *iterationHandle == NO_MORE_ITERATIONS ? 0 : static_cast<size_t>(*iterationHandle);
  size_t end = start;
  size_t used = 64 + attribute.size();
  while (end < all.size()) {
    if (Fake().valuesPerBuffer != 0 ? end - start == Fake().valuesPerBuffer
                                    : end > start && used + all[end].size() + 8 > 4096) {
      break;
    }
    used += all[end].size() + 8;
    ++end;
  }
  objectInfo->hasResult = true;
  objectInfo->resultAttribute = attribute;
  objectInfo->resultValues.assign(all.begin() + static_cast<ptrdiff_t>(start),
                                  all.begin() + static_cast<ptrdiff_t>(end));
  objectInfo->nextValue = 0;
  *iterationHandle = end < all.size() ? static_cast<int32_t>(end) : NO_MORE_ITERATIONS;
  return 0;
}

int32_t NWDSGetAttrCount(int32_t, NWDSBuf* buf, uint32_t* count) {
  if (int32_t code = Enter("NWDSGetAttrCount"))
    return code;
  *count = buf->hasResult ? 1 : 0;
  return 0;
}

int32_t NWDSGetAttrName(int32_t, NWDSBuf* buf, char* attrName34, uint32_t* valueCount,
                        uint32_t* syntaxId) {
  if (int32_t code = Enter("NWDSGetAttrName"))
    return code;
  if (!buf->hasResult)
    return kBadBuffer;
  Put(attrName34, 34, buf->resultAttribute);
  *valueCount = static_cast<uint32_t>(buf->resultValues.size());
  *syntaxId = Fake().reportedSyntax;
  return 0;
}

int32_t NWDSComputeAttrValSize(int32_t, NWDSBuf* buf, uint32_t syntaxId, uint32_t* size) {
  if (int32_t code = Enter("NWDSComputeAttrValSize", std::to_string(syntaxId)))
    return code;
  if (buf->nextValue >= buf->resultValues.size())
    return kBadBuffer;
  *size = static_cast<uint32_t>(buf->resultValues[buf->nextValue].size() + 1) +
          Fake().extraReportedSize;
  return 0;
}

int32_t NWDSGetAttrVal(int32_t, NWDSBuf* buf, uint32_t syntaxId, void* value) {
  if (int32_t code = Enter("NWDSGetAttrVal", std::to_string(syntaxId)))
    return code;
  if (buf->nextValue >= buf->resultValues.size())
    return kBadBuffer;
  // Exactly the size NWDSComputeAttrValSize reported for it, terminator included.
  const std::string& text = buf->resultValues[buf->nextValue++];
  std::memcpy(value, text.c_str(), text.size() + 1);
  return 0;
}

int32_t NWDSCanonicalizeName(int32_t context, const char* name256, char* canonical256) {
  if (int32_t code = Enter("NWDSCanonicalizeName", name256))
    return code;
  FakeNetWareClient::Context* source = FindContext(context);
  if (source == nullptr)
    return kBadContext;
  Fake().flagsAtCanonicalize = source->flags;
  auto it = Fake().canonicalNames.find(name256);
  Put(canonical256, 256,
      it != Fake().canonicalNames.end() ? it->second : "CN=" + std::string(name256));
  return 0;
}

int32_t NWDSWhoAmI(int32_t context, char* objectName128) {
  if (int32_t code = Enter("NWDSWhoAmI"))
    return code;
  if (FindContext(context) == nullptr)
    return kBadContext;
  Put(objectName128, 128, Fake().whoAmI);
  return 0;
}

int32_t NWDSMapNameToID(int32_t context, uint32_t connection, const char* name256,
                        uint32_t* objectId) {
  if (int32_t code = Enter("NWDSMapNameToID", std::to_string(context) + "," +
                                                  std::to_string(connection) + "," + name256)) {
    return code;
  }
  auto it = Fake().directoryIds.find(UpperCaseAscii(name256));
  if (it == Fake().directoryIds.end())
    return kNoSuchEntry;
  *objectId = it->second;
  return 0;
}

int32_t NWDSAuditGetObjectID(int32_t context, const char* name256, uint32_t* connection,
                             uint32_t* objectId) {
  if (int32_t code = Enter("NWDSAuditGetObjectID", std::to_string(context) + "," + name256))
    return code;
  auto it = Fake().directoryIds.find(UpperCaseAscii(name256));
  if (it == Fake().directoryIds.end())
    return kNoSuchEntry;
  *connection = Fake().primaryConnection;
  *objectId = it->second;
  return 0;
}

int32_t NWIsDSServer(uint32_t connection, char* treeName256) {
  Enter("NWIsDSServer", std::to_string(connection));
  if (!Fake().directoryServer)
    return 0;
  Put(treeName256, 256, Fake().treeName);
  return 1;
}

int32_t NWGetPreferredDSServer(uint32_t* connection) {
  if (int32_t code = Enter("NWGetPreferredDSServer"))
    return code;
  *connection = Fake().preferredDSServer;
  return 0;
}

int32_t NWSetPreferredDSTree(uint32_t length, const char* treeName256) {
  return Enter("NWSetPreferredDSTree", std::to_string(length) + "," + treeName256);
}

int32_t NWDSRemoveObject() {
  return Enter("NWDSRemoveObject");
}
int32_t NWDSGenerateObjectKeyPair() {
  return Enter("NWDSGenerateObjectKeyPair");
}
int32_t NWDSGetObjectName() {
  return Enter("NWDSGetObjectName");
}
int32_t NWDSGetObjectCount() {
  return Enter("NWDSGetObjectCount");
}
int32_t NWDSAddObject() {
  return Enter("NWDSAddObject");
}
int32_t NWDSList() {
  return Enter("NWDSList");
}
int32_t NWDSOpenStream() {
  return Enter("NWDSOpenStream");
}

// ---- CALWIN32 ----------------------------------------------------------------------------

int32_t NWCallsInit(void*, void*) {
  return Enter("NWCallsInit");
}

int32_t NWGetPrimaryConnectionID(uint32_t* connection) {
  if (int32_t code = Enter("NWGetPrimaryConnectionID"))
    return code;
  *connection = Fake().primaryConnection;
  return 0;
}

int32_t NWGetConnectionNumber(uint32_t connection, uint16_t* number) {
  if (int32_t code = Enter("NWGetConnectionNumber", std::to_string(connection)))
    return code;
  *number = Fake().connectionNumber;
  return 0;
}

int32_t NWGetConnectionInformation(uint32_t connection, uint16_t number, char* objectName48,
                                   uint16_t* objectType, uint32_t* objectId, uint8_t* loginTime7) {
  if (int32_t code = Enter("NWGetConnectionInformation",
                           std::to_string(connection) + "," + std::to_string(number)))
    return code;
  Put(objectName48, 48, Fake().connectionLoginName);
  *objectType = 256;
  *objectId = 1;
  std::memset(loginTime7, 0, 7);
  return 0;
}

uint32_t NWLongSwap(uint32_t value) {
  Enter("NWLongSwap");
  return __builtin_bswap32(value);
}

int32_t NWGetObjectID(uint32_t connection, const char* objectName48, uint16_t objectType,
                      uint32_t* objectId) {
  if (int32_t code = Enter("NWGetObjectID", std::to_string(connection) + "," + objectName48 + "," +
                                                std::to_string(objectType)))
    return code;
  auto it = Fake().objectIds.find({objectName48, objectType});
  if (it == Fake().objectIds.end())
    return kNoSuchObject;
  *objectId = it->second;
  return 0;
}

int32_t NWCheckConsolePrivileges(uint32_t connection) {
  return Enter("NWCheckConsolePrivileges", std::to_string(connection));
}

int32_t NWIsManager(uint32_t connection) {
  return Enter("NWIsManager", std::to_string(connection));
}

int32_t NWGetFileServerName(uint32_t connection, char* serverName48) {
  if (int32_t code = Enter("NWGetFileServerName", std::to_string(connection)))
    return code;
  Put(serverName48, 48, Fake().serverName);
  return 0;
}

int32_t NWGetFileServerDateAndTime(uint32_t connection, uint8_t* dateTime7) {
  if (int32_t code = Enter("NWGetFileServerDateAndTime", std::to_string(connection)))
    return code;
  std::memcpy(dateTime7, Fake().serverDateTime, 7);
  return 0;
}

int32_t NWGetMaximumConnections(uint16_t* count) {
  if (int32_t code = Enter("NWGetMaximumConnections"))
    return code;
  *count = Fake().maxConnections;
  return 0;
}

int32_t NWGetConnectionHandle(const char* serverName48, uint16_t, uint32_t* connection, uint16_t*) {
  if (int32_t code = Enter("NWGetConnectionHandle", serverName48))
    return code;
  auto it = Fake().serverConnections.find(UpperCaseAscii(serverName48));
  if (it == Fake().serverConnections.end())
    return kNoSuchObject;
  *connection = it->second;
  return 0;
}

int32_t NWSetPrimaryConnectionID(uint32_t connection) {
  return Enter("NWSetPrimaryConnectionID", std::to_string(connection));
}

int32_t NWSetBroadcastMode(uint32_t connection, uint16_t mode) {
  return Enter("NWSetBroadcastMode", std::to_string(connection) + "," + std::to_string(mode));
}

int32_t NWReadPropertyValue(uint32_t connection, const char* objectName48, uint16_t objectType,
                            const char* propertyName48, uint8_t segment, uint8_t* value128,
                            uint8_t* moreSegments, uint8_t* propertyFlags) {
  if (int32_t code =
          Enter("NWReadPropertyValue", std::to_string(connection) + "," + objectName48 + "," +
                                           std::to_string(objectType) + "," + propertyName48 + "," +
                                           std::to_string(segment)))
    return code;
  auto it = Fake().fullNames.find(objectName48);
  if (it == Fake().fullNames.end())
    return kNoSuchObject;
  Put(reinterpret_cast<char*>(value128), 128, it->second);
  *moreSegments = 0;
  *propertyFlags = 0;
  return 0;
}

int32_t NWGetFirstDrive(uint16_t* drive) {
  if (int32_t code = Enter("NWGetFirstDrive"))
    return code;
  *drive = Fake().firstDrive;
  return 0;
}

int32_t NWGetDriveStatus(uint16_t drive, uint16_t pathFormat, uint16_t* status,
                         uint32_t* connection, char* rootPath256, char* relativePath256,
                         char* fullPath256) {
  if (int32_t code =
          Enter("NWGetDriveStatus", std::to_string(drive) + "," + std::to_string(pathFormat)))
    return code;
  const auto& inUse = Fake().drivesInUse;
  *status = std::find(inUse.begin(), inUse.end(), drive) != inUse.end() ? 1 : 0;
  *connection = *status != 0 ? Fake().primaryConnection : 0;
  Put(rootPath256, 256, "");
  Put(relativePath256, 256, "");
  Put(fullPath256, 256, "");
  return 0;
}

int32_t NWSetNetWareErrorMode(uint8_t mode, uint8_t* previousMode) {
  if (int32_t code = Enter("NWSetNetWareErrorMode", std::to_string(mode)))
    return code;
  *previousMode = Fake().errorMode;
  Fake().errorMode = mode;
  return 0;
}

int32_t NWGetFileServerInformation(uint32_t connection, char* serverName48, uint8_t* majorVersion,
                                   uint8_t* minorVersion, uint8_t* revision,
                                   uint16_t* maxConnections, uint16_t* peakConnections,
                                   uint16_t* connectionsInUse, uint16_t* volumes, uint8_t* sftLevel,
                                   uint8_t* ttsLevel) {
  if (int32_t code = Enter("NWGetFileServerInformation", std::to_string(connection)))
    return code;
  Put(serverName48, 48, Fake().serverName);
  *majorVersion = Fake().majorVersion;
  *minorVersion = Fake().minorVersion;
  *revision = 1;
  *maxConnections = Fake().maxConnections;
  *peakConnections = 40;
  *connectionsInUse = 12;
  *volumes = 3;
  *sftLevel = 2;
  *ttsLevel = 1;
  return 0;
}

int32_t NWGetFileServerInfo(uint32_t connection, uint8_t* reply160) {
  if (int32_t code = Enter("NWGetFileServerInfo", std::to_string(connection)))
    return code;
  for (int i = 0; i < 160; ++i)
    reply160[i] = static_cast<uint8_t>(i);
  return 0;
}

int32_t NWSetFileServerDateAndTime(uint32_t connection, uint8_t year, uint8_t month, uint8_t day,
                                   uint8_t hour, uint8_t minute, uint8_t second) {
  return Enter("NWSetFileServerDateAndTime",
               std::to_string(connection) + "," + std::to_string(year) + "," +
                   std::to_string(month) + "," + std::to_string(day) + "," + std::to_string(hour) +
                   "," + std::to_string(minute) + "," + std::to_string(second));
}

// ---- CLXWIN32 (NWCCGetConnInfo also in CALWIN32) -----------------------------------------

int32_t NWCCGetConnInfo(uint32_t connection, uint32_t infoType, uint32_t length, void* buffer) {
  if (int32_t code =
          Enter("NWCCGetConnInfo", std::to_string(connection) + "," + std::to_string(infoType) +
                                       "," + std::to_string(length)))
    return code;
  switch (infoType) {
    case 2:
      if (length < 2)
        return kBadBuffer;
      std::memcpy(buffer, &Fake().broadcastState, 2);
      return 0;
    case 5: {
      if (length < 4)
        return kBadBuffer;
      const uint32_t number = Fake().connectionNumber;
      std::memcpy(buffer, &number, 4);
      return 0;
    }
    case 7:
      Put(static_cast<char*>(buffer), length, Fake().serverName);
      return 0;
    default:
      return kBadBuffer;
  }
}

int32_t NWCCGetPrimConnRef(uint32_t* connectionRef) {
  if (int32_t code = Enter("NWCCGetPrimConnRef"))
    return code;
  *connectionRef = Fake().primaryReference;
  return 0;
}

int32_t NWCCOpenConnByRef(uint32_t connectionRef, uint32_t openState, uint32_t reserved,
                          uint32_t* connection) {
  if (int32_t code = Enter("NWCCOpenConnByRef", std::to_string(connectionRef) + "," +
                                                    std::to_string(openState) + "," +
                                                    std::to_string(reserved)))
    return code;
  if (connectionRef != Fake().primaryReference)
    return kNoSuchObject;
  *connection = Fake().primaryConnection;
  return 0;
}

int32_t NWCCSetPrefServerName(const char* serverName48) {
  return Enter("NWCCSetPrefServerName", serverName48);
}

int32_t NWCCOpenConnByName(uint32_t startConnection, const char* name48, uint32_t nameFormat,
                           uint32_t openState, uint32_t transportType, uint32_t* connection) {
  if (int32_t code =
          Enter("NWCCOpenConnByName",
                std::to_string(startConnection) + "," + name48 + "," + std::to_string(nameFormat) +
                    "," + std::to_string(openState) + "," + std::to_string(transportType)))
    return code;
  auto it = Fake().serverConnections.find(UpperCaseAscii(name48));
  if (it == Fake().serverConnections.end())
    return kNoSuchObject;
  *connection = it->second;
  return 0;
}

}  // namespace fake_entry

namespace {

// Each fake entry point must have the client's exact type, or the layers would call it wrongly.
#define WELCOMER_FAKE_ENTRY(library, name)                                              \
  static_assert(std::is_same_v<decltype(&fake_entry::name), decltype(&::name)>, #name); \
  symbols[library][#name] = reinterpret_cast<void*>(&fake_entry::name);

void FillSymbols(std::map<std::string, std::map<std::string, void*>>& symbols) {
  const std::string loc = "LOCWIN32.DLL", net = "NETWIN32.DLL", cal = "CALWIN32.DLL",
                    clx = "CLXWIN32.DLL";
  WELCOMER_FAKE_ENTRY(loc, NWLlocaleconv)
  WELCOMER_FAKE_ENTRY(loc, NWInitUnicodeTables)
  WELCOMER_FAKE_ENTRY(loc, NWFreeUnicodeTables)
  WELCOMER_FAKE_ENTRY(net, NWDSCreateContext)
  WELCOMER_FAKE_ENTRY(net, NWDSDuplicateContext)
  WELCOMER_FAKE_ENTRY(net, NWDSDuplicateContextHandle)
  WELCOMER_FAKE_ENTRY(net, NWDSFreeContext)
  WELCOMER_FAKE_ENTRY(net, NWDSSetContext)
  WELCOMER_FAKE_ENTRY(net, NWDSGetContext)
  WELCOMER_FAKE_ENTRY(net, NWDSAllocBuf)
  WELCOMER_FAKE_ENTRY(net, NWDSInitBuf)
  WELCOMER_FAKE_ENTRY(net, NWDSFreeBuf)
  WELCOMER_FAKE_ENTRY(net, NWDSPutAttrName)
  WELCOMER_FAKE_ENTRY(net, NWDSPutChange)
  WELCOMER_FAKE_ENTRY(net, NWDSPutAttrVal)
  WELCOMER_FAKE_ENTRY(net, NWDSModifyObject)
  WELCOMER_FAKE_ENTRY(net, NWDSRead)
  WELCOMER_FAKE_ENTRY(net, NWDSGetAttrCount)
  WELCOMER_FAKE_ENTRY(net, NWDSGetAttrName)
  WELCOMER_FAKE_ENTRY(net, NWDSComputeAttrValSize)
  WELCOMER_FAKE_ENTRY(net, NWDSGetAttrVal)
  WELCOMER_FAKE_ENTRY(net, NWDSCanonicalizeName)
  WELCOMER_FAKE_ENTRY(net, NWDSWhoAmI)
  WELCOMER_FAKE_ENTRY(net, NWDSMapNameToID)
  WELCOMER_FAKE_ENTRY(net, NWDSAuditGetObjectID)
  WELCOMER_FAKE_ENTRY(net, NWIsDSServer)
  WELCOMER_FAKE_ENTRY(net, NWGetPreferredDSServer)
  WELCOMER_FAKE_ENTRY(net, NWSetPreferredDSTree)
  WELCOMER_FAKE_ENTRY(net, NWDSRemoveObject)
  WELCOMER_FAKE_ENTRY(net, NWDSGenerateObjectKeyPair)
  WELCOMER_FAKE_ENTRY(net, NWDSGetObjectName)
  WELCOMER_FAKE_ENTRY(net, NWDSGetObjectCount)
  WELCOMER_FAKE_ENTRY(net, NWDSAddObject)
  WELCOMER_FAKE_ENTRY(net, NWDSList)
  WELCOMER_FAKE_ENTRY(net, NWDSOpenStream)
  WELCOMER_FAKE_ENTRY(cal, NWCallsInit)
  WELCOMER_FAKE_ENTRY(cal, NWGetPrimaryConnectionID)
  WELCOMER_FAKE_ENTRY(cal, NWGetConnectionNumber)
  WELCOMER_FAKE_ENTRY(cal, NWGetConnectionInformation)
  WELCOMER_FAKE_ENTRY(cal, NWLongSwap)
  WELCOMER_FAKE_ENTRY(cal, NWGetObjectID)
  WELCOMER_FAKE_ENTRY(cal, NWCheckConsolePrivileges)
  WELCOMER_FAKE_ENTRY(cal, NWIsManager)
  WELCOMER_FAKE_ENTRY(cal, NWGetFileServerName)
  WELCOMER_FAKE_ENTRY(cal, NWGetFileServerDateAndTime)
  WELCOMER_FAKE_ENTRY(cal, NWGetMaximumConnections)
  WELCOMER_FAKE_ENTRY(cal, NWGetConnectionHandle)
  WELCOMER_FAKE_ENTRY(cal, NWSetPrimaryConnectionID)
  WELCOMER_FAKE_ENTRY(cal, NWSetBroadcastMode)
  WELCOMER_FAKE_ENTRY(cal, NWReadPropertyValue)
  WELCOMER_FAKE_ENTRY(cal, NWGetFirstDrive)
  WELCOMER_FAKE_ENTRY(cal, NWGetDriveStatus)
  WELCOMER_FAKE_ENTRY(cal, NWSetNetWareErrorMode)
  WELCOMER_FAKE_ENTRY(cal, NWGetFileServerInformation)
  WELCOMER_FAKE_ENTRY(cal, NWGetFileServerInfo)
  WELCOMER_FAKE_ENTRY(cal, NWSetFileServerDateAndTime)
  WELCOMER_FAKE_ENTRY(cal, NWCCGetConnInfo)
  WELCOMER_FAKE_ENTRY(clx, NWCCGetConnInfo)
  WELCOMER_FAKE_ENTRY(clx, NWCCGetPrimConnRef)
  WELCOMER_FAKE_ENTRY(clx, NWCCOpenConnByRef)
  WELCOMER_FAKE_ENTRY(clx, NWCCSetPrefServerName)
  WELCOMER_FAKE_ENTRY(clx, NWCCOpenConnByName)
}

#undef WELCOMER_FAKE_ENTRY

void ResetClientUnits() {
  ResetDirectoryUnit();
  ResetCallsUnit();
  ResetServerUnit();
}

}  // namespace

FakeNetWareClient::FakeNetWareClient()
    : previous_(SetClientLibraryLoader(this)), previousFake_(current) {
  current = this;
  FillSymbols(libraries);
  ResetClientUnits();
}

FakeNetWareClient::~FakeNetWareClient() {
  ResetClientUnits();
  SetClientLibraryLoader(previous_);
  current = previousFake_;
}

void* FakeNetWareClient::Load(const std::string& name) {
  auto it = libraries.find(name);
  // The map node stands for the module: its address stays put while the library is there.
  return it == libraries.end() ? nullptr : &it->second;
}

void* FakeNetWareClient::Find(void* module, const char* symbol) {
  for (auto& [name, symbols] : libraries) {
    if (&symbols != module)
      continue;
    lookups.push_back(name + "!" + symbol);
    auto it = symbols.find(symbol);
    return it == symbols.end() ? nullptr : it->second;
  }
  lookups.push_back(std::string("?!") + symbol);
  return nullptr;
}

int FakeNetWareClient::LookupsOf(const std::string& name) const {
  return static_cast<int>(std::count_if(lookups.begin(), lookups.end(), [&name](const auto& l) {
    return l.substr(l.find('!') + 1) == name;
  }));
}

int FakeNetWareClient::CountOf(const std::string& function) const {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&function](const auto& c) {
    return c == function || c.starts_with(function + "(");
  }));
}

bool FakeNetWareClient::Called(const std::string& text) const {
  return std::find(calls.begin(), calls.end(), text) != calls.end();
}

FakeNetWareClient* CurrentFakeNetWareClient() {
  return current;
}

}  // namespace welcomer::testing
