#include "netware/CallsBinding.h"

#include "netware/CallsEntryPoints.h"
#include "netware/ClientBinding.h"
#include "platform/ClientLibrary.h"

namespace welcomer {

CallsLayerState& CallsLayer() {
  static CallsLayerState state;
  return state;
}

TNWLib::TNWLib() {
  CallsLayerState& unit = CallsLayer();
  unit.primaryConnection = 0;
  unit.lastErrorCode = 0;
  unit.callsModule = nullptr;
  unit.connectionModule = nullptr;
  unit.ndsMode = false;
  ClientLibraryLoader& loader = CurrentClientLibraryLoader();
  unit.callsModule = loader.Load("CALWIN32.DLL");
  if (unit.callsModule == nullptr) {
    unit.lastErrorCode = kCallsLibraryMissing;
    return;
  }
  unit.connectionModule = loader.Load("CLXWIN32.DLL");
  if (unit.connectionModule == nullptr) {
    unit.lastErrorCode = kCallsLibraryMissing;
    return;
  }
  if (WELCOMER_CALLS_BIND(calls, NWCallsInit)) {
    uint32_t scratch = 0;
    if (unit.entry.NWCallsInit(&scratch, &scratch) == 0)
      unit.primaryConnection = GetPrimaryConnection();
  }
}

std::string TNWLib::LastErrorText() const {
  return ErrorCodeText(CallsLayer().lastErrorCode);
}

int32_t TNWLib::LastErrorCode() {
  return CallsLayer().lastErrorCode;
}

int32_t TNWLib::LastReturnCode() {
  return CallsLayer().lastReturnCode;
}

std::string GetLibVersion() {
  return "4.60 - 1 August 1999";
}

void SetNDSMode(bool flag) {
  CallsLayer().ndsMode = flag;
}

bool NDSMode() {
  return CallsLayer().ndsMode;
}

bool IsNetAvailable() {
  const CallsLayerState& unit = CallsLayer();
  if (unit.callsModule == nullptr || unit.connectionModule == nullptr)
    return false;
  return GetPrimaryConnection() != 0;
}

uint32_t GetPrimaryConnection() {
  CallsLayerState& unit = CallsLayer();
  if (unit.primaryConnection != 0)
    return unit.primaryConnection;
  int32_t code = -1;
  uint32_t connection = 0;
  if (WELCOMER_CALLS_BIND(connection, NWCCGetPrimConnRef)) {
    uint32_t reference = 0;
    // Its own code is not kept: when it fails, nothing usable answered.
    if (unit.entry.NWCCGetPrimConnRef(&reference) == 0) {
      if (const auto open = WELCOMER_CALLS_LOOK_UP(connection, NWCCOpenConnByRef))
        code = open(reference, 1, 0, &connection);
    }
  } else if (WELCOMER_CALLS_BIND(calls, NWGetPrimaryConnectionID)) {
    code = unit.entry.NWGetPrimaryConnectionID(&connection);
  }
  unit.Record(code);
  return code == 0 ? connection : 0;
}

uint32_t PrimaryWhenZero(uint32_t connection) {
  return connection == 0 ? GetPrimaryConnection() : connection;
}

uint32_t LongSwap(uint32_t value) {
  if (!WELCOMER_CALLS_BIND(calls, NWLongSwap))
    return 0;
  return CallsLayer().entry.NWLongSwap(value);
}

void* CallsLibraryModule() {
  return CallsLayer().callsModule;
}

void* ConnectionLibraryModule() {
  return CallsLayer().connectionModule;
}

void SetPrimaryConnectionCache(uint32_t connection) {
  CallsLayer().primaryConnection = connection;
}

void ResetCallsUnit() {
  CallsLayer() = CallsLayerState();
}

}  // namespace welcomer
