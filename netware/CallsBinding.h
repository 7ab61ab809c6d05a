#pragma once

#include <cstdint>
#include <string>

namespace welcomer {

// The binding half of the unit nwlib: the libraries, the entry points, the recording of return
// codes and the primary connection. The directory and file-server layers build on it; the
// connection operations of the unit (nwlib.h) build on it and on the directory layer.

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
/// `connection`, or GetPrimaryConnection for 0: the handle every operation that takes a
/// connection calls the client with.
uint32_t PrimaryWhenZero(uint32_t connection);
/// The value with its four bytes reversed by the client; 0 when the entry point is missing.
uint32_t LongSwap(uint32_t value);

/// The modules of the two libraries; null while not loaded. The file-server layer binds its own
/// entry points in them.
void* CallsLibraryModule();
void* ConnectionLibraryModule();
/// Puts a connection into the primary connection cache (0 empties it).
void SetPrimaryConnectionCache(uint32_t connection);

/// Puts the unit back as at program start, for tests that bind different clients in turn.
void ResetCallsUnit();

}  // namespace welcomer
