#include "ui/Main_Unit.h"

#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

#include <stdexcept>

#include "app/StringList.h"
#include "ui/PageText.h"
#include "ui/TextDecoding.h"

namespace welcomer {
namespace {

constexpr int kPageAreaWidth = 488;
constexpr int kPageAreaHeight = 280;

QFont LayoutFont(int pixelSize, bool bold) {
  // The layout's face is rarely installed here; the style hint lets the font system pick the
  // nearest sans-serif.
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

// A printer with a sheet of paper coming out of it.
QIcon PrinterGlyph() {
  QPixmap glyph(16, 16);
  glyph.fill(Qt::transparent);
  QPainter painter(&glyph);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::white);
  painter.drawRect(4, 1, 7, 5);
  painter.setBrush(QColor(192, 192, 192));
  painter.drawRect(1, 6, 13, 6);
  painter.fillRect(3, 8, 2, 1, Qt::green);
  painter.setBrush(Qt::white);
  painter.drawRect(4, 10, 7, 4);
  painter.drawLine(5, 12, 9, 12);
  return QIcon(glyph);
}

QString FromPath(const std::string& path) {
  return DecodeShortText(path);
}

}  // namespace

TMain::TMain(RunState& state, TMainServices services, QWidget* parent)
    : QDialog(parent), state_(state), services_(std::move(services)), marks_(state) {
  BuildLayout();
  // The native window must exist before the task-bar state can be written onto it.
  winId();
  if (services_.windowCalls)
    windowCalls_ = services_.windowCalls(*this);
  TIconHide::StartUnit(windowCalls_.get());
  IconHide1 = new TIconHide(this);
  IconHide1->setObjectName(QStringLiteral("IconHide1"));
  // A page that cannot be shown at creation is reported; the window opens all the same.
  Guarded([this] {
    Init();
    ReportPageError();
  });
}

TMain::~TMain() {
  TIconHide::StopUnit();
}

void TMain::BuildLayout() {
  setObjectName(QStringLiteral("Main"));
  setWindowTitle(QStringLiteral("Information"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowStaysOnTopHint);
  setFixedSize(kMainClientWidth, kMainClientHeight);
  setFont(LayoutFont(10, false));
  QPalette buttonFace = palette();
  buttonFace.setColor(QPalette::Window, buttonFace.color(QPalette::Button));
  buttonFace.setColor(QPalette::Base, buttonFace.color(QPalette::Button));
  setPalette(buttonFace);
  setAutoFillBackground(true);

  Memo = new QTextEdit(this);
  Memo->setObjectName(QStringLiteral("Memo"));
  Memo->setGeometry(7, 7, kPageAreaWidth, kPageAreaHeight);
  Memo->setReadOnly(true);
  Memo->setAcceptRichText(false);
  Memo->setUndoRedoEnabled(false);
  Memo->setLineWrapMode(QTextEdit::WidgetWidth);
  Memo->setFocusPolicy(Qt::ClickFocus);
  Memo->setAttribute(Qt::WA_InputMethodEnabled, false);
  Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo->setFont(LayoutFont(11, true));
  Memo->document()->setDocumentMargin(2);

  CloseButton = new QPushButton(QStringLiteral("Close"), this);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));
  CloseButton->setGeometry(442, 293, 53, 20);
  CloseButton->setDefault(true);
  connect(CloseButton, &QPushButton::clicked, this, [this] { CloseButtonClick(); });

  ShowNext = new QCheckBox(QStringLiteral("Show this message next time I login"), this);
  ShowNext->setObjectName(QStringLiteral("ShowNext"));
  ShowNext->setGeometry(7, 296, 345, 14);
  ShowNext->setChecked(true);
  ShowNext->hide();

  PreviousButton = new QPushButton(QStringLiteral("Previous"), this);
  PreviousButton->setObjectName(QStringLiteral("PreviousButton"));
  PreviousButton->setGeometry(384, 293, 52, 20);
  PreviousButton->hide();
  connect(PreviousButton, &QPushButton::clicked, this, [this] { PreviousButtonClick(); });

