#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/ClientLibrary.h"

namespace welcomer::testing {

/// A scriptable stand-in for the four client libraries: symbol tables that a test may change
/// (drop a library or any entry point), every call logged, any call made to answer a code, and a
/// small directory and network behind the entry points. While it lives it is the client loader,
/// and the client layers' unit state is reset when it comes and when it goes. A fake made while
/// another lives stands in for it until it goes.
class FakeNetWareClient : public ClientLibraryLoader {
 public:
  /// A context of the fake directory.
  struct Context {
    uint32_t flags = 0;
    std::string nameContext;
  };

  FakeNetWareClient();
  ~FakeNetWareClient() override;
  FakeNetWareClient(const FakeNetWareClient&) = delete;
  FakeNetWareClient& operator=(const FakeNetWareClient&) = delete;

  void* Load(const std::string& name) override;
  void* Find(void* module, const char* symbol) override;

  // ---- Symbol tables ------------------------------------------------------------------------
  /// Library name ("NETWIN32.DLL") to its entry points; filled with every one at construction.
  std::map<std::string, std::map<std::string, void*>> libraries;
  /// Makes the library fail to load.
  void RemoveLibrary(const std::string& library) { libraries.erase(library); }
  /// Makes one entry point of a library missing.
  void RemoveEntryPoint(const std::string& library, const std::string& name) {
    libraries[library].erase(name);
  }
  /// Every look-up, in order, as "LIBRARY!name" (including those that found nothing).
  std::vector<std::string> lookups;
  /// The number of look-ups of `name` in any library.
  int LookupsOf(const std::string& name) const;

  // ---- Scripting ----------------------------------------------------------------------------
  /// Every later call of `function` answers `code` without doing its work.
  void Answer(const std::string& function, int32_t code) { answerAlways[function] = code; }
  /// Only the `call`-th (from 1) call of `function` answers `code`.
  void AnswerOnCall(const std::string& function, int call, int32_t code) {
    answerOnCall[function][call] = code;
  }
  /// Every entry-point call, in order; some carry their arguments: "NWDSPutChange(2,L)".
  std::vector<std::string> calls;
  /// The number of calls of `function`.
  int CountOf(const std::string& function) const;
  /// True when a call whose logged text is exactly `text` was made.
  bool Called(const std::string& text) const;

  // ---- The directory ------------------------------------------------------------------------
  /// Objects by upper-cased name: attribute name (upper-cased) to values in the order added.
  std::map<std::string, std::map<std::string, std::vector<std::string>>> objects;
  /// Values per result buffer of NWDSRead; 0 fills each buffer up to its 4096 bytes.
  uint32_t valuesPerBuffer = 0;
  /// The syntax NWDSGetAttrName reports.
  uint32_t reportedSyntax = 3;
  /// Added to every size NWDSComputeAttrValSize reports (the value is still written whole).
  uint32_t extraReportedSize = 0;
  std::map<int32_t, Context> contexts;
  /// Flags of a context made by NWDSCreateContext.
  uint32_t newContextFlags = 0;
  int32_t nextContext = 1;
  /// Buffers allocated and not yet freed.
  int openBuffers = 0;
  std::string whoAmI = "jdoe.staff.org";
  /// Full names by name; a name not here canonicalizes to "CN=" + name.
  std::map<std::string, std::string> canonicalNames;
  /// Context flags in force when NWDSCanonicalizeName was last called.
  uint32_t flagsAtCanonicalize = 0;
  /// Directory object IDs by upper-cased name (NWDSMapNameToID, NWDSAuditGetObjectID).
  std::map<std::string, uint32_t> directoryIds;
  /// What NWIsDSServer answers: not 0 with this tree name, or 0.
  bool directoryServer = true;
  std::string treeName = "ORG_TREE";
  uint32_t preferredDSServer = 9;
  int32_t codePage = 1252;
  int32_t countryCode = 49;

  // ---- The network --------------------------------------------------------------------------
  uint32_t primaryConnection = 7;
  uint32_t primaryReference = 70;
  uint16_t connectionNumber = 3;
  std::string connectionLoginName = "JDOE";
  std::string serverName = "FS1";
  /// Year - 1900, month, day, hour, minute, second, day of week.
  uint8_t serverDateTime[7] = {126, 12, 6, 9, 30, 15, 0};
  uint16_t maxConnections = 250;
  uint16_t broadcastState = 0;
  uint8_t errorMode = 0;
  /// Bindery object IDs by (upper-cased name, type number).
  std::map<std::pair<std::string, uint16_t>, uint32_t> objectIds;
  /// IDENTIFICATION property values by upper-cased name.
  std::map<std::string, std::string> fullNames;
  /// Connections that NWCCOpenConnByName and NWGetConnectionHandle find, by upper-cased server
  /// name (the look-up ignores case).
  std::map<std::string, uint32_t> serverConnections;
  uint16_t firstDrive = 6;
  /// Drive numbers (1 = A) that are in use.
  std::vector<uint16_t> drivesInUse;
  uint8_t majorVersion = 4;
  uint8_t minorVersion = 11;

 private:
  ClientLibraryLoader* previous_;
  FakeNetWareClient* previousFake_;

 public:
  // Used by the fake entry points.
  std::map<std::string, int32_t> answerAlways;
  std::map<std::string, std::map<int, int32_t>> answerOnCall;
};

/// The fake that is installed now; null when none is.
FakeNetWareClient* CurrentFakeNetWareClient();

}  // namespace welcomer::testing
