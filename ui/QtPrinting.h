#pragma once

#include <QFont>
#include <QPainter>

#include <functional>
#include <memory>

#include "ui/Printing.h"

class QPrinter;

namespace welcomer {

/// Prints with a QPrinter: the system's default printer unless the setup dialog chose another,
/// or whatever printer `makePrinter` makes (tests print to a PDF file). The printer is made on
/// the first job, so that a window that never prints never asks the print system anything.
/// Text is set in a fixed-pitch font, so that padded lines line up in columns.
class QtPrintingLayer : public PrintingLayer {
 public:
  using PrinterFactory = std::function<std::unique_ptr<QPrinter>()>;
  explicit QtPrintingLayer(PrinterFactory makePrinter = {});
  ~QtPrintingLayer() override;

  void SetDocumentTitle(const QString& title) override;
  void BeginText() override;
  void WriteLine(const QString& line) override;
  void EndText() override;
  void BeginPicture() override;
  int PageWidth() const override;
  void DrawPicture(const QImage& picture, const QRect& target) override;
  void EndPicture() override;
  void AbortPicture() override;
  void RunSetupDialog(QWidget* parent) override;

 private:
  QPrinter& Printer();
  void BeginJob();
  void EndJob();

  PrinterFactory makePrinter_;
  std::unique_ptr<QPrinter> printer_;
  QPainter painter_;
  QString title_;
  QFont textFont_;
  int y_ = 0;
};

}  // namespace welcomer
