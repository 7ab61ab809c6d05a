#include "ui/QtUiModule.h"

extern "C" __attribute__((visibility("default"))) welcomer::UiModule* WelcomerCreateUiModule(
    int* argc, char** argv) {
  // One GUI per process: later calls get the same module. It is never destroyed: the program
  // stops it before it ends, and an exit handler must not run Qt's teardown after Qt's own
  // statics are gone.
  static welcomer::QtUiModule* module = new welcomer::QtUiModule(argc, argv);
  return module;
}
