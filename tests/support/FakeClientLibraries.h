#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/ClientLibrary.h"

namespace welcomer::testing {

/// A scriptable stand-in for the four client libraries: symbol tables that a test may change,
/// every call logged, any call made to answer a code, and a small directory and network behind
/// the entry points (its locale: code page 1252, country 49). While it lives it is the client
/// loader, and the client layers' unit state is reset when it comes and when it goes. A fake made
/// while another lives stands in for it until it goes.
class FakeClientLibraries : public ClientLibraryLoader {
 public:
  /// A context of the fake directory.
  struct Context {
    uint32_t flags = 0;
    std::string nameContext;
  };

  FakeClientLibraries();
  ~FakeClientLibraries() override;
  FakeClientLibraries(const FakeClientLibraries&) = delete;
  FakeClientLibraries& operator=(const FakeClientLibraries&) = delete;

  void* Load(const std::string& name) override;
  void* Find(void* module, const char* symbol) override;

  /// Library name ("NETWIN32.DLL") to its entry points, all of them at first: erasing a library
  /// makes it fail to load, erasing an entry point makes it missing.
  std::map<std::string, std::map<std::string, void*>> libraries;

  /// Calls of `function` answer `code` without doing their work: the `onCall`-th call (from 1)
  /// only, or with 0 every call that has no answer of its own. Answering 0 undoes it.
  void Answer(const std::string& function, int32_t code, int onCall = 0) {
    answers[function][onCall] = code;
  }
  std::map<std::string, std::map<int, int32_t>> answers;
  /// Every entry-point call in order, with its number and text arguments: "NWIsManager(7)".
  std::vector<std::string> calls;
  int CountOf(const std::string& function) const;
  bool Called(const std::string& text) const;

  // ---- The directory ------------------------------------------------------------------------
  /// Objects by upper-cased name: attribute name (upper-cased) to values in the order added.
  std::map<std::string, std::map<std::string, std::vector<std::string>>> objects;
  /// Values per result buffer of NWDSRead; 0 puts them all into one.
  uint32_t valuesPerBuffer = 0;
  /// NWDSRead always says more is to come (after the last value, with empty buffers).
  bool endlessIteration = false;
  /// Added to every size NWDSComputeAttrValSize reports (the value is still written whole).
  uint32_t extraReportedSize = 0;
  std::map<int32_t, Context> contexts;
  /// Buffers allocated and not yet freed.
  int openBuffers = 0;
  std::string whoAmI = "jdoe.staff.org";
  /// Full names by name; a name not here canonicalizes to "CN=" + name.
  std::map<std::string, std::string> canonicalNames;
  /// Context flags in force when NWDSCanonicalizeName was last called.
  uint32_t flagsAtCanonicalize = 0;
  /// What NWIsDSServer answers: not 0 with this tree name, or 0.
  bool directoryServer = true;
  std::string treeName = "ORG_TREE";

  // ---- The network ---------------------------------------------------------------------------
  /// Entry points that only answer leave their outputs alone; the primary connection's number
  /// is 3.
  uint32_t primaryConnection = 7;
  std::string connectionLoginName = "JDOE";
  /// Connections to servers by upper-cased name (the look-up ignores case).
  std::map<std::string, uint32_t> serverConnections;

 private:
  ClientLibraryLoader* previous_;
  FakeClientLibraries* previousFake_;
};

}  // namespace welcomer::testing
