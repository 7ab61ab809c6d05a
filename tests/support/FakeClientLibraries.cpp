#include "tests/support/FakeClientLibraries.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <type_traits>

#include "nds/DirectoryEntryPoints.h"
#include "nds/Nwnds.h"
#include "netware/CallsEntryPoints.h"
#include "netware/ClientAbi.h"
#include "netware/NWServer.h"
#include "netware/nwlib.h"
#include "platform/AsciiText.h"

// The fake's own buffer layout; the layers only ever hold pointers to it.
struct NWDSBuf {
  struct Change {
    uint32_t type = 0;
    std::string attribute;
    std::vector<std::string> values;
  };
  uint32_t operation = 0;
  std::vector<std::string> attributeNames;
  std::vector<Change> changes;
  // A result: at most one attribute, read value by value.
  bool hasResult = false;
  std::string resultAttribute;
  std::vector<std::string> resultValues;
  size_t nextValue = 0;
};

namespace welcomer::testing {
namespace {

FakeClientLibraries* current = nullptr;
// Handles are never reused, so that a freed one cannot pass for a live one.
int32_t nextContext = 1;

// Codes and values the fake answers on its own (the values are its choice).
constexpr int32_t kNoSuchEntry = -601;
constexpr int32_t kNoSuchValue = -602;
constexpr int32_t kNoSuchAttribute = -603;
constexpr int32_t kDuplicateValue = -614;
constexpr int32_t kBadContext = -302;
constexpr int32_t kBadBuffer = -304;
constexpr int32_t kNoSuchObject = 0x89FC;
constexpr uint32_t kStringSyntax = 3;
constexpr uint32_t kPrimaryReference = 70;
constexpr uint32_t kConnectionNumber = 3;
constexpr int32_t kCodePage = 1252;
constexpr int32_t kCountryCode = 49;

FakeClientLibraries& Fake() {
  return *current;
}

// Numbers and texts go into the log; output buffers do not.
template <typename T>
void Show(std::string& shown, T argument) {
  if constexpr (std::is_integral_v<T>)
    shown += std::to_string(argument) + ",";
  else if constexpr (std::is_same_v<T, const char*>)
    shown += std::string(argument) + ",";
}

// Logs the call and gives its scripted code; 0 means the entry point does its work.
template <typename... Arguments>
int32_t Enter(const char* function, Arguments... arguments) {
  std::string shown;
  (Show(shown, arguments), ...);
  if (!shown.empty())
    shown = "(" + shown.substr(0, shown.size() - 1) + ")";
  FakeClientLibraries& fake = Fake();
  fake.calls.push_back(function + shown);
  auto it = fake.answers.find(function);
  if (it == fake.answers.end())
    return 0;
  auto answer = it->second.find(fake.CountOf(function));
  if (answer == it->second.end())
    answer = it->second.find(0);
  return answer == it->second.end() ? 0 : answer->second;
}

// Returns the scripted code of the entry point's call when it has one.
#define WELCOMER_ANSWER(...)                         \
  if (const int32_t code = Enter(__VA_ARGS__); code) \
  return code

// An entry point whose only work is to answer; its output arguments stay as they were.
template <size_t N>
struct Name {
  constexpr Name(const char (&name)[N]) { std::copy_n(name, N, text); }
  char text[N];
};
template <Name name, typename Fn>
struct Plain;
template <Name name, typename Result, typename... Arguments>
struct Plain<name, Result (*)(Arguments...)> {
  static Result Entry(Arguments... arguments) {
    return static_cast<Result>(Enter(name.text, arguments...));
  }
};

// Copies text into a client-side buffer of `size` bytes, cut to fit as a client must.
void Put(void* destination, size_t size, const std::string& text) {
  const size_t length = std::min(text.size(), size - 1);
  std::memcpy(destination, text.data(), length);
  static_cast<char*>(destination)[length] = '\0';
}

FakeClientLibraries::Context* FindContext(int32_t handle) {
  auto it = Fake().contexts.find(handle);
  return it == Fake().contexts.end() ? nullptr : &it->second;
}

int32_t AddContext(const FakeClientLibraries::Context& context) {
  Fake().contexts[nextContext] = context;
  return nextContext++;
}

// Adds (2) or removes (3) values; any other change type is refused.
int32_t Apply(const NWDSBuf::Change& change, std::vector<std::string>& values) {
  for (const std::string& value : change.values) {
    auto found = std::find_if(values.begin(), values.end(),
                              [&value](const std::string& v) { return SameTextAscii(v, value); });
    if (change.type == 2 && found == values.end())
      values.push_back(value);
    else if (change.type == 3 && found != values.end())
      values.erase(found);
    else
      return change.type == 2 ? kDuplicateValue : change.type == 3 ? kNoSuchValue : kBadBuffer;
  }
  return 0;
}

}  // namespace

namespace fake_entry {

// ---- LOCWIN32 ----------------------------------------------------------------------------

int32_t NWLlocaleconv(void* lconv132) {
  WELCOMER_ANSWER("NWLlocaleconv");
  std::memcpy(static_cast<char*>(lconv132) + 56, &kCodePage, 4);
  std::memcpy(static_cast<char*>(lconv132) + 60, &kCountryCode, 4);
  return 0;
}

// ---- NETWIN32 ----------------------------------------------------------------------------

int32_t NWDSCreateContext() {
  WELCOMER_ANSWER("NWDSCreateContext");
  return AddContext({});
}

int32_t NWDSDuplicateContext(int32_t context) {
  WELCOMER_ANSWER("NWDSDuplicateContext", context);
  const FakeClientLibraries::Context* source = FindContext(context);
  return source == nullptr ? kBadContext : AddContext(*source);
}

int32_t NWDSDuplicateContextHandle(int32_t src, int32_t* dest) {
  WELCOMER_ANSWER("NWDSDuplicateContextHandle", src);
  const FakeClientLibraries::Context* source = FindContext(src);
  if (source == nullptr)
    return kBadContext;
  *dest = AddContext(*source);
  return 0;
}

int32_t NWDSFreeContext(int32_t context) {
  WELCOMER_ANSWER("NWDSFreeContext", context);
  return Fake().contexts.erase(context) == 1 ? 0 : kBadContext;
}

int32_t NWDSSetContext(int32_t context, int32_t key, const void* value) {
  WELCOMER_ANSWER("NWDSSetContext", context, key);
  FakeClientLibraries::Context* target = FindContext(context);
  if (target == nullptr)
    return kBadContext;
  if (key == DCK_FLAGS)
    target->flags = *static_cast<const uint32_t*>(value);
  else
    target->nameContext = static_cast<const char*>(value);
  return 0;
}

int32_t NWDSGetContext(int32_t context, int32_t key, void* value) {
  WELCOMER_ANSWER("NWDSGetContext", context, key);
  const FakeClientLibraries::Context* source = FindContext(context);
  if (source == nullptr)
    return kBadContext;
  if (key == DCK_FLAGS)
    *static_cast<uint32_t*>(value) = source->flags;
  else
    Put(value, 128, source->nameContext);
  return 0;
}

int32_t NWDSAllocBuf(uint32_t size, NWDSBuf** buf) {
  WELCOMER_ANSWER("NWDSAllocBuf", size);
  *buf = new NWDSBuf;
  ++Fake().openBuffers;
  return 0;
}

int32_t NWDSInitBuf(int32_t, uint32_t operation, NWDSBuf* buf) {
  WELCOMER_ANSWER("NWDSInitBuf", operation);
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
  WELCOMER_ANSWER("NWDSPutAttrName", attrName);
  buf->attributeNames.push_back(attrName);
  return 0;
}

int32_t NWDSPutChange(int32_t, NWDSBuf* buf, uint32_t changeType, const char* attrName) {
  WELCOMER_ANSWER("NWDSPutChange", changeType, attrName);
  buf->changes.push_back({changeType, attrName, {}});
  return 0;
}

int32_t NWDSPutAttrVal(int32_t, NWDSBuf* buf, uint32_t syntaxId, const void* value) {
  WELCOMER_ANSWER("NWDSPutAttrVal", syntaxId, static_cast<const char*>(value));
  if (buf->changes.empty())
    return kBadBuffer;
  buf->changes.back().values.push_back(static_cast<const char*>(value));
  return 0;
}

int32_t NWDSModifyObject(int32_t context, const char* objectName, int32_t* iterationHandle,
                         int32_t more, NWDSBuf* changes) {
  WELCOMER_ANSWER("NWDSModifyObject", objectName);
  if (FindContext(context) == nullptr)
    return kBadContext;
  if (iterationHandle != nullptr || more != 0 || changes->operation != DSV_MODIFY_ENTRY)
    return kBadBuffer;
  auto object = Fake().objects.find(UpperCaseAscii(objectName));
  if (object == Fake().objects.end())
    return kNoSuchEntry;
  for (const NWDSBuf::Change& change : changes->changes) {
    if (const int32_t code = Apply(change, object->second[UpperCaseAscii(change.attribute)]))
      return code;
  }
  return 0;
}

int32_t NWDSRead(int32_t context, const char* objectName, uint32_t infoType, int32_t allAttrs,
                 NWDSBuf* attrNames, int32_t* iterationHandle, NWDSBuf* objectInfo) {
  WELCOMER_ANSWER("NWDSRead", objectName);
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
  const ptrdiff_t start = *iterationHandle == NO_MORE_ITERATIONS ? 0 : *iterationHandle;
  const ptrdiff_t end = Fake().valuesPerBuffer == 0
                            ? std::ssize(all)
                            : std::min(std::ssize(all), start + Fake().valuesPerBuffer);
  objectInfo->hasResult = true;
  objectInfo->resultAttribute = attribute;
  objectInfo->resultValues.assign(all.begin() + start, all.begin() + end);
  objectInfo->nextValue = 0;
  const bool more = end < std::ssize(all) || Fake().endlessIteration;
  *iterationHandle = more ? static_cast<int32_t>(end) : NO_MORE_ITERATIONS;
  return 0;
}

int32_t NWDSGetAttrCount(int32_t, NWDSBuf* buf, uint32_t* count) {
  WELCOMER_ANSWER("NWDSGetAttrCount");
  *count = buf->hasResult ? 1 : 0;
  return 0;
}

int32_t NWDSGetAttrName(int32_t, NWDSBuf* buf, char* attrName34, uint32_t* valueCount,
                        uint32_t* syntaxId) {
  WELCOMER_ANSWER("NWDSGetAttrName");
  if (!buf->hasResult)
    return kBadBuffer;
  Put(attrName34, 34, buf->resultAttribute);
  *valueCount = static_cast<uint32_t>(buf->resultValues.size());
  *syntaxId = kStringSyntax;
  return 0;
}

int32_t NWDSComputeAttrValSize(int32_t, NWDSBuf* buf, uint32_t syntaxId, uint32_t* size) {
  WELCOMER_ANSWER("NWDSComputeAttrValSize", syntaxId);
  if (buf->nextValue >= buf->resultValues.size())
    return kBadBuffer;
  *size = static_cast<uint32_t>(buf->resultValues[buf->nextValue].size() + 1) +
          Fake().extraReportedSize;
  return 0;
}

int32_t NWDSGetAttrVal(int32_t, NWDSBuf* buf, uint32_t syntaxId, void* value) {
  WELCOMER_ANSWER("NWDSGetAttrVal", syntaxId);
  if (buf->nextValue >= buf->resultValues.size())
    return kBadBuffer;
  // Exactly the size NWDSComputeAttrValSize reported for it, terminator included.
  const std::string& text = buf->resultValues[buf->nextValue++];
  std::memcpy(value, text.c_str(), text.size() + 1);
  return 0;
}

int32_t NWDSCanonicalizeName(int32_t context, const char* name256, char* canonical256) {
  WELCOMER_ANSWER("NWDSCanonicalizeName", name256);
  const FakeClientLibraries::Context* source = FindContext(context);
  if (source == nullptr)
    return kBadContext;
  Fake().flagsAtCanonicalize = source->flags;
  auto it = Fake().canonicalNames.find(name256);
  const bool known = it != Fake().canonicalNames.end();
  Put(canonical256, 256, known ? it->second : "CN=" + std::string(name256));
  return 0;
}

int32_t NWDSWhoAmI(int32_t context, char* objectName128) {
  WELCOMER_ANSWER("NWDSWhoAmI");
  if (FindContext(context) == nullptr)
    return kBadContext;
  Put(objectName128, 128, Fake().whoAmI);
  return 0;
}

int32_t NWIsDSServer(uint32_t connection, char* treeName256) {
  Enter("NWIsDSServer", connection);
  if (!Fake().directoryServer)
    return 0;
  Put(treeName256, 256, Fake().treeName);
  return 1;
}

// ---- CALWIN32 ----------------------------------------------------------------------------

int32_t NWGetPrimaryConnectionID(uint32_t* connection) {
  WELCOMER_ANSWER("NWGetPrimaryConnectionID");
  *connection = Fake().primaryConnection;
  return 0;
}

int32_t NWGetConnectionInformation(uint32_t connection, uint16_t number, char* objectName48,
                                   uint16_t*, uint32_t*, uint8_t*) {
  WELCOMER_ANSWER("NWGetConnectionInformation", connection, number);
  Put(objectName48, 48, Fake().connectionLoginName);
  return 0;
}

// ---- CLXWIN32 (NWCCGetConnInfo also in CALWIN32) -----------------------------------------

// Any information but the connection number (5) is zeros.
int32_t NWCCGetConnInfo(uint32_t connection, uint32_t infoType, uint32_t length, void* buffer) {
  WELCOMER_ANSWER("NWCCGetConnInfo", connection, infoType, length);
  std::memset(buffer, 0, length);
  if (infoType == 5 && length >= sizeof kConnectionNumber)
    std::memcpy(buffer, &kConnectionNumber, sizeof kConnectionNumber);
  return 0;
}

int32_t NWCCGetPrimConnRef(uint32_t* connectionRef) {
  WELCOMER_ANSWER("NWCCGetPrimConnRef");
  *connectionRef = kPrimaryReference;
  return 0;
}

int32_t NWCCOpenConnByRef(uint32_t connectionRef, uint32_t openState, uint32_t reserved,
                          uint32_t* connection) {
  WELCOMER_ANSWER("NWCCOpenConnByRef", connectionRef, openState, reserved);
  if (connectionRef != kPrimaryReference)
    return kNoSuchObject;
  *connection = Fake().primaryConnection;
  return 0;
}

int32_t NWCCOpenConnByName(uint32_t startConnection, const char* name48, uint32_t nameFormat,
                           uint32_t openState, uint32_t transportType, uint32_t* connection) {
  WELCOMER_ANSWER("NWCCOpenConnByName", startConnection, name48, nameFormat, openState,
                  transportType);
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
#define WELCOMER_FAKE_PLAIN(library, name) \
  symbols[library][#name] = reinterpret_cast<void*>(&Plain<#name, decltype(&::name)>::Entry);

void FillSymbols(std::map<std::string, std::map<std::string, void*>>& symbols) {
  const std::string locale = "LOCWIN32.DLL", net = "NETWIN32.DLL", calls = "CALWIN32.DLL",
                    connection = "CLXWIN32.DLL";
  // Every entry point the layers look up answers 0 at first; the modelled ones replace theirs.
  WELCOMER_NDS_BOUND_AT_START(WELCOMER_FAKE_PLAIN)
  WELCOMER_NDS_BOUND_ON_USE(WELCOMER_FAKE_PLAIN)
  WELCOMER_CALLS_ENTRY_POINTS(WELCOMER_FAKE_PLAIN)
  // Looked up afresh at each use, or bound by the file-server layer.
  WELCOMER_FAKE_PLAIN(net, NWGetPreferredDSServer)
  WELCOMER_FAKE_PLAIN(calls, NWGetConnectionNumber)
  WELCOMER_FAKE_PLAIN(calls, NWGetFileServerInformation)
  WELCOMER_FAKE_PLAIN(calls, NWGetFileServerInfo)
  WELCOMER_FAKE_PLAIN(calls, NWSetFileServerDateAndTime)
  WELCOMER_FAKE_ENTRY(locale, NWLlocaleconv)
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
  WELCOMER_FAKE_ENTRY(net, NWIsDSServer)
  WELCOMER_FAKE_ENTRY(calls, NWGetPrimaryConnectionID)
  WELCOMER_FAKE_ENTRY(calls, NWGetConnectionInformation)
  WELCOMER_FAKE_ENTRY(calls, NWCCGetConnInfo)
  WELCOMER_FAKE_ENTRY(connection, NWCCGetConnInfo)
  WELCOMER_FAKE_ENTRY(connection, NWCCGetPrimConnRef)
  WELCOMER_FAKE_ENTRY(connection, NWCCOpenConnByRef)
  WELCOMER_FAKE_ENTRY(connection, NWCCOpenConnByName)
}

#undef WELCOMER_FAKE_ENTRY
#undef WELCOMER_FAKE_PLAIN
#undef WELCOMER_ANSWER

void ResetClientUnits() {
  ResetDirectoryUnit();
  ResetCallsUnit();
  ResetServerUnit();
}

}  // namespace

FakeClientLibraries::FakeClientLibraries()
    : previous_(SetClientLibraryLoader(this)), previousFake_(current) {
  current = this;
  FillSymbols(libraries);
  ResetClientUnits();
}

FakeClientLibraries::~FakeClientLibraries() {
  ResetClientUnits();
  SetClientLibraryLoader(previous_);
  current = previousFake_;
}

void* FakeClientLibraries::Load(const std::string& name) {
  auto it = libraries.find(name);
  // The map node stands for the module: its address stays put while the library is there.
  return it == libraries.end() ? nullptr : &it->second;
}

void* FakeClientLibraries::Find(void* module, const char* symbol) {
  for (auto& [name, symbols] : libraries) {
    if (&symbols == module) {
      auto it = symbols.find(symbol);
      return it == symbols.end() ? nullptr : it->second;
    }
  }
  return nullptr;
}

int FakeClientLibraries::CountOf(const std::string& function) const {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&function](const auto& c) {
    return c == function || c.starts_with(function + "(");
  }));
}

bool FakeClientLibraries::Called(const std::string& text) const {
  return std::find(calls.begin(), calls.end(), text) != calls.end();
}

}  // namespace welcomer::testing
