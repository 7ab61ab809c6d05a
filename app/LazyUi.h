#pragma once

#include <functional>
#include <string>

#include "app/UiModule.h"
#include "netware/MessageBox.h"

namespace welcomer {

/// Stands for the GUI until it is needed: the first box or the window loads the module from
/// the program's library folder and starts it. Without a display, or without the module, boxes
/// go to standard error (questions are answered No) and the window cannot be shown.
class LazyUi : public MessageBoxPresenter {
 public:
  /// `argc` and `argv` are handed to the GUI and must outlive this object.
  LazyUi(int& argc, char** argv, std::string libraryFolder);
  /// Stops the GUI, when it was started.
  ~LazyUi() override;
  LazyUi(const LazyUi&) = delete;
  LazyUi& operator=(const LazyUi&) = delete;

  bool Show(BoxKind kind, const std::string& text) override;

  /// Runs the information window, or, without a GUI, says on standard error that it cannot
  /// and returns 0.
  int RunInformationWindow(RunState& state,
                           const std::function<bool(const std::string&)>& addStateEntry);

  /// True once the module was asked for and answered; false before and when it failed.
  bool GuiLoaded() const { return module_ != nullptr; }

 private:
  UiModule* Module();

  int& argc_;
  char** argv_;
  std::string libraryFolder_;
  bool tried_ = false;
  UiModule* module_ = nullptr;
  StderrMessageBoxPresenter fallback_;
};

}  // namespace welcomer
