#include "ui/QtPrinting.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace welcomer {

QtPrintingLayer::QtPrintingLayer(PrinterFactory makePrinter)
    : makePrinter_(std::move(makePrinter)) {
  textFont_.setFamilies({QStringLiteral("Courier New"), QStringLiteral("DejaVu Sans Mono")});
  textFont_.setStyleHint(QFont::TypeWriter);
  textFont_.setFixedPitch(true);
  textFont_.setPointSize(10);
}

QtPrintingLayer::~QtPrintingLayer() {
  if (painter_.isActive())
    painter_.end();
}

QPrinter& QtPrintingLayer::Printer() {
  if (!printer_)
    printer_ = makePrinter_ ? makePrinter_() : std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void QtPrintingLayer::SetDocumentTitle(const QString& title) {
  title_ = title;
}

void QtPrintingLayer::BeginJob() {
  if (painter_.isActive())
    throw PrinterError("Printing is already in progress");
  QPrinter& printer = Printer();
  // Without a printer Qt falls back to PDF output with no file to write to.
  const bool native = printer.outputFormat() == QPrinter::NativeFormat;
  if (native ? printer.printerName().isEmpty() : printer.outputFileName().isEmpty())
    throw PrinterError("There is no default printer");
  if (!printer.isValid())
    throw PrinterError("The selected printer is not valid");
  printer.setDocName(title_);
  // QPainter::begin is where a missing or refusing printer shows.
  if (!painter_.begin(&printer)) {
    const QString name = native ? printer.printerName() : printer.outputFileName();
    throw PrinterError(
        QStringLiteral("The printer \"%1\" cannot start a job").arg(name).toStdString());
  }
}

void QtPrintingLayer::EndJob() {
  if (painter_.isActive() && !painter_.end())
    throw PrinterError("The printer did not accept the job");
}

void QtPrintingLayer::BeginText() {
  BeginJob();
  painter_.setFont(QFont(textFont_, &Printer()));
  y_ = 0;
}

void QtPrintingLayer::WriteLine(const QString& line) {
  QPrinter& printer = Printer();
  const QFontMetrics metrics = painter_.fontMetrics();
  const int pageWidth = painter_.device()->width();
  const int pageHeight = painter_.device()->height();
  const int advance = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
  const qsizetype perLine = std::max(1, pageWidth / advance);
  qsizetype start = 0;
  do {
    if (y_ > 0 && y_ + metrics.height() > pageHeight) {
      if (!printer.newPage())
        throw PrinterError("The printer cannot start a new page");
      y_ = 0;
    }
    painter_.drawText(0, y_ + metrics.ascent(), line.mid(start, perLine));
    y_ += metrics.lineSpacing();
    start += perLine;
  } while (start < line.size());
}

void QtPrintingLayer::EndText() {
  EndJob();
}

void QtPrintingLayer::BeginPicture() {
  BeginJob();
}

int QtPrintingLayer::PageWidth() const {
  return painter_.isActive() ? painter_.device()->width() : 0;
}

void QtPrintingLayer::DrawPicture(const QImage& picture, const QRect& target) {
  if (!target.isEmpty())
    painter_.drawImage(target, picture);
}

void QtPrintingLayer::EndPicture() {
  EndJob();
}

void QtPrintingLayer::AbortPicture() {
  if (!painter_.isActive())
    return;
  Printer().abort();
  painter_.end();
}

void QtPrintingLayer::RunSetupDialog(QWidget* parent) {
  QPrintDialog dialog(&Printer(), parent);
  dialog.setWindowTitle(QStringLiteral("Print Setup"));
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
  // The dialog only chooses the printer: its accept button must not promise to print.
  if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
    if (QPushButton* accept = buttons->button(QDialogButtonBox::Ok))
      accept->setText(QStringLiteral("OK"));
  }
  dialog.exec();
}

}  // namespace welcomer
