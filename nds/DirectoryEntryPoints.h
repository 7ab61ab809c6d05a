#pragma once

// The directory client's entry points that the directory unit binds, as tables of
// (library, name). Each table expands into typed slots, whose types come from the client's own
// declarations, and into the code that binds them, so the order of look-up lives in one place.

#include "netware/ClientAbi.h"

/// Looked up one after another when the binding is made; the first one missing ends the binding.
/// The order is the client contract's, down to the seven that are bound but never called.
#define WELCOMER_NDS_BOUND_AT_START(X) \
  X(locale, NWLlocaleconv)             \
  X(locale, NWInitUnicodeTables)       \
  X(net, NWDSCreateContext)            \
  X(net, NWDSFreeContext)              \
  X(net, NWDSSetContext)               \
  X(net, NWDSAllocBuf)                 \
  X(net, NWDSInitBuf)                  \
  X(net, NWDSFreeBuf)                  \
  X(net, NWDSDuplicateContext)         \
  X(net, NWDSPutAttrName)              \
  X(net, NWDSPutAttrVal)               \
  X(net, NWDSGetAttrName)              \
  X(net, NWDSGetAttrVal)               \
  X(net, NWDSGetAttrCount)             \
  X(net, NWDSPutChange)                \
  X(net, NWDSModifyObject)             \
  X(net, NWDSComputeAttrValSize)       \
  X(net, NWDSRead)                     \
  X(net, NWDSRemoveObject)             \
  X(net, NWDSGenerateObjectKeyPair)    \
  X(net, NWDSGetObjectName)            \
  X(net, NWDSGetObjectCount)           \
  X(net, NWDSAddObject)                \
  X(net, NWDSList)                     \
  X(locale, NWFreeUnicodeTables)       \
  X(net, NWDSGetContext)               \
  X(net, NWDSOpenStream)

/// Looked up by the routine that first needs them and kept once found.
#define WELCOMER_NDS_BOUND_ON_USE(X) \
  X(net, NWDSCanonicalizeName)       \
  X(net, NWDSDuplicateContextHandle) \
  X(net, NWDSWhoAmI)                 \
  X(net, NWDSMapNameToID)            \
  X(net, NWDSAuditGetObjectID)       \
  X(net, NWIsDSServer)               \
  X(net, NWSetPreferredDSTree)
