#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/UiModule.h"

class QApplication;

namespace welcomer {

class KindBoxPresenter;
class QtBoxPresenter;

/// The Qt implementation of the GUI the program loads on first need.
class QtUiModule : public UiModule {
 public:
  QtUiModule(int* argc, char** argv);
  ~QtUiModule() override;

  /// Creates the application object on `platform`, unless Qt cannot reach it.
  bool Start(GuiPlatform platform) override;
  MessageBoxPresenter& MessageBoxes() override;
  int RunInformationWindow(RunState& state) override;
  /// Destroys the boxes and the application object.
  void Stop() override;

 private:
  char* programName_;
  /// The arguments the application object sees: the program's name and the platform, nothing
  /// of the user's (which could name another platform). Qt keeps references to them.
  std::string platformArgument_;
  std::vector<char*> qtArguments_;
  int qtArgumentCount_ = 0;
  std::unique_ptr<QApplication> application_;
  std::unique_ptr<QtBoxPresenter> boxes_;
  std::unique_ptr<KindBoxPresenter> kindBoxes_;
};

}  // namespace welcomer
