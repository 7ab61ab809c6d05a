#pragma once

// The state of the unit nwlib, shared by its two halves: the binding (CallsBinding.cpp) and the
// connection operations (nwlib.cpp). Nothing outside the unit reads or writes it.

#include <cstdint>

#include "netware/ClientAbi.h"
#include "netware/ClientBinding.h"

/// Kept once found; looked up again at each use while missing. NWCCGetConnInfo is not listed: it
/// is one slot that two libraries may fill.
#define WELCOMER_CALLS_ENTRY_POINTS(X) \
  X(calls, NWCallsInit)                \
  X(calls, NWGetPrimaryConnectionID)   \
  X(calls, NWGetConnectionInformation) \
  X(calls, NWLongSwap)                 \
  X(calls, NWGetObjectID)              \
  X(calls, NWCheckConsolePrivileges)   \
  X(calls, NWIsManager)                \
  X(calls, NWGetFileServerName)        \
  X(calls, NWGetFileServerDateAndTime) \
  X(calls, NWGetMaximumConnections)    \
  X(calls, NWGetConnectionHandle)      \
  X(calls, NWSetPrimaryConnectionID)   \
  X(calls, NWSetBroadcastMode)         \
  X(calls, NWReadPropertyValue)        \
  X(calls, NWGetFirstDrive)            \
  X(calls, NWGetDriveStatus)           \
  X(calls, NWSetNetWareErrorMode)      \
  X(connection, NWCCGetPrimConnRef)    \
  X(connection, NWCCSetPrefServerName)

namespace welcomer {

/// The unit's references to the client's entry points, typed by the client's own declarations.
struct CallsEntryPoints {
#define WELCOMER_CALLS_SLOT(library, name) decltype(&::name) name = nullptr;
  WELCOMER_CALLS_ENTRY_POINTS(WELCOMER_CALLS_SLOT)
#undef WELCOMER_CALLS_SLOT
  // Filled from whichever library is asked first; both serve all its users from then on.
  decltype(&::NWCCGetConnInfo) NWCCGetConnInfo = nullptr;
};

/// The unit-level state of the calls layer, one copy per process.
struct CallsLayerState {
  void* callsModule = nullptr;
  void* connectionModule = nullptr;
  uint32_t primaryConnection = 0;
  int32_t lastErrorCode = 0;
  int32_t lastReturnCode = 0;
  bool ndsMode = false;
  CallsEntryPoints entry;

  /// Keeps `code` as the last return code and, when it is not 0, as the last error code.
  void Record(int32_t code) {
    lastReturnCode = code;
    if (code != 0)
      lastErrorCode = code;
  }
};

/// The one state of the unit.
CallsLayerState& CallsLayer();

}  // namespace welcomer

/// Looks the entry point `name` up in the library of the table's row while its slot is empty.
#define WELCOMER_CALLS_BIND(library, name) \
  BindEntryPoint(CallsLayer().library##Module, #name, CallsLayer().entry.name)
/// Looks the entry point `name` up afresh, without keeping it.
#define WELCOMER_CALLS_LOOK_UP(library, name) \
  LookUpEntryPoint<decltype(&::name)>(CallsLayer().library##Module, #name)
