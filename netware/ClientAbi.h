#pragma once

/* The C interface of the directory client libraries that the program binds at run time:
 * liblocwin32.so, libnetwin32.so, libcalwin32.so and libclxwin32.so in the program's library
 * folder. The program takes the type of every entry point it looks up from these declarations,
 * and the client we ship defines them, so both sides agree or fail to compile.
 *
 * Return codes are 0 on success and a negative code otherwise unless said otherwise; text is
 * NUL-terminated, and a number in a parameter's name is the size in bytes of the buffer the
 * caller hands over (e.g. objectName128). */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define NWCLIENT_API __attribute__((visibility("default")))
#else
#define NWCLIENT_API
#endif

/** A request or result buffer of the directory client; its layout is the client's own. */
typedef struct NWDSBuf NWDSBuf;

/* ---- LOCWIN32: locale and Unicode tables ------------------------------------------------ */
/** Fills a 132-byte locale block: code page int32 at byte 56, country code int32 at byte 60. */
NWCLIENT_API int32_t NWLlocaleconv(void* lconv132);
NWCLIENT_API int32_t NWInitUnicodeTables(int32_t countryCode, int32_t codePage);
NWCLIENT_API int32_t NWFreeUnicodeTables(void);

/* ---- NETWIN32: the directory ------------------------------------------------------------ */
/** Returns the new context's handle (negative on failure). */
NWCLIENT_API int32_t NWDSCreateContext(void);
/** Returns the new context's handle (negative on failure). */
NWCLIENT_API int32_t NWDSDuplicateContext(int32_t context);
NWCLIENT_API int32_t NWDSDuplicateContextHandle(int32_t src, int32_t* dest);
NWCLIENT_API int32_t NWDSFreeContext(int32_t context);
NWCLIENT_API int32_t NWDSSetContext(int32_t context, int32_t key, const void* value);
NWCLIENT_API int32_t NWDSGetContext(int32_t context, int32_t key, void* value);
NWCLIENT_API int32_t NWDSAllocBuf(uint32_t size, NWDSBuf** buf);
NWCLIENT_API int32_t NWDSInitBuf(int32_t context, uint32_t operation, NWDSBuf* buf);
NWCLIENT_API int32_t NWDSFreeBuf(NWDSBuf* buf);
NWCLIENT_API int32_t NWDSPutAttrName(int32_t context, NWDSBuf* buf, const char* attrName);
NWCLIENT_API int32_t NWDSPutChange(int32_t context, NWDSBuf* buf, uint32_t changeType,
                                   const char* attrName);
NWCLIENT_API int32_t NWDSPutAttrVal(int32_t context, NWDSBuf* buf, uint32_t syntaxId,
                                    const void* value);
NWCLIENT_API int32_t NWDSModifyObject(int32_t context, const char* objectName,
                                      int32_t* iterationHandle, int32_t more, NWDSBuf* changes);
NWCLIENT_API int32_t NWDSRead(int32_t context, const char* objectName, uint32_t infoType,
                              int32_t allAttrs, NWDSBuf* attrNames, int32_t* iterationHandle,
                              NWDSBuf* objectInfo);
NWCLIENT_API int32_t NWDSGetAttrCount(int32_t context, NWDSBuf* buf, uint32_t* count);
NWCLIENT_API int32_t NWDSGetAttrName(int32_t context, NWDSBuf* buf, char* attrName34,
                                     uint32_t* valueCount, uint32_t* syntaxId);
NWCLIENT_API int32_t NWDSComputeAttrValSize(int32_t context, NWDSBuf* buf, uint32_t syntaxId,
                                            uint32_t* size);
NWCLIENT_API int32_t NWDSGetAttrVal(int32_t context, NWDSBuf* buf, uint32_t syntaxId, void* value);
NWCLIENT_API int32_t NWDSCanonicalizeName(int32_t context, const char* name256, char* canonical256);
NWCLIENT_API int32_t NWDSWhoAmI(int32_t context, char* objectName128);
NWCLIENT_API int32_t NWDSMapNameToID(int32_t context, uint32_t connection, const char* name256,
                                     uint32_t* objectId);
NWCLIENT_API int32_t NWDSAuditGetObjectID(int32_t context, const char* name256,
                                          uint32_t* connection, uint32_t* objectId);
/** Not 0 when the connection leads to a directory server; fills the tree name. */
NWCLIENT_API int32_t NWIsDSServer(uint32_t connection, char* treeName256);
NWCLIENT_API int32_t NWGetPreferredDSServer(uint32_t* connection);
NWCLIENT_API int32_t NWSetPreferredDSTree(uint32_t length, const char* treeName256);
/** Only in the client we ship, so the program looks it up as optional: the client's own words
 * for why its most recent failing call failed (what its store answered), NUL-terminated and cut
 * to fit; an empty text when it knows no more than the code. */
NWCLIENT_API int32_t NWDSLastFailureText(char* text512);
/** Only in the client we ship, optional as the one above: changes of this process from
 * NWDSBeginChanges to NWDSEndChanges are stored together, so that many in a row cost one sync.
 * Each change still applies all or nothing and answers at once; what it answered is kept only
 * when NWDSEndChanges returns 0. */
