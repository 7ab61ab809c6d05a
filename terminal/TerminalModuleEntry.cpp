#include <cstdio>

#include "app/TerminalModule.h"
#include "platform/Terminal.h"
#include "terminal/PageFile.h"
#include "terminal/TerminalPages.h"

namespace welcomer {
namespace {

class PagesOnTerminal : public TerminalModule {
 public:
  int RunPages(RunState& state) override {
    const std::unique_ptr<Terminal> terminal = OpenStandardTerminal();
    if (!terminal) {
      std::fprintf(stderr, "welcomer: no terminal: %zu changed page(s) cannot be shown\n",
                   state.DisplayList.Count());
      state.DisplayList.Clear();
      state.StoredEntries.Clear();
      return 0;
    }
    DiskPageFileSource files;
    return TerminalPages(state, {*terminal, files}).Run();
  }
};

}  // namespace
}  // namespace welcomer

extern "C" __attribute__((visibility("default"))) welcomer::TerminalModule*
WelcomerCreateTerminalModule() {
  static welcomer::PagesOnTerminal module;
  return &module;
}
