// A minimal client built as a real shared object, for the loader tests: every entry point of the
// contract answers as a logged-in user on a server that is no directory server. Built without
// NWDSOpenStream when WELCOMER_STUB_WITHOUT_OPEN_STREAM is defined.

#include <cstring>

#include "netware/NWClientABI.h"

struct NWDSBuf {
  int unused;
};

namespace {

int32_t nextContext = 100;

void Put(char* destination, size_t size, const char* text) {
  std::strncpy(destination, text, size - 1);
  destination[size - 1] = '\0';
}

}  // namespace

extern "C" {

int32_t NWLlocaleconv(void* lconv132) {
  std::memset(lconv132, 0, 132);
  return 0;
}
int32_t NWInitUnicodeTables(int32_t, int32_t) {
  return 0;
}
int32_t NWFreeUnicodeTables(void) {
  return 0;
}

int32_t NWDSCreateContext(void) {
  return nextContext++;
}
int32_t NWDSDuplicateContext(int32_t) {
  return nextContext++;
}
int32_t NWDSDuplicateContextHandle(int32_t, int32_t* dest) {
  *dest = nextContext++;
  return 0;
}
int32_t NWDSFreeContext(int32_t) {
  return 0;
}
int32_t NWDSSetContext(int32_t, int32_t, const void*) {
  return 0;
}
int32_t NWDSGetContext(int32_t, int32_t key, void* value) {
  if (key == 1)
    *static_cast<uint32_t*>(value) = 0;
  else
    Put(static_cast<char*>(value), 128, "[Root]");
  return 0;
}
int32_t NWDSAllocBuf(uint32_t, NWDSBuf** buf) {
  *buf = new NWDSBuf{0};
  return 0;
}
int32_t NWDSInitBuf(int32_t, uint32_t, NWDSBuf*) {
  return 0;
}
int32_t NWDSFreeBuf(NWDSBuf* buf) {
  delete buf;
  return 0;
}
int32_t NWDSPutAttrName(int32_t, NWDSBuf*, const char*) {
  return 0;
}
int32_t NWDSPutChange(int32_t, NWDSBuf*, uint32_t, const char*) {
  return 0;
}
int32_t NWDSPutAttrVal(int32_t, NWDSBuf*, uint32_t, const void*) {
  return 0;
}
int32_t NWDSModifyObject(int32_t, const char*, int32_t*, int32_t, NWDSBuf*) {
  return -601;
}
int32_t NWDSRead(int32_t, const char*, uint32_t, int32_t, NWDSBuf*, int32_t*, NWDSBuf*) {
  return -601;
}
int32_t NWDSGetAttrCount(int32_t, NWDSBuf*, uint32_t* count) {
  *count = 0;
  return 0;
}
int32_t NWDSGetAttrName(int32_t, NWDSBuf*, char*, uint32_t*, uint32_t*) {
  return -1;
}
int32_t NWDSComputeAttrValSize(int32_t, NWDSBuf*, uint32_t, uint32_t*) {
  return -1;
}
int32_t NWDSGetAttrVal(int32_t, NWDSBuf*, uint32_t, void*) {
  return -1;
}
int32_t NWDSCanonicalizeName(int32_t, const char* name256, char* canonical256) {
  Put(canonical256, 256, name256);
  return 0;
}
int32_t NWDSWhoAmI(int32_t, char* objectName128) {
  Put(objectName128, 128, "stubuser");
  return 0;
}
int32_t NWDSMapNameToID(int32_t, uint32_t, const char*, uint32_t*) {
  return -601;
}
int32_t NWDSAuditGetObjectID(int32_t, const char*, uint32_t*, uint32_t*) {
  return -601;
}
int32_t NWIsDSServer(uint32_t, char*) {
  return 0;
}
int32_t NWGetPreferredDSServer(uint32_t*) {
  return -1;
}
int32_t NWSetPreferredDSTree(uint32_t, const char*) {
  return -1;
}
int32_t NWDSRemoveObject(void) {
  return 0;
}
int32_t NWDSGenerateObjectKeyPair(void) {
  return 0;
}
int32_t NWDSGetObjectName(void) {
  return 0;
}
int32_t NWDSGetObjectCount(void) {
  return 0;
}
int32_t NWDSAddObject(void) {
  return 0;
}
int32_t NWDSList(void) {
  return 0;
}
#ifndef WELCOMER_STUB_WITHOUT_OPEN_STREAM
int32_t NWDSOpenStream(void) {
  return 0;
}
#endif

int32_t NWCallsInit(void*, void*) {
  return 0;
}
int32_t NWGetPrimaryConnectionID(uint32_t* connection) {
  *connection = 5;
  return 0;
}
int32_t NWGetConnectionNumber(uint32_t, uint16_t* number) {
  *number = 2;
  return 0;
}
int32_t NWGetConnectionInformation(uint32_t, uint16_t, char* objectName48, uint16_t*, uint32_t*,
                                   uint8_t*) {
  Put(objectName48, 48, "STUBUSER");
  return 0;
}
uint32_t NWLongSwap(uint32_t value) {
  return __builtin_bswap32(value);
}
int32_t NWGetObjectID(uint32_t, const char*, uint16_t, uint32_t*) {
  return -1;
}
int32_t NWCheckConsolePrivileges(uint32_t) {
  return -1;
}
int32_t NWIsManager(uint32_t) {
  return -1;
}
int32_t NWGetFileServerName(uint32_t, char* serverName48) {
  Put(serverName48, 48, "STUBSERVER");
  return 0;
}
int32_t NWGetFileServerDateAndTime(uint32_t, uint8_t*) {
  return -1;
}
int32_t NWGetMaximumConnections(uint16_t*) {
  return -1;
}
int32_t NWGetConnectionHandle(const char*, uint16_t, uint32_t*, uint16_t*) {
  return -1;
}
int32_t NWSetPrimaryConnectionID(uint32_t) {
  return -1;
}
int32_t NWSetBroadcastMode(uint32_t, uint16_t) {
  return -1;
}
int32_t NWReadPropertyValue(uint32_t, const char*, uint16_t, const char*, uint8_t, uint8_t*,
                            uint8_t*, uint8_t*) {
  return -1;
}
int32_t NWGetFirstDrive(uint16_t*) {
  return -1;
}
int32_t NWGetDriveStatus(uint16_t, uint16_t, uint16_t*, uint32_t*, char*, char*, char*) {
  return -1;
}
int32_t NWSetNetWareErrorMode(uint8_t, uint8_t*) {
  return -1;
}
int32_t NWGetFileServerInformation(uint32_t, char*, uint8_t*, uint8_t*, uint8_t*, uint16_t*,
                                   uint16_t*, uint16_t*, uint16_t*, uint8_t*, uint8_t*) {
  return -1;
}
int32_t NWGetFileServerInfo(uint32_t, uint8_t*) {
  return -1;
}
int32_t NWSetFileServerDateAndTime(uint32_t, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t) {
  return -1;
}
int32_t NWCCGetConnInfo(uint32_t, uint32_t, uint32_t, void*) {
  return -1;
}
int32_t NWCCGetPrimConnRef(uint32_t* connectionRef) {
  *connectionRef = 50;
  return 0;
}
int32_t NWCCOpenConnByRef(uint32_t connectionRef, uint32_t, uint32_t, uint32_t* connection) {
  *connection = connectionRef / 10;
  return 0;
}
int32_t NWCCSetPrefServerName(const char*) {
  return -1;
}
int32_t NWCCOpenConnByName(uint32_t, const char*, uint32_t, uint32_t, uint32_t, uint32_t*) {
  return -1;
}

}  // extern "C"