  PrintButton = new QToolButton(this);
  PrintButton->setObjectName(QStringLiteral("PrintButton"));
  PrintButton->setGeometry(358, 293, 20, 20);
  PrintButton->setIcon(PrinterGlyph());
  PrintButton->setIconSize(QSize(16, 16));
  PrintButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
  PrintButton->setAutoRaise(true);
  PrintButton->setFocusPolicy(Qt::NoFocus);
  PrintButton->setToolTip(
      QStringLiteral("Left: Print ; Right: Print Setup (only for internal printing)"));
  PrintButton->installEventFilter(this);
  connect(PrintButton, &QToolButton::clicked, this, [this] { PrintButtonClick(); });

  Image = new QLabel(this);
  Image->setObjectName(QStringLiteral("Image"));
  Image->setGeometry(7, 7, kPageAreaWidth, kPageAreaHeight);
  Image->setAlignment(Qt::AlignCenter);
  Image->hide();

  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setGeometry(117, 141, 267, 34);
  ProgressBar->setRange(0, 100);
  ProgressBar->hide();

  ProgressBarLabel = new QLabel(QStringLiteral("Print Progress:"), this);
  ProgressBarLabel->setObjectName(QStringLiteral("ProgressBarLabel"));
  // Wider than laid out where the substitute font needs it, so the caption is never cut.
  ProgressBarLabel->setGeometry(117, 124, std::max(68, ProgressBarLabel->sizeHint().width()), 13);
  ProgressBarLabel->hide();

  setTabOrder(Memo, CloseButton);
  setTabOrder(CloseButton, ShowNext);
  setTabOrder(ShowNext, PreviousButton);

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

int TMain::PageCount() const {
  return static_cast<int>(state_.DisplayList.Count());
}

std::string TMain::PagePath(int page) const {
  return std::string(NameOf(state_.DisplayList[static_cast<size_t>(page)]));
}

std::string TMain::PageFile(int page) const {
  const StringList::Item& item = state_.DisplayList.Items()[static_cast<size_t>(page)];
  return item.file.empty() ? PagePath(page) : item.file;
}

void TMain::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    BoxRequest box;
    box.title = services_.applicationTitle;
    box.text = QString::fromStdString(error.what());
    box.icon = BoxIcon::kStop;
    box.buttons = BoxButtons::kOk;
    box.mnemonics = false;
    services_.boxes.Show(box);
  }
}

void TMain::Init() {
  if (state_.CurrentPage < 0 || state_.CurrentPage >= PageCount())
    return;
  pageShown_ = false;
  pageError_.clear();
  const std::string path = PageFile(state_.CurrentPage);
  try {
    QByteArray bytes;
    QString error;
    if (!services_.files.Read(path, bytes, error))
      throw std::runtime_error(error.toStdString());
    if (IsPicture(PageKindOf(std::string_view(bytes.constData(), bytes.size()))))
      ShowPicturePage(path, bytes);
    else
      ShowText(path, DecodePageText(bytes));
    pageShown_ = true;
  } catch (const std::runtime_error& error) {
    // Whatever was on show belongs to another page: it must not stay under this page's
    // caption.
    pageError_ = QString::fromStdString(error.what());
    QString notice = pageError_;
    notice.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    ShowText(path, {notice, PageEncoding::kUtf8});
  }
  if (PageCount() > 1) {
    setWindowTitle(
        QStringLiteral("Information Page %1 of %2").arg(state_.CurrentPage + 1).arg(PageCount()));
  }
  // A page that could not be shown cannot be acknowledged, nor printed.
  ShowNext->setVisible(!state_.ForceMode && pageShown_);
  ShowNext->setText(FromPath(state_.CheckboxCaption));
  PrintButton->setEnabled(pageShown_);
}

void TMain::ReportPageError() const {
  if (!pageError_.isEmpty())
    throw std::runtime_error(pageError_.toStdString());
}

void TMain::ShowPicturePage(const std::string& path, const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  QImageReader reader(&buffer);
  reader.setDecideFormatFromContent(true);
  QImage picture = reader.read();
  if (picture.isNull()) {
    throw std::runtime_error(QStringLiteral("Cannot load the picture \"%1\": %2")
                                 .arg(FromPath(path), reader.errorString())
                                 .toStdString());
  }
  picture_ = std::move(picture);
  // The text area keeps nothing of a picture's bytes: nothing reads them there.
  Memo->clear();
  pageText_.clear();
  Memo->hide();
  Image->show();
  Image->setPixmap(QPixmap::fromImage(picture_));
  // Too large a picture fills the area, aspect ratio lost; anything else is shown as it is.
  Image->setScaledContents(picture_.width() > kPageAreaWidth ||
                           picture_.height() > kPageAreaHeight);
  Image->setToolTip(FromPath(path));
}

