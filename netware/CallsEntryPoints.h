#pragma once

// The calls layer's entry points as one table of (library, name), expanded into typed slots
// whose types come from the client's own declarations.

#include "netware/ClientAbi.h"

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
