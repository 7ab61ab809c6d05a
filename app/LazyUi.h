#pragma once

#include <string>

#include "app/UiModule.h"
#include "netware/MessageBox.h"

namespace welcomer {

class TerminalModule;

/// Stands for the GUI until it is needed: the first box or the window loads the module from
/// the program's library folder and starts it. Without a display, or without the module, boxes
/// go to standard error, questions are asked on the terminal when standard input and output are
/// one (answered No otherwise), and the pages are shown on that terminal by the terminal module.
class LazyUi : public MessageBoxPresenter {
 public:
  /// `argc` and `argv` are handed to the GUI and must outlive this object.
  LazyUi(int& argc, char** argv, std::string libraryFolder);
  /// Stops the GUI, when it was started.
  ~LazyUi() override;
  LazyUi(const LazyUi&) = delete;
  LazyUi& operator=(const LazyUi&) = delete;

  bool Show(BoxKind kind, const std::string& text) override;

  /// Runs the information window; without a GUI, shows the pages on the terminal of standard
  /// input and output, or, when there is none, says on standard error that they cannot be shown
  /// and returns 0.
  int RunInformationWindow(RunState& state);

  /// True once the module was asked for and answered; false before and when it failed.
  bool GuiLoaded() const { return module_ != nullptr; }

 private:
  UiModule* Module();
  TerminalModule* LoadTerminalModule();

  int& argc_;
  char** argv_;
  std::string libraryFolder_;
  bool tried_ = false;
  UiModule* module_ = nullptr;
  StderrMessageBoxPresenter fallback_;
};

}  // namespace welcomer
