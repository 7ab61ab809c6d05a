#pragma once

#include "app/Init_Unit.h"
#include "netware/MessageBox.h"
#include "platform/Display.h"

namespace welcomer {

/// The GUI, as the program sees the module that holds it. The module is the only part of the
/// program that links Qt; it is loaded the first time a box or the window must be shown.
class UiModule {
 public:
  virtual ~UiModule() = default;

  /// Creates the GUI application object on `platform` (not kNone). False when Qt could not
  /// reach that display although it answered the probe; nothing else may be called then.
  virtual bool Start(GuiPlatform platform) = 0;

  /// The modal message boxes.
  virtual MessageBoxPresenter& MessageBoxes() = 0;

  /// Sets the application title "Information", shows the information window on
  /// state.DisplayList from state.CurrentPage, and runs until it closes. The pages the user
  /// acknowledged are stored through state.NetWareClient. Returns the process's exit code.
  virtual int RunInformationWindow(RunState& state) = 0;

  /// Ends the GUI before the program ends: GUI libraries cannot be torn down safely from exit
  /// handlers, nor left running under the leak checker. Nothing may be called after it.
  virtual void Stop() {}
};

/// The module's file in the program's library folder.
inline constexpr const char* kUiModuleFileName = "libwelcomer-ui.so";

/// The module's one exported function: makes the module's UiModule, which lives as long as the
/// process. `argc` and `argv` must outlive it.
inline constexpr const char* kUiModuleEntryName = "WelcomerCreateUiModule";
extern "C" {
using CreateUiModuleFunction = UiModule* (*)(int* argc, char** argv);
}

}  // namespace welcomer
