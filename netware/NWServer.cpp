#include "netware/NWServer.h"

#include <cstring>

#include "netware/CallsBinding.h"
#include "netware/ClientAbi.h"
#include "netware/ClientBinding.h"
#include "platform/AsciiText.h"

namespace welcomer {
namespace {

struct EntryPoints {
  decltype(&::NWGetFileServerInfo) NWGetFileServerInfo = nullptr;
  decltype(&::NWGetFileServerInformation) NWGetFileServerInformation = nullptr;
  decltype(&::NWSetFileServerDateAndTime) NWSetFileServerDateAndTime = nullptr;
  decltype(&::NWCCOpenConnByName) NWCCOpenConnByName = nullptr;
  decltype(&::NWGetConnectionHandle) NWGetConnectionHandle = nullptr;
};

int32_t lastErrorCode = 0;
int32_t lastReturnCode = 0;
EntryPoints entry;

#define WELCOMER_SERVER_BIND(module, name) BindEntryPoint(module(), #name, entry.name)

void Record(int32_t code) {
  lastReturnCode = code;
  if (code != 0)
    lastErrorCode = code;
}

uint32_t ReplyWord(const uint8_t* reply, size_t offset) {
  uint32_t word = 0;
  std::memcpy(&word, reply + offset, sizeof word);
  return word;
}

}  // namespace

std::string TNWServer::LastErrorText() const {
  return ErrorCodeText(lastErrorCode);
}

int32_t TNWServer::LastErrorCode() {
  return lastErrorCode;
}

bool GetServerInfo(uint32_t connection, TNWServerInfo& info) {
  if (!WELCOMER_SERVER_BIND(CallsLibraryModule, NWGetFileServerInfo) ||
      !WELCOMER_SERVER_BIND(CallsLibraryModule, NWGetFileServerInformation)) {
    return false;
  }
  connection = PrimaryWhenZero(connection);
  char name[48] = {};
  uint8_t major = 0, minor = 0, revision = 0, sft = 0, tts = 0;
  uint16_t maxConnections = 0, peak = 0, inUse = 0, volumes = 0;
  if (entry.NWGetFileServerInformation(connection, name, &major, &minor, &revision, &maxConnections,
                                       &peak, &inUse, &volumes, &sft, &tts) != 0) {
    return false;
  }
  // Servers before version 4 have no extended reply; its fields stay 0.
  uint8_t reply[160] = {};
  bool answered = true;
  if (major >= 4)
    answered = entry.NWGetFileServerInfo(connection, reply) == 0;
  info.serverName = TextOf(name);
  info.serverInformationWord = ReplyWord(reply, 0);
  info.reservedFlag = 0;
  info.serverInformationByte = reply[24];
  info.reserved1 = 0;
  info.reserved2 = 0;
  info.firstCounter = ReplyWord(reply, 140);
  info.secondCounter = ReplyWord(reply, 144);
  info.versionText = std::to_string(major) + "." + std::to_string(minor);
  info.maxConnections = maxConnections;
  info.connectionsInUse = inUse;
  info.peakConnections = peak;
  info.volumes = volumes;
  info.sftLevel = sft;
  info.ttsLevel = tts;
  return answered;
}

bool SetServerDateTime(uint32_t connection, const LocalDateTime& dateTime) {
  if (!WELCOMER_SERVER_BIND(CallsLibraryModule, NWSetFileServerDateAndTime))
    return false;
  connection = PrimaryWhenZero(connection);
  const int year = dateTime.year > 1900 ? dateTime.year - 1900 : dateTime.year;
  const int32_t code = entry.NWSetFileServerDateAndTime(
      connection, static_cast<uint8_t>(year), static_cast<uint8_t>(dateTime.month),
      static_cast<uint8_t>(dateTime.day), static_cast<uint8_t>(dateTime.hour),
      static_cast<uint8_t>(dateTime.minute), static_cast<uint8_t>(dateTime.second));
  Record(code);
  return code == 0;
}

uint32_t OpenServerConnection(const std::string& serverName) {
  char name[48];
  if (!CopyToBuffer(UpperCaseAscii(serverName), name))
    return 0;
  uint32_t handle = 0;
  int32_t code = 0;
  bool asked = false;
  if (WELCOMER_SERVER_BIND(ConnectionLibraryModule, NWCCOpenConnByName)) {
    code = entry.NWCCOpenConnByName(0, name, 2, 1, 0, &handle);
    asked = true;
  }
  if ((!asked || code != 0 || handle == 0) &&
      WELCOMER_SERVER_BIND(CallsLibraryModule, NWGetConnectionHandle)) {
    uint16_t reserved = 0;
    code = entry.NWGetConnectionHandle(name, 0, &handle, &reserved);
    asked = true;
  }
  if (!asked)
    return 0;
  Record(code);
  return code == 0 ? handle : 0;
}

void ResetServerUnit() {
  lastErrorCode = 0;
  lastReturnCode = 0;
  entry = EntryPoints();
}

}  // namespace welcomer
