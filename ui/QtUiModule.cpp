#include "ui/QtUiModule.h"

#include <QApplication>

#include <cstdio>

#include "ui/CupsPrinting.h"
#include "ui/Main_Unit.h"
#include "ui/QtModalBox.h"
#include "ui/QtPrinting.h"
#include "ui/XcbWindowCalls.h"

namespace welcomer {
namespace {

// The title the program's own error reports carry.
constexpr const char* kApplicationTitle = "Information";

}  // namespace

QtUiModule::QtUiModule(int* argc, char** argv)
    : programName_(argc != nullptr && *argc > 0 ? argv[0] : nullptr) {}

QtUiModule::~QtUiModule() = default;

bool QtUiModule::Start(GuiPlatform platform) {
  if (!application_) {
    if (platform == GuiPlatform::kNone)
      return false;
    const char* name = platform == GuiPlatform::kX11 ? "xcb" : "wayland";
    // Qt ends the process when no platform of its list starts. Offscreen, last, needs nothing
    // and always starts; when it is what started, the display refused Qt after it answered
    // the probe, and the program goes on without a GUI.
    platformArgument_ = std::string(name) + ";offscreen";
    static char program[] = "welcomer";
    static char platformOption[] = "-platform";
    qtArguments_ = {programName_ ? programName_ : program, platformOption, platformArgument_.data(),
                    nullptr};
    qtArgumentCount_ = 3;
    application_ = std::make_unique<QApplication>(qtArgumentCount_, qtArguments_.data());
    if (QGuiApplication::platformName() != QLatin1String(name)) {
      std::fprintf(stderr, "welcomer: the display answered but refused the GUI\n");
      application_.reset();
      return false;
    }
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

int QtUiModule::RunInformationWindow(RunState& state) {
  DiskPageFileReader files;
  CupsFilePrintService filePrinting;
  QtPrintingLayer printing;
  TMainServices services{*boxes_,  files, filePrinting,
                         printing, {},    QString::fromLatin1(kApplicationTitle)};
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