NWCLIENT_API int32_t NWDSBeginChanges(void);
NWCLIENT_API int32_t NWDSEndChanges(void);
/* Bound but never called by the program. */
NWCLIENT_API int32_t NWDSRemoveObject(void);
NWCLIENT_API int32_t NWDSGenerateObjectKeyPair(void);
NWCLIENT_API int32_t NWDSGetObjectName(void);
NWCLIENT_API int32_t NWDSGetObjectCount(void);
NWCLIENT_API int32_t NWDSAddObject(void);
NWCLIENT_API int32_t NWDSList(void);
NWCLIENT_API int32_t NWDSOpenStream(void);

/* ---- NETWIN32, this client's own addition ------------------------------------------------
 * Looked up only when present: other clients do not have it, and the program does without. */
/** Takes the oldest notice the client has for the user (where the state came from, what the
 *  directory answered to a refused write), cut to fit `size` bytes with its terminator. 0, or
 *  the client's "buffer empty" code when there is none left. */
NWCLIENT_API int32_t NWWelcomerTakeNotice(char* text, uint32_t size);

/* ---- CALWIN32: calls library ------------------------------------------------------------ */
NWCLIENT_API int32_t NWCallsInit(void* in, void* out);
NWCLIENT_API int32_t NWGetPrimaryConnectionID(uint32_t* connection);
NWCLIENT_API int32_t NWGetConnectionNumber(uint32_t connection, uint16_t* number);
NWCLIENT_API int32_t NWGetConnectionInformation(uint32_t connection, uint16_t number,
                                                char* objectName48, uint16_t* objectType,
                                                uint32_t* objectId, uint8_t* loginTime7);
NWCLIENT_API uint32_t NWLongSwap(uint32_t value);
NWCLIENT_API int32_t NWGetObjectID(uint32_t connection, const char* objectName48,
                                   uint16_t objectType, uint32_t* objectId);
NWCLIENT_API int32_t NWCheckConsolePrivileges(uint32_t connection);
NWCLIENT_API int32_t NWIsManager(uint32_t connection);
NWCLIENT_API int32_t NWGetFileServerName(uint32_t connection, char* serverName48);
NWCLIENT_API int32_t NWGetFileServerDateAndTime(uint32_t connection, uint8_t* dateTime7);
NWCLIENT_API int32_t NWGetMaximumConnections(uint16_t* count);
NWCLIENT_API int32_t NWGetConnectionHandle(const char* serverName48, uint16_t reserved1,
                                           uint32_t* connection, uint16_t* reserved2);
NWCLIENT_API int32_t NWSetPrimaryConnectionID(uint32_t connection);
NWCLIENT_API int32_t NWSetBroadcastMode(uint32_t connection, uint16_t mode);
NWCLIENT_API int32_t NWReadPropertyValue(uint32_t connection, const char* objectName48,
                                         uint16_t objectType, const char* propertyName48,
                                         uint8_t segment, uint8_t* value128, uint8_t* moreSegments,
                                         uint8_t* propertyFlags);
NWCLIENT_API int32_t NWGetFirstDrive(uint16_t* drive);
NWCLIENT_API int32_t NWGetDriveStatus(uint16_t drive, uint16_t pathFormat, uint16_t* status,
                                      uint32_t* connection, char* rootPath256,
                                      char* relativePath256, char* fullPath256);
NWCLIENT_API int32_t NWSetNetWareErrorMode(uint8_t mode, uint8_t* previousMode);
NWCLIENT_API int32_t NWGetFileServerInformation(uint32_t connection, char* serverName48,
                                                uint8_t* majorVersion, uint8_t* minorVersion,
                                                uint8_t* revision, uint16_t* maxConnections,
                                                uint16_t* peakConnections,
                                                uint16_t* connectionsInUse, uint16_t* volumes,
                                                uint8_t* sftLevel, uint8_t* ttsLevel);
NWCLIENT_API int32_t NWGetFileServerInfo(uint32_t connection, uint8_t* reply160);
NWCLIENT_API int32_t NWSetFileServerDateAndTime(uint32_t connection, uint8_t year, uint8_t month,
                                                uint8_t day, uint8_t hour, uint8_t minute,
                                                uint8_t second);

/* ---- CLXWIN32 (NWCCGetConnInfo is looked up in CALWIN32 and CLXWIN32 alike) -------------- */
NWCLIENT_API int32_t NWCCGetConnInfo(uint32_t connection, uint32_t infoType, uint32_t length,
                                     void* buffer);
NWCLIENT_API int32_t NWCCGetPrimConnRef(uint32_t* connectionRef);
NWCLIENT_API int32_t NWCCOpenConnByRef(uint32_t connectionRef, uint32_t openState,
                                       uint32_t reserved, uint32_t* connection);
NWCLIENT_API int32_t NWCCSetPrefServerName(const char* serverName48);
NWCLIENT_API int32_t NWCCOpenConnByName(uint32_t startConnection, const char* name48,
                                        uint32_t nameFormat, uint32_t openState,
                                        uint32_t transportType, uint32_t* connection);

#ifdef __cplusplus
}
#endif
