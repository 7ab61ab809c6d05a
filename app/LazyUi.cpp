#include "app/LazyUi.h"

#include <cstdio>

#include "app/TerminalModule.h"
#include "netware/VisibleControls.h"
#include "platform/Display.h"
#include "platform/DynamicLibrary.h"
#include "platform/Terminal.h"

namespace welcomer {
namespace {

// A module that is there but does not load is a broken installation: say so with the loader's
// reason, whether or not /v was given, since the pages then cannot be shown.
void* ModuleEntry(const char* what, const std::string& path, const char* entryName) {
  std::string reason;
  void* entry = LoadEntryPoint(path, entryName, reason);
  if (entry == nullptr) {
    std::fprintf(stderr, "welcomer: the %s module could not be loaded: %s\n", what,
                 ShowControlCharacters(reason).c_str());
  }
  return entry;
}

}  // namespace

LazyUi::LazyUi(int& argc, char** argv, std::string libraryFolder)
    : argc_(argc), argv_(argv), libraryFolder_(std::move(libraryFolder)) {}

LazyUi::~LazyUi() {
  if (module_ != nullptr)
    module_->Stop();
}

UiModule* LazyUi::Module() {
  if (tried_)
    return module_;
  tried_ = true;
  if (libraryFolder_.empty())
    return nullptr;
  // Qt aborts the process when it cannot open a display; look before loading anything. The
  // probe's connection stays open until the GUI has made its own.
  PosixDisplayEnvironment environment;
  const GuiPlatform platform = ChooseGuiPlatform(environment);
  if (platform == GuiPlatform::kNone)
    return nullptr;
  auto create = reinterpret_cast<CreateUiModuleFunction>(
      ModuleEntry("GUI", libraryFolder_ + kUiModuleFileName, kUiModuleEntryName));
  if (create == nullptr)
    return nullptr;
  UiModule* module = create(&argc_, argv_);
  if (module != nullptr && module->Start(platform))
    module_ = module;
  return module_;
}

TerminalModule* LazyUi::LoadTerminalModule() {
  if (libraryFolder_.empty())
    return nullptr;
  auto create = reinterpret_cast<CreateTerminalModuleFunction>(
      ModuleEntry("terminal", libraryFolder_ + kTerminalModuleFileName, kTerminalModuleEntryName));
  if (create == nullptr)
    return nullptr;
  return create();
}

bool LazyUi::Show(BoxKind kind, const std::string& text) {
  UiModule* module = Module();
  return module ? module->MessageBoxes().Show(kind, text) : fallback_.Show(kind, text);
}

int LazyUi::RunInformationWindow(RunState& state) {
  if (UiModule* module = Module())
    return module->RunInformationWindow(state);
  // SSH and console logins: someone at a terminal can read the pages and answer there.
  if (StandardStreamsAreTerminals()) {
    if (TerminalModule* terminal = LoadTerminalModule())
      return terminal->RunPages(state);
  }
  std::fprintf(stderr, "welcomer: no display: %zu changed page(s) cannot be shown\n",
               state.DisplayList.Count());
  return 0;
}

}  // namespace welcomer
