#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <stdexcept>
#include <string>

class QWidget;

namespace welcomer {

/// A failure of the printing layer (no printer, a job that cannot start, an invalid printer);
/// what() is the layer's own message.
class PrinterError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The desktop's print service: prints a file by its type, with whatever the system has for it.
class FilePrintService {
 public:
  virtual ~FilePrintService() = default;
  /// Hands the file at `path` to the service; true when a job was accepted.
  virtual bool PrintFile(const std::string& path) = 0;
};

/// The window's own printing: a plain-text device and a picture job on the current printer.
/// Every operation may throw PrinterError.
class PrintingLayer {
 public:
  virtual ~PrintingLayer() = default;

  /// The name the next job gets in the printer's queue.
  virtual void SetDocumentTitle(const QString& title) = 0;

  /// Starts a plain-text job at the top-left corner of the first page.
  virtual void BeginText() = 0;
  /// Writes one line below the previous one; a line wider than the page continues on the next
  /// line, and a new page starts when the next line would not fit.
  virtual void WriteLine(const QString& line) = 0;
  /// Ends the text job.
  virtual void EndText() = 0;

  /// Starts a job with one page to draw on.
  virtual void BeginPicture() = 0;
  /// The page's width in device pixels; valid between BeginPicture and the end of the job.
  virtual int PageWidth() const = 0;
  /// Draws `picture` scaled into `target` (device pixels); an empty target draws nothing.
  virtual void DrawPicture(const QImage& picture, const QRect& target) = 0;
  /// Ends the picture job and sends it to the printer.
  virtual void EndPicture() = 0;
  /// Abandons the picture job: nothing is printed.
  virtual void AbortPicture() = 0;

  /// Lets the user choose the printer of later jobs, with the system's printer dialog.
  virtual void RunSetupDialog(QWidget* parent) = 0;
};

}  // namespace welcomer
