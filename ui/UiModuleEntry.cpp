#include "ui/QtUiModule.h"

extern "C" __attribute__((visibility("default"))) welcomer::UiModule* WelcomerCreateUiModule(
    int* argc, char** argv) {
  // One GUI per process: later calls get the same module.
  static welcomer::QtUiModule module(argc, argv);
  return &module;
}
