#include "ui/QtUiModule.h"

#include <QApplication>
#include <QMessageBox>

namespace welcomer {
namespace {

// Plain Qt boxes until the laid-out boxes land.
class BasicQtBoxes : public MessageBoxPresenter {
 public:
  bool Show(BoxKind kind, const std::string& text) override {
    const QString title = QString::fromLatin1(BoxTitle(kind));
    const QString body = QString::fromLocal8Bit(text.c_str());
    switch (kind) {
      case BoxKind::kInformation:
        QMessageBox::information(nullptr, title, body);
        return false;
      case BoxKind::kError:
        QMessageBox::critical(nullptr, title, body, QMessageBox::Cancel);
        return false;
      case BoxKind::kConfirm:
        return QMessageBox::question(nullptr, title, body) == QMessageBox::Yes;
    }
    return false;
  }
};

}  // namespace

QtUiModule::QtUiModule(int* argc, char** argv) : argc_(argc), argv_(argv) {}

QtUiModule::~QtUiModule() = default;

bool QtUiModule::Start() {
  if (!application_)
    application_ = std::make_unique<QApplication>(*argc_, argv_);
  if (!boxes_)
    boxes_ = std::make_unique<BasicQtBoxes>();
  return true;
}

MessageBoxPresenter& QtUiModule::MessageBoxes() {
  return *boxes_;
}

int QtUiModule::RunInformationWindow(RunState& state,
                                     const std::function<bool(const std::string&)>&) {
  QMessageBox::information(nullptr, "Information",
                           QString::fromLocal8Bit(state.DisplayList.Text().c_str()));
  return 0;
}

}  // namespace welcomer
