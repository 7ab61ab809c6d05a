#include "ui/QtUiModule.h"

#include <QApplication>

#include "ui/CupsPrinting.h"
#include "ui/DisplayProbe.h"
#include "ui/Main_Unit.h"
#include "ui/QtModalBox.h"
#include "ui/QtPrinting.h"
#include "ui/XcbWindowCalls.h"

namespace welcomer {
namespace {

// The title the program's own error reports carry.
constexpr const char* kApplicationTitle = "Information";

}  // namespace

QtUiModule::QtUiModule(int* argc, char** argv) : argc_(argc), argv_(argv) {}

QtUiModule::~QtUiModule() = default;

bool QtUiModule::Start() {
  if (!application_) {
    if (!DisplayAnswers())
      return false;
    application_ = std::make_unique<QApplication>(*argc_, argv_);
  }
  if (!boxes_) {
    boxes_ = std::make_unique<QtBoxPresenter>();
    kindBoxes_ = std::make_unique<KindBoxPresenter>(*boxes_);
  }
  return true;
}

void QtUiModule::Stop() {
  kindBoxes_.reset();
  boxes_.reset();
  application_.reset();
}

MessageBoxPresenter& QtUiModule::MessageBoxes() {
  return *kindBoxes_;
}

int QtUiModule::RunInformationWindow(RunState& state,
                                     const std::function<bool(const std::string&)>& addStateEntry) {
  DiskPageFileReader files;
  CupsFilePrintService filePrinting;
  QtPrintingLayer printing;
  TMainServices services{*boxes_,
                         files,
                         filePrinting,
                         printing,
                         addStateEntry,
                         {},
                         QString::fromLatin1(kApplicationTitle)};
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    services.windowCalls = [](QWidget& window) -> std::unique_ptr<ApplicationWindowCalls> {
      return std::make_unique<XcbWindowCalls>(window);
    };
  }
  TMain window(state, services);
  window.show();
  // The window is the main window: closing it ends the loop.
  QApplication::exec();
  return 0;
}

}  // namespace welcomer
