#include "ui/QtUiModule.h"

extern "C" __attribute__((visibility("default"))) welcomer::UiModule* WelcomerCreateUiModule(
    int* argc, char** argv) {
  // One GUI per process: later calls get the same module. It is never destroyed: destroying
  // the application object from an exit handler, after Qt's own statics are gone, crashes.
  static welcomer::QtUiModule* module = new welcomer::QtUiModule(argc, argv);
  return module;
}
