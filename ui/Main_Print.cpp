// The printing handlers of the information window.

#include <QLabel>
#include <QProgressBar>
#include <QTextDocument>
#include <QTextEdit>

#include <cmath>

#include "ui/Main_Unit.h"

namespace welcomer {
namespace {

constexpr const char* kDocumentTitle = "Welcomer Information";
constexpr qsizetype kRightJustifiedColumn = 80;
constexpr double kPictureScaleDivisor = 601.0;
constexpr int kPageWidthAllowance = 10;

BoxRequest PrintBox(const QString& text, BoxIcon icon) {
  BoxRequest box;
  box.text = text;
  box.icon = icon;
  box.buttons = BoxButtons::kOk;
  box.mnemonics = false;
  return box;
}

}  // namespace

void TMain::ReportPrintFailure(const std::function<void()>& action) {
  try {
    action();
  } catch (const PrinterError& error) {
    services_.boxes.Show(
        PrintBox(QStringLiteral("The following error occured while trying to print:\r") +
                     QString::fromStdString(error.what()),
                 BoxIcon::kStop));
  } catch (...) {
    services_.boxes.Show(PrintBox(
        QStringLiteral("An unkown error happened while trying to print :-("), BoxIcon::kNone));
  }
}

void TMain::PrintButtonClick() {
  if (state_.CurrentPage < 0 || state_.CurrentPage >= PageCount())
    return;
  const std::string path = PageFile(state_.CurrentPage);
  ReportPrintFailure([&] {
    if (services_.filePrinting.PrintFile(path))
      return;
    services_.printing.SetDocumentTitle(QString::fromLatin1(kDocumentTitle));
    if (Memo->isVisibleTo(this))
      PrintText();
    else
      PrintPicture();
  });
}

void TMain::PrintButtonMouseDown(Qt::MouseButton button) {
  if (button != Qt::RightButton)
    return;
  ReportPrintFailure([this] { services_.printing.RunSetupDialog(this); });
}

void TMain::PrintText() {
  const QStringList lines = DisplayedMemoLines();
  // Nothing to print: no job, no progress, no error.
  if (lines.isEmpty())
    return;

  // Whatever happens, the page is on show again afterwards.
  struct ShowPageAgain {
    TMain& window;
    ~ShowPageAgain() {
      window.ProgressBar->hide();
      window.ProgressBarLabel->hide();
      window.Memo->show();
    }
  } showPageAgain{*this};
  Memo->hide();
  ProgressBarLabel->show();
  ProgressBar->show();
  // The loop below handles no events: paint the progress display now.
  repaint();

  PrintingLayer& printing = services_.printing;
  printing.BeginText();
  try {
    ProgressBar->setRange(0, static_cast<int>(lines.size()) - 1);
    for (qsizetype i = 0; i < lines.size(); ++i) {
      const QString& line = lines[i];
      const qsizetype padding =
          rightJustified_ ? std::max<qsizetype>(0, kRightJustifiedColumn - line.size()) : 0;
      printing.WriteLine(QString(padding, QLatin1Char(' ')) + line);
      // Repaints at once whenever the bar visibly moves; no events are handled meanwhile.
      ProgressBar->setValue(static_cast<int>(i));
    }
  } catch (...) {
    // The job is ended also when a line fails; the first error is the one reported.
    try {
      printing.EndText();
    } catch (...) {
    }
    throw;
  }
  printing.EndText();
}

void TMain::PrintPicture() {
  PrintingLayer& printing = services_.printing;
  printing.BeginPicture();
  try {
    const int k = static_cast<int>(
        std::trunc((printing.PageWidth() - kPageWidthAllowance) / kPictureScaleDivisor));
    // Not fitted to the page: a picture wider than the page allows runs off its edge.
    printing.DrawPicture(picture_, QRect(1, 1, k * picture_.width(), k * picture_.height()));
  } catch (...) {
    printing.AbortPicture();
    throw;
  }
  printing.EndPicture();
  services_.boxes.Show(
      PrintBox(QStringLiteral("Sent current window to Default Printer"), BoxIcon::kNone));
}

}  // namespace welcomer
