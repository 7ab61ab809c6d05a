#pragma once

#include <QDialog>
#include <QImage>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/Init_Unit.h"
#include "app/PageMarks.h"
#include "ui/IconHide.h"
#include "ui/ModalBox.h"
#include "ui/PageFile.h"
#include "ui/Printing.h"
#include "ui/TextDecoding.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QToolButton;

namespace welcomer {

/// The window's client area.
inline constexpr int kMainClientWidth = 501;
inline constexpr int kMainClientHeight = 316;
/// From this many displayed lines on, the text area has a vertical scroll bar.
inline constexpr int kScrollBarLineCount = 22;

/// What the information window works through; tests hand in their own.
struct TMainServices {
  BoxPresenter& boxes;
  PageFileReader& files;
  FilePrintService& filePrinting;
  PrintingLayer& printing;
  /// Makes the calls TIconHide makes on the window; empty, or null from it, for none.
  std::function<std::unique_ptr<ApplicationWindowCalls>(QWidget& window)> windowCalls;
  /// Title of the error box of a page that cannot be shown.
  QString applicationTitle = QStringLiteral("Information");
};

/// The information window: shows the pages of `state.DisplayList` one at a time, text or
/// picture, lets the user page, untick the show-next box and print, and on Close of the last
/// page stores every page left unticked, through state.NetWareClient, and closes. Fixed 501 x 316
/// client area, no title-bar buttons, stays on top, off the task bar.
class TMain : public QDialog {
 public:
  /// Builds the window and shows page state.CurrentPage into it, still hidden. `state` and the
  /// services must outlive the window.
  TMain(RunState& state, TMainServices services, QWidget* parent = nullptr);
  ~TMain() override;

  QTextEdit* Memo;
  QPushButton* CloseButton;
  QCheckBox* ShowNext;
  QPushButton* PreviousButton;
  QToolButton* PrintButton;
  QLabel* Image;
  QProgressBar* ProgressBar;
  QLabel* ProgressBarLabel;
  TIconHide* IconHide1;

  /// Shows the page CurrentPage: its picture when the file begins with the signature of a
  /// bitmap, PNG, JPEG, GIF or WebP picture, otherwise its text; the caption; the show-next box.
  /// A page that cannot be shown is replaced by a one-line notice naming the file, without the
  /// show-next box and with printing disabled; ReportPageError then reports it.
  void Init();
  /// Leaves the page forward: the next page, or on the last page stores the acknowledged
  /// pages, releases the lists and closes.
  void CloseButtonClick();
  /// Sets Next/Close and Previous for the page and gives Close the keyboard focus.
  void FormShow();
  /// Leaves the page backward.
  void PreviousButtonClick();
  /// Prints the page: through the print service by the file's type, otherwise itself.
  void PrintButtonClick();
  /// The right button runs the printer setup; the others do nothing.
  void PrintButtonMouseDown(Qt::MouseButton button);
  /// Closing the window any other way than from the last page stores nothing.
  void FormClose();

  /// True when the mean of the text's byte values, over at most its first 255 bytes, is above
  /// 127: a line mostly in the upper half of an 8-bit code page. It decides the alignment of
  /// text whose encoding nothing identified; other text goes by its first strong character.
  static bool IsHighCharText(std::string_view text);

  /// The lines of the text area as it displays them now, at its present width.
  QStringList DisplayedMemoLines() const;
  /// The number of lines the last text page showed, as counted when it was shown.
  int DisplayedLineCount() const { return displayedLines_; }
  /// True when the text area is right-justified.
  bool RightJustified() const { return rightJustified_; }
  /// The picture of the last picture page.
  const QImage& Picture() const { return picture_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildLayout();
  int PageCount() const;
  std::string PagePath(int page) const;
  /// The file a page is read and printed from; PagePath stays the key of its state.
  std::string PageFile(int page) const;
  void LeavePage();
  void ArriveAtPage();
  void Commit();
  void ShowText(const std::string& path, const DecodedText& decoded);
  /// Throws std::runtime_error, with the text for the user, when the last Init could not show
  /// its page.
  void ReportPageError() const;
  void ShowPicturePage(const std::string& path, const QByteArray& bytes);
  qreal MemoTextWidth() const;
  void SetRightJustified(bool right);
  /// Runs a handler as the application runs its event handlers: an error ends it and is
  /// reported in the application's error box.
  void Guarded(const std::function<void()>& handler);
  void PrintText();
  void PrintPicture();
  void ReportPrintFailure(const std::function<void()>& action);

  RunState& state_;
  TMainServices services_;
  PageMarks marks_;
  std::unique_ptr<ApplicationWindowCalls> windowCalls_;
  /// The text page's text with its line breaks as "\n", final break included.
  QString pageText_;
  QImage picture_;
  int displayedLines_ = 0;
  bool rightJustified_ = false;
  bool pageShown_ = false;
  /// Why the page on show could not be shown; empty when it was.
  QString pageError_;
};

}  // namespace welcomer
