#pragma once

#include <cstdint>
#include <string>

namespace welcomer {

class Clock;

/// LastErrorCode after a client library failed to load.
inline constexpr int32_t kCallsLibraryMissing = 0xFFFF;

/// The calls layer's binding of "CALWIN32.DLL" (calls) and "CLXWIN32.DLL" (connections). All
/// state is the unit's: the instance only loads and initialises the libraries, which stay loaded
/// until the process ends.
class TNWLib {
 public:
  /// Clears the unit's state, loads both libraries, initialises the calls library and, when that
  /// answers 0, caches the primary connection. Never fails; a missing library sets
  /// LastErrorCode to 0xFFFF.
  TNWLib();
  TNWLib(const TNWLib&) = delete;
  TNWLib& operator=(const TNWLib&) = delete;

  /// LastErrorCode as upper-case hexadecimal of at least four digits.
  std::string LastErrorText() const;

  /// The latest non-zero return code that an operation of this layer recorded; never reset to 0
  /// except by the constructor.
  static int32_t LastErrorCode();
  /// The return code of the latest recording call, 0 included.
  static int32_t LastReturnCode();
};

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

// ---- Binding and primary connection ------------------------------------------------------

/// "4.60 - 1 August 1999".
std::string GetLibVersion();
/// When set, name look-ups ask the directory first.
void SetNDSMode(bool flag);
bool NDSMode();
/// Both libraries loaded and a primary connection there.
bool IsNetAvailable();
/// The primary connection: the cached one, else asked of the client (not cached here). 0 and
/// the code (-1 when nothing usable answered) recorded on failure.
uint32_t GetPrimaryConnection();
/// The value with its four bytes reversed by the client; 0 when the entry point is missing.
uint32_t LongSwap(uint32_t value);

/// The modules of the two libraries; null while not loaded. The file-server layer binds its own
/// entry points in them.
void* CallsLibraryModule();
void* ConnectionLibraryModule();
/// Puts a connection into the primary connection cache (0 empties it).
void SetPrimaryConnectionCache(uint32_t connection);

/// The clock that gives the local date and time where a server cannot; null brings back the
/// system clock. Returns the clock installed before.
Clock* SetCallsClock(Clock* clock);

/// Puts the unit back as at program start, for tests that bind different clients in turn.
void ResetCallsUnit();

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
