#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ui/IconHide.h"
#include "ui/ModalBox.h"
#include "ui/Printing.h"

namespace welcomer::testing {

/// Records every box and answers from a queue (false when it is empty).
class RecordingBoxes : public BoxPresenter {
 public:
  bool Show(const BoxRequest& request) override {
    shown.push_back(request);
    if (answers.empty())
      return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::vector<BoxRequest> shown;
  std::deque<bool> answers;
};

/// A print service that accepts or refuses every file, and remembers what it was given.
class FakeFilePrintService : public FilePrintService {
 public:
  bool PrintFile(const std::string& path) override {
    files.push_back(path);
    return accept;
  }
  bool accept = false;
  std::vector<std::string> files;
};

/// Records the printing layer's calls as text ("begin-text", "line:<text>", ...) and fails
/// where it is told to.
class RecordingPrintingLayer : public PrintingLayer {
 public:
  void SetDocumentTitle(const QString& title) override {
    calls.push_back("title:" + title.toStdString());
  }
  void BeginText() override { Call("begin-text"); }
  void WriteLine(const QString& line) override { Call("line:" + line.toStdString()); }
  void EndText() override { Call("end-text"); }
  void BeginPicture() override { Call("begin-picture"); }
  int PageWidth() const override { return pageWidth; }
  void DrawPicture(const QImage& picture, const QRect& target) override {
    Call("draw:" + std::to_string(picture.width()) + "x" + std::to_string(picture.height()) + "@" +
         std::to_string(target.x()) + "," + std::to_string(target.y()) + "," +
         std::to_string(target.width()) + "x" + std::to_string(target.height()));
  }
  void EndPicture() override { Call("end-picture"); }
  void AbortPicture() override { Call("abort-picture"); }
  void RunSetupDialog(QWidget*) override { Call("setup"); }

  int pageWidth = 4800;
  /// The call (by its name before ":") that throws, and what it throws.
  std::string failAt;
  bool failWithPrinterError = true;
  std::vector<std::string> calls;

 private:
  void Call(const std::string& call) {
    calls.push_back(call);
    if (!failAt.empty() && call.substr(0, call.find(':')) == failAt) {
      if (failWithPrinterError)
        throw PrinterError("printer on fire");
      throw std::logic_error("something else");
    }
  }
};

/// Application-window calls that record themselves and keep a style.
class RecordingWindowCalls : public ApplicationWindowCalls {
 public:
  uint32_t ReadExtendedStyle() override {
    calls.push_back("read");
    return style;
  }
  void SetExtendedStyle(uint32_t value) override {
    calls.push_back("set:" + std::to_string(value));
    style = value;
  }
  void HideWindow() override { calls.push_back("hide"); }
  void ShowWindow() override { calls.push_back("show"); }

  uint32_t style = 0;
  std::vector<std::string> calls;
};

}  // namespace welcomer::testing
