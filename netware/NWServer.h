#pragma once

#include <cstdint>
#include <string>

#include "platform/PackedTime.h"

namespace welcomer {

/// A file server's description.
struct TNWServerInfo {
  std::string serverName;
  uint32_t serverInformationWord = 0;  ///< bytes 0..3 of the extended reply
  uint8_t reservedFlag = 0;
  uint8_t serverInformationByte = 0;  ///< byte 24 of the extended reply
  uint32_t reserved1 = 0;
  uint32_t reserved2 = 0;
  uint32_t firstCounter = 0;   ///< bytes 140..143 of the extended reply
  uint32_t secondCounter = 0;  ///< bytes 144..147 of the extended reply
  std::string versionText;     ///< major "." minor, e.g. "4.11"
  uint16_t maxConnections = 0;
  uint16_t connectionsInUse = 0;
  uint16_t peakConnections = 0;
  uint16_t volumes = 0;
  uint8_t sftLevel = 0;
  uint8_t ttsLevel = 0;
};

/// The file-server layer. It binds its own entry points in the libraries the calls layer loaded
/// and keeps its own error code; the instance has no state.
class TNWServer {
 public:
  /// LastErrorCode as upper-case hexadecimal of at least four digits.
  std::string LastErrorText() const;
  /// The latest non-zero code this layer recorded.
  static int32_t LastErrorCode();
};

/// Fills `info` with the server's description; false, leaving `info` alone, when the server
/// cannot be asked. Connection 0 is the primary connection. Never recorded.
bool GetServerInfo(uint32_t connection, TNWServerInfo& info);

/// Sets the server's date and time (seconds precision; a year above 1900 travels as years since
/// 1900). A failure is recorded.
bool SetServerDateTime(uint32_t connection, const LocalDateTime& dateTime);

/// A connection to the named server (upper-cased); 0 on failure. Names of more than 47
/// characters are refused.
uint32_t OpenServerConnection(const std::string& serverName);

/// Puts the unit back as at program start, for tests.
void ResetServerUnit();

}  // namespace welcomer
