#include "tests/support/ShippedClient.h"

#include <stdlib.h>

#include <algorithm>

#include "nds/DirectoryEntryPoints.h"
#include "nds/Nwnds.h"
#include "netware/CallsBinding.h"
#include "netware/CallsEntryPoints.h"
#include "netware/NWServer.h"
#include "tests/support/TempDir.h"

namespace welcomer::testing {
namespace {

ShippedClient* current = nullptr;

template <size_t N>
struct Name {
  constexpr Name(const char (&name)[N]) { std::copy_n(name, N, text); }
  char text[N];
};

// Answers in the client's place when a fault says so, else hands the call on to a replacement or
// to the client.
template <Name name, typename Fn>
struct Wrapped;
template <Name name, typename Result, typename... Arguments>
struct Wrapped<name, Result (*)(Arguments...)> {
  static inline void* real = nullptr;
  static Result Entry(Arguments... arguments) {
    int32_t code = 0;
    if (current->Intercept(name.text, code))
      return static_cast<Result>(code);
    auto replacement = current->replaced.find(name.text);
    void* target = replacement != current->replaced.end() ? replacement->second : real;
    return reinterpret_cast<Result (*)(Arguments...)>(target)(arguments...);
  }
};

int32_t AllocBuf(uint32_t size, NWDSBuf** buf) {
  const uint32_t chosen = current->bufferSize != 0 ? current->bufferSize : size;
  return Wrapped<"NWDSAllocBuf", decltype(&::NWDSAllocBuf)>::Entry(chosen, buf);
}

// Every entry point the layers look up, from the layers' own tables: where the client's own goes,
// and what is handed out in its place.
std::map<std::string, std::pair<void**, void*>> MakeWrappers() {
  std::map<std::string, std::pair<void**, void*>> wrappers;
#define WELCOMER_WRAP(library, name)                           \
  wrappers[#name] = {&Wrapped<#name, decltype(&::name)>::real, \
                     reinterpret_cast<void*>(&Wrapped<#name, decltype(&::name)>::Entry)};
  WELCOMER_NDS_BOUND_AT_START(WELCOMER_WRAP)
  WELCOMER_NDS_BOUND_ON_USE(WELCOMER_WRAP)
  WELCOMER_CALLS_ENTRY_POINTS(WELCOMER_WRAP)
  // Looked up afresh at each use, or bound in either library or by the file-server layer.
  WELCOMER_WRAP(net, NWGetPreferredDSServer)
  WELCOMER_WRAP(calls, NWGetConnectionNumber)
  WELCOMER_WRAP(calls, NWCCGetConnInfo)
  WELCOMER_WRAP(connection, NWCCOpenConnByRef)
  WELCOMER_WRAP(connection, NWCCOpenConnByName)
#undef WELCOMER_WRAP
  wrappers["NWDSAllocBuf"].second = reinterpret_cast<void*>(&AllocBuf);
  return wrappers;
}

void ResetClientUnits() {
  ResetDirectoryUnit();
  ResetCallsUnit();
  ResetServerUnit();
}

// The client finds its store and its configuration through the environment when first used, and
// keeps the store open until the process ends: one pair of folders serves the whole process.
const std::string& PrepareFolders(const std::string& libraryFolder) {
  static const TempDir folder;
  for (const char* variable : {"XDG_STATE_HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
    ::setenv(variable, folder.path().c_str(), 1);
  return libraryFolder;
}

}  // namespace

ShippedClient::ShippedClient(const std::string& folder)
    : client_(PrepareFolders(folder)),
      module_(client_.Load("NETWIN32.DLL")),
      previous_(SetClientLibraryLoader(this)) {
  current = this;
  ResetClientUnits();
}

ShippedClient::~ShippedClient() {
  ResetClientUnits();
  SetClientLibraryLoader(previous_);
  current = nullptr;
}

void* ShippedClient::Load(const std::string& name) {
  return missing.contains(name) ? nullptr : client_.Load(name);
}

void* ShippedClient::Find(void* module, const char* symbol) {
  static const std::map<std::string, std::pair<void**, void*>> wrappers = MakeWrappers();
  void* own = missing.contains(symbol) ? nullptr : client_.Find(module, symbol);
  auto wrapper = wrappers.find(symbol);
  if (own == nullptr || wrapper == wrappers.end())
    return own;
  *wrapper->second.first = own;
  return wrapper->second.second;
}

bool ShippedClient::Intercept(const char* function, int32_t& code) {
  if (auto it = faults_.find(function); it != faults_.end()) {
    Fault& fault = it->second;
    if (++fault.calls == fault.onCall || fault.onCall == 0) {
      code = fault.code;
      return true;
    }
  }
  ++calls_[function];
  ++calls_[""];
  return false;
}

}  // namespace welcomer::testing
