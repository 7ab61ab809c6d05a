// A minimal client built as a real shared object, for the loader tests: every entry point of the
// contract answers as a logged-in user (STUBUSER on connection 5) of a server that is no directory
// server, and the directory finds no object. Built without NWDSOpenStream when
// WELCOMER_STUB_WITHOUT_OPEN_STREAM is defined.

#include <cstring>

#include "netware/ClientAbi.h"

struct NWDSBuf {
  int unused;
};

// An entry point that only answers `code`. Its parameter list must match the client's
// declaration, or the two declarations of one C function conflict and the build fails.
#define WELCOMER_STUB(code, name, ...) \
  int32_t name(__VA_ARGS__) {          \
    return code;                       \
  }

extern "C" {

WELCOMER_STUB(0, NWLlocaleconv, void*)
WELCOMER_STUB(0, NWInitUnicodeTables, int32_t, int32_t)
WELCOMER_STUB(0, NWFreeUnicodeTables, void)
WELCOMER_STUB(100, NWDSCreateContext, void)
WELCOMER_STUB(100, NWDSDuplicateContext, int32_t)
WELCOMER_STUB(-1, NWDSDuplicateContextHandle, int32_t, int32_t*)
WELCOMER_STUB(0, NWDSFreeContext, int32_t)
WELCOMER_STUB(-1, NWDSGetContext, int32_t, int32_t, void*)
WELCOMER_STUB(0, NWDSFreeBuf, NWDSBuf*)
WELCOMER_STUB(-1, NWDSWhoAmI, int32_t, char*)
WELCOMER_STUB(-1, NWGetPrimaryConnectionID, uint32_t*)
WELCOMER_STUB(0, NWDSSetContext, int32_t, int32_t, const void*)
WELCOMER_STUB(0, NWDSInitBuf, int32_t, uint32_t, NWDSBuf*)
WELCOMER_STUB(0, NWDSPutAttrName, int32_t, NWDSBuf*, const char*)
WELCOMER_STUB(0, NWDSPutChange, int32_t, NWDSBuf*, uint32_t, const char*)
WELCOMER_STUB(0, NWDSPutAttrVal, int32_t, NWDSBuf*, uint32_t, const void*)
WELCOMER_STUB(-601, NWDSModifyObject, int32_t, const char*, int32_t*, int32_t, NWDSBuf*)
WELCOMER_STUB(-601, NWDSRead, int32_t, const char*, uint32_t, int32_t, NWDSBuf*, int32_t*, NWDSBuf*)
WELCOMER_STUB(-1, NWDSGetAttrCount, int32_t, NWDSBuf*, uint32_t*)
WELCOMER_STUB(-1, NWDSGetAttrName, int32_t, NWDSBuf*, char*, uint32_t*, uint32_t*)
WELCOMER_STUB(-1, NWDSComputeAttrValSize, int32_t, NWDSBuf*, uint32_t, uint32_t*)
WELCOMER_STUB(-1, NWDSGetAttrVal, int32_t, NWDSBuf*, uint32_t, void*)
WELCOMER_STUB(-1, NWDSCanonicalizeName, int32_t, const char*, char*)
WELCOMER_STUB(-601, NWDSMapNameToID, int32_t, uint32_t, const char*, uint32_t*)
WELCOMER_STUB(-601, NWDSAuditGetObjectID, int32_t, const char*, uint32_t*, uint32_t*)
WELCOMER_STUB(0, NWIsDSServer, uint32_t, char*)
WELCOMER_STUB(-1, NWGetPreferredDSServer, uint32_t*)
WELCOMER_STUB(-1, NWSetPreferredDSTree, uint32_t, const char*)
WELCOMER_STUB(0, NWDSRemoveObject, void)
WELCOMER_STUB(0, NWDSGenerateObjectKeyPair, void)
WELCOMER_STUB(0, NWDSGetObjectName, void)
WELCOMER_STUB(0, NWDSGetObjectCount, void)
WELCOMER_STUB(0, NWDSAddObject, void)
WELCOMER_STUB(0, NWDSList, void)
#ifndef WELCOMER_STUB_WITHOUT_OPEN_STREAM
WELCOMER_STUB(0, NWDSOpenStream, void)
#endif
WELCOMER_STUB(0, NWCallsInit, void*, void*)
WELCOMER_STUB(-1, NWGetConnectionNumber, uint32_t, uint16_t*)
WELCOMER_STUB(-1, NWGetObjectID, uint32_t, const char*, uint16_t, uint32_t*)
WELCOMER_STUB(-1, NWCheckConsolePrivileges, uint32_t)
WELCOMER_STUB(-1, NWIsManager, uint32_t)
WELCOMER_STUB(-1, NWGetFileServerName, uint32_t, char*)
WELCOMER_STUB(-1, NWGetFileServerDateAndTime, uint32_t, uint8_t*)
WELCOMER_STUB(-1, NWGetMaximumConnections, uint16_t*)
WELCOMER_STUB(-1, NWGetConnectionHandle, const char*, uint16_t, uint32_t*, uint16_t*)
WELCOMER_STUB(-1, NWSetPrimaryConnectionID, uint32_t)
WELCOMER_STUB(-1, NWSetBroadcastMode, uint32_t, uint16_t)
WELCOMER_STUB(-1, NWReadPropertyValue, uint32_t, const char*, uint16_t, const char*, uint8_t,
              uint8_t*, uint8_t*, uint8_t*)
WELCOMER_STUB(-1, NWGetFirstDrive, uint16_t*)
WELCOMER_STUB(-1, NWGetDriveStatus, uint16_t, uint16_t, uint16_t*, uint32_t*, char*, char*, char*)
WELCOMER_STUB(-1, NWSetNetWareErrorMode, uint8_t, uint8_t*)
WELCOMER_STUB(-1, NWGetFileServerInformation, uint32_t, char*, uint8_t*, uint8_t*, uint8_t*,
              uint16_t*, uint16_t*, uint16_t*, uint16_t*, uint8_t*, uint8_t*)
WELCOMER_STUB(-1, NWGetFileServerInfo, uint32_t, uint8_t*)
WELCOMER_STUB(-1, NWSetFileServerDateAndTime, uint32_t, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t,
              uint8_t)
WELCOMER_STUB(-1, NWCCGetConnInfo, uint32_t, uint32_t, uint32_t, void*)
WELCOMER_STUB(-1, NWCCSetPrefServerName, const char*)
WELCOMER_STUB(-1, NWCCOpenConnByName, uint32_t, const char*, uint32_t, uint32_t, uint32_t,
              uint32_t*)

int32_t NWDSAllocBuf(uint32_t, NWDSBuf** buf) {
  static NWDSBuf buffer;
  *buf = &buffer;
  return 0;
}
int32_t NWGetConnectionInformation(uint32_t, uint16_t, char* objectName48, uint16_t*, uint32_t*,
                                   uint8_t*) {
  std::strncpy(objectName48, "STUBUSER", 48);
  return 0;
}
uint32_t NWLongSwap(uint32_t value) {
  return __builtin_bswap32(value);
}
int32_t NWCCGetPrimConnRef(uint32_t* connectionRef) {
  *connectionRef = 50;
  return 0;
}
int32_t NWCCOpenConnByRef(uint32_t connectionRef, uint32_t, uint32_t, uint32_t* connection) {
  *connection = connectionRef == 50 ? 5 : 0;
  return 0;
}

}  // extern "C"
