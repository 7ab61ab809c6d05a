#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "platform/ClientLibrary.h"

namespace welcomer::testing {

/// The client we ship, loaded from the build's library folder with state and configuration
/// folders of this process's own, behind a loader that injects faults: a library or an entry
/// point can be missing, any entry point the layers bind can answer a code without reaching the
/// client or be replaced, and the calls that pass are counted. While it lives it is the client
/// loader; the client layers' unit state is reset when it comes and when it goes.
class ShippedClient : public ClientLibraryLoader {
 public:
  /// `folder` holds the client libraries: the build's library folder unless another is given.
  explicit ShippedClient(const std::string& folder = WELCOMER_CLIENT_FOLDER);
  ~ShippedClient() override;
  ShippedClient(const ShippedClient&) = delete;
  ShippedClient& operator=(const ShippedClient&) = delete;

  void* Load(const std::string& name) override;
  void* Find(void* module, const char* symbol) override;
  std::string LoadFailure() const override { return client_.LoadFailure(); }

  /// The `onCall`-th call of `function` from now (from 1), or every call for 0, answers `code`.
  void Answer(const std::string& function, int32_t code, int onCall = 0) {
    faults_[function] = {code, onCall, 0};
  }
  /// Takes back every Answer.
  void Heal() { faults_.clear(); }
  /// Library names ("LOCWIN32.DLL") and entry points that cannot be found.
  std::set<std::string> missing;
  /// Called in place of the client's entry points, from the next call on.
  std::map<std::string, void*> replaced;
  /// When not 0, the size of every buffer the layers allocate, so that a few short values spread
  /// over several result buffers.
  uint32_t bufferSize = 0;

  /// Calls of `function` that no Answer took; of every entry point for "".
  int Calls(const std::string& function = "") const {
    auto it = calls_.find(function);
    return it == calls_.end() ? 0 : it->second;
  }
  /// The client's own entry point, for a replacement to hand on to or a test to look past the
  /// layers with.
  template <typename Fn>
  Fn Real(const char* name) {
    return reinterpret_cast<Fn>(client_.Find(module_, name));
  }
  /// For the wrapped entry points: true, with the code to answer, when an Answer takes the call.
  bool Intercept(const char* function, int32_t& code);

 private:
  struct Fault {
    int32_t code;
    int onCall;
    int calls;
  };
  FolderClientLibraryLoader client_;
  void* module_;
  ClientLibraryLoader* previous_;
  std::map<std::string, Fault> faults_;
  std::map<std::string, int> calls_;
};

}  // namespace welcomer::testing