qreal TMain::MemoTextWidth() const {
  int width = Memo->width() - 2 * Memo->frameWidth();
  if (Memo->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn)
    width -= Memo->verticalScrollBar()->sizeHint().width();
  return width - 2 * Memo->document()->documentMargin();
}

QStringList TMain::DisplayedMemoLines() const {
  return DisplayedLines(pageText_, Memo->document()->defaultFont(), MemoTextWidth(),
                        Memo->document()->defaultTextOption());
}

void TMain::SetRightJustified(bool right) {
  rightJustified_ = right;
  // The document's default option reaches every paragraph; QTextEdit::setAlignment would set
  // only the current one.
  QTextOption option = Memo->document()->defaultTextOption();
  option.setAlignment(right ? Qt::AlignRight | Qt::AlignAbsolute
                            : Qt::AlignLeft | Qt::AlignAbsolute);
  Memo->document()->setDefaultTextOption(option);
}

void TMain::ShowText(const std::string& path, const DecodedText& decoded) {
  const QString text = NormaliseLineBreaks(decoded.text);
  Image->hide();
  Image->clear();
  Memo->show();
  // A final line break would give the area an empty last line to scroll to, which is not a
  // line of the text.
  Memo->setPlainText(text.endsWith(QLatin1Char('\n')) ? text.chopped(1) : text);
  pageText_ = text;
  // Counted at the width the area has now, with the scroll bar the last text page gave it.
  const QStringList lines = DisplayedMemoLines();
  displayedLines_ = static_cast<int>(lines.size());
  SetRightJustified(LineIsRightJustified(FirstNonEmptyLine(lines).toStdString(), decoded.encoding));
  Memo->setVerticalScrollBarPolicy(displayedLines_ >= kScrollBarLineCount ? Qt::ScrollBarAlwaysOn
                                                                          : Qt::ScrollBarAlwaysOff);
  Memo->setToolTip(FromPath(path));
}

bool TMain::IsHighCharText(std::string_view text) {
  return welcomer::IsHighCharText(text);
}

void TMain::FormShow() {
  if (PageCount() > 1) {
    CloseButton->setText(state_.CurrentPage < PageCount() - 1 ? QStringLiteral("Next")
                                                              : QStringLiteral("Close"));
    PreviousButton->setVisible(state_.CurrentPage >= 1);
  }
  CloseButton->setFocus();
}

void TMain::LeavePage() {
  // A page that could not be shown was not seen: leaving it says nothing about it.
  if (!pageShown_ || PageCount() == 0)
    return;
  marks_.LeavePage(state_.CurrentPage, ShowNext->isChecked());
}

void TMain::ArriveAtPage() {
  Init();
  ShowNext->setVisible(!state_.ForceMode && pageShown_);
  ShowNext->setChecked(!marks_.Marked(state_.CurrentPage));
  FormShow();
  // Reported once the window shows where the user is.
  ReportPageError();
}

void TMain::CloseButtonClick() {
  Guarded([this] {
    LeavePage();
    if (state_.CurrentPage < PageCount() - 1) {
      ++state_.CurrentPage;
      ArriveAtPage();
    } else {
      Commit();
    }
  });
}

void TMain::PreviousButtonClick() {
  Guarded([this] {
    if (state_.CurrentPage < 1)
      return;
    LeavePage();
    --state_.CurrentPage;
    ArriveAtPage();
  });
}

void TMain::Commit() {
  marks_.Commit();
  close();
}

void TMain::FormClose() {}

void TMain::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TMain::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow())
    FormShow();
}

void TMain::keyPressEvent(QKeyEvent* event) {
  // Close is the cancel button too: Escape leaves the page forward instead of closing.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    CloseButton->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TMain::closeEvent(QCloseEvent* event) {
  FormClose();
  QDialog::closeEvent(event);
}

bool TMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == PrintButton && event->type() == QEvent::MouseButtonPress)
    PrintButtonMouseDown(static_cast<QMouseEvent*>(event)->button());
  return QDialog::eventFilter(watched, event);
}

}  // namespace welcomer
