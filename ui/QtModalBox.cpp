#include "ui/QtModalBox.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/MnemonicLabel.h"
#include "ui/XcbWindowCalls.h"

namespace welcomer {
namespace {

// What a window manager's title bar and frame may take of the screen's height.
constexpr int kTitleBarAllowance = 48;

// The caller may have put up an hourglass; the box must not show it.
class ArrowCursorWhileUp {
 public:
  ArrowCursorWhileUp() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
  ~ArrowCursorWhileUp() { QGuiApplication::restoreOverrideCursor(); }
  ArrowCursorWhileUp(const ArrowCursorWhileUp&) = delete;
  ArrowCursorWhileUp& operator=(const ArrowCursorWhileUp&) = delete;
};

QStyle::StandardPixmap PixmapOf(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kInformation:
      return QStyle::SP_MessageBoxInformation;
    case BoxIcon::kQuestion:
      return QStyle::SP_MessageBoxQuestion;
    case BoxIcon::kStop:
    case BoxIcon::kNone:
      break;
  }
  return QStyle::SP_MessageBoxCritical;
}

QPushButton* AddButton(QDialogButtonBox* box, const char* text, QDialogButtonBox::ButtonRole role,
                       const char* objectName) {
  QPushButton* button = box->addButton(QString::fromLatin1(text), role);
  button->setObjectName(QString::fromLatin1(objectName));
  return button;
}

}  // namespace

bool QtBoxPresenter::Show(const BoxRequest& request) {
  // A box raised from the window belongs to it, so that it stays above a window that stays on
  // top.
  QDialog dialog(QApplication::activeWindow());
  dialog.setObjectName(QStringLiteral("MessageBox"));
  // Qt shows the program's name for an empty title; a blank keeps it away on every platform,
  // and on X11 the title is then made truly empty.
  dialog.setWindowTitle(request.title.isEmpty() ? QStringLiteral(" ") : request.title);
  dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  dialog.setModal(true);

  auto* row = new QHBoxLayout;
  if (request.icon != BoxIcon::kNone) {
    auto* icon = new QLabel(&dialog);
    icon->setObjectName(QStringLiteral("Icon"));
    const int extent = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    icon->setPixmap(dialog.style()->standardIcon(PixmapOf(request.icon)).pixmap(extent, extent));
    icon->setAlignment(Qt::AlignTop);
    row->addWidget(icon);
  }
  const QRect screen = dialog.screen()->availableGeometry();
  auto* text = new MnemonicLabel(request.text, std::max(200, screen.width() * 2 / 3),
                                 request.mnemonics, &dialog);
  text->setObjectName(QStringLiteral("Text"));
  row->setSpacing(12);

  auto* buttons = new QDialogButtonBox(Qt::Horizontal, &dialog);
  buttons->setCenterButtons(true);
  QPushButton* defaultButton = nullptr;
  switch (request.buttons) {
    case BoxButtons::kOk:
      defaultButton = AddButton(buttons, "OK", QDialogButtonBox::AcceptRole, "OkButton");
      break;
    case BoxButtons::kYesNo:
      defaultButton = AddButton(buttons, "&Yes", QDialogButtonBox::YesRole, "YesButton");
      AddButton(buttons, "&No", QDialogButtonBox::NoRole, "NoButton");
      break;
    case BoxButtons::kCancel:
      defaultButton = AddButton(buttons, "Cancel", QDialogButtonBox::RejectRole, "CancelButton");
      break;
  }
  defaultButton->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

  auto* column = new QVBoxLayout(&dialog);
  // A text taller than the screen (a long verbose list) scrolls, so that the buttons stay on
  // the screen; room is left for the buttons, the margins and a window manager's title bar.
  const QMargins margins = column->contentsMargins();
  const int textRoom = screen.height() - buttons->sizeHint().height() - margins.top() -
                       margins.bottom() - column->spacing() - kTitleBarAllowance;
  if (text->sizeHint().height() > textRoom) {
    auto* scroll = new QScrollArea(&dialog);
    scroll->setObjectName(QStringLiteral("TextScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->resize(text->sizeHint());
    scroll->setWidget(text);
    scroll->setFixedSize(text->width() + scroll->verticalScrollBar()->sizeHint().width(),
                         std::max(textRoom, 2 * QFontMetrics(text->font()).lineSpacing()));
    row->addWidget(scroll);
  } else {
    row->addWidget(text);
  }
  column->addLayout(row);
  column->addWidget(buttons);
  column->setSizeConstraint(QLayout::SetFixedSize);

  dialog.adjustSize();
  QPoint topLeft = screen.center() - dialog.rect().center();
  topLeft.setY(std::max(topLeft.y(), screen.top()));
  dialog.move(topLeft);
  if (request.title.isEmpty())
    ClearX11WindowTitle(dialog);
  defaultButton->setFocus();

  ArrowCursorWhileUp arrow;
  // Escape and the title bar's close button reject: a question is then answered No.
  return dialog.exec() == QDialog::Accepted && request.buttons == BoxButtons::kYesNo;
}

}  // namespace welcomer
