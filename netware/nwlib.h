#pragma once

#include <cstdint>
#include <string>

#include "netware/CallsBinding.h"

namespace welcomer {

class Clock;

// The unit nwlib: its binding half (CallsBinding.h) and the connection operations built on it and
// on the directory layer.

/// A calendar date as the server or the local clock gives it.
struct NWDate {
  int year = 0;
  int month = 0;
  int day = 0;
  bool operator==(const NWDate&) const = default;
};

/// A time of day as the server or the local clock gives it.
struct NWTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  bool operator==(const NWTime&) const = default;
};

/// The clock that gives the local date and time where a server cannot; null brings back the
/// system clock. Returns the clock installed before.
Clock* SetCallsClock(Clock* clock);

// ---- Connection operations (connection 0 is the primary connection) --------------------

/// The connection's number; 0 on failure (recorded; -1 when nothing could be asked).
uint16_t GetConnectionNumber(uint32_t connection);
/// The bindery login name of the connection's user; empty on failure.
std::string GetConnectionLoginName(uint32_t connection);
/// The object's ID in high-low byte order; 0 on failure. `connection` receives the primary
/// connection when it was 0. Names of more than 47 characters are refused.
uint32_t GetObjectID(uint32_t& connection, const std::string& objectName, uint16_t objectType);
/// The object's ID in hexadecimal without leading zeros; "0" on failure.
std::string GetObjectIDText(uint32_t connection, const std::string& objectName,
                            uint16_t objectType);
/// The first object type number, in a fixed order, under which the name has an ID; 0 for none.
uint16_t DetectObjectType(uint32_t connection, const std::string& objectName);
/// True when the connection's user is a console operator.
bool HasConsolePrivileges(uint32_t connection);
/// True when the connection's user is a manager.
bool IsManager(uint32_t connection);
/// The server's name; "LOCAL" when it cannot be asked.
std::string GetServerName(uint32_t connection);
/// The server's date; the local date when it cannot be asked.
NWDate GetServerDate(uint32_t connection);
/// The server's time of day; the local time when it cannot be asked.
NWTime GetServerTime(uint32_t connection);
/// The maximum number of connections; 0 on failure.
uint16_t GetMaxConnections();
/// Makes the named server the preferred one and hands out a connection to it in `connection`.
bool SetPreferredServer(const std::string& serverName, uint32_t& connection);
/// The connection's broadcast state (0 on, 1 server only, 2 off, 3 stored); 0 on failure.
uint16_t GetBroadcastMode(uint32_t connection);
/// Sets the connection's broadcast mode.
bool SetBroadcastMode(uint32_t connection, uint16_t mode);
/// The object's full name; failing that, the name trimmed and upper-cased.
std::string GetFullName(uint32_t connection, const std::string& objectName);
/// The first network drive's letter; character code 0 when there is none.
char GetFirstNetworkDrive();
/// The first free drive from the first network drive up to Z; character code 0 for none.
char GetNextFreeDrive();
/// Sets the client's error mode and returns the previous one; 0 on failure.
uint8_t SetErrorMode(uint8_t mode);

}  // namespace welcomer
