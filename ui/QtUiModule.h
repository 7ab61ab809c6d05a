#pragma once

#include <memory>

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

  /// Creates the application object, unless no display answers.
  bool Start() override;
  MessageBoxPresenter& MessageBoxes() override;
  int RunInformationWindow(RunState& state,
                           const std::function<bool(const std::string&)>& addStateEntry) override;
  /// Destroys the boxes and the application object.
  void Stop() override;

 private:
  int* argc_;
  char** argv_;
  std::unique_ptr<QApplication> application_;
  std::unique_ptr<QtBoxPresenter> boxes_;
  std::unique_ptr<KindBoxPresenter> kindBoxes_;
};

}  // namespace welcomer
