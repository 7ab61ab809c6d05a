#pragma once

#include <deque>
#include <ostream>
#include <string>
#include <vector>

#include "app/NetWareClient.h"
#include "ui/ModalBox.h"
#include "ui/Printing.h"

namespace welcomer::testing {

/// A table row that test listings show by its name rather than by its bytes.
struct NamedRow {
  const char* name;
};
inline std::ostream& operator<<(std::ostream& os, const NamedRow& row) {
  return os << row.name;
}
inline constexpr auto kRowName = [](const auto& info) { return std::string(info.param.name); };

/// Records every box and answers from a queue (false when it is empty).
class RecordingBoxes : public BoxPresenter {
 public:
  bool Show(const BoxRequest& request) override {
    shown.push_back(request);
    const bool answer = !answers.empty() && answers.front();
    if (!answers.empty())
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

/// Records the printing layer's calls as text ("begin-text", "line:<text>", ...) and throws
/// from the call named `failAt`: a PrinterError, or with `failWithPrinterError` false another
/// exception.
class RecordingPrintingLayer : public PrintingLayer {
 public:
  void SetDocumentTitle(const QString& title) override { Call("title:" + title); }
  void BeginText() override { Call("begin-text"); }
  void WriteLine(const QString& line) override { Call("line:" + line); }
  void EndText() override { Call("end-text"); }
  void BeginPicture() override { Call("begin-picture"); }
  int PageWidth() const override { return pageWidth; }
  void DrawPicture(const QImage& picture, const QRect& target) override {
    Call(QString::asprintf("draw:%dx%d@%d,%d,%dx%d", picture.width(), picture.height(), target.x(),
                           target.y(), target.width(), target.height()));
  }
  void EndPicture() override { Call("end-picture"); }
  void AbortPicture() override { Call("abort-picture"); }
  void RunSetupDialog(QWidget*) override { Call("setup"); }

  int pageWidth = 4800;
  std::string failAt;
  bool failWithPrinterError = true;
  std::vector<std::string> calls;

 private:
  void Call(const QString& call) {
    calls.push_back(call.toStdString());
    if (!failAt.empty() && calls.back().substr(0, calls.back().find(':')) == failAt) {
      if (failWithPrinterError)
        throw PrinterError("printer on fire");
      throw std::logic_error("something else");
    }
  }
};

/// A directory that logs the changes made to it: "begin", each value added, "end". It refuses
/// every value unless `accepts`.
class RecordingClient : public NetWareClient {
 public:
  std::string LoginID() override { return "CN=User"; }
  bool ReadAttributeValues(const std::string&, const std::string&, TNWDSAttribute,
                           std::vector<std::string>&) override {
    return false;
  }
  bool AddAttributeValue(const std::string&, const std::string&, TNWDSAttribute,
                         const std::string& value) override {
    log.push_back(value);
    return accepts;
  }
  bool RemoveAttributeValue(const std::string&, const std::string&, TNWDSAttribute,
                            const std::string&) override {
    return false;
  }
  void BeginChanges() override { log.push_back("begin"); }
  bool EndChanges() override {
    log.push_back("end");
    return true;
  }
  bool accepts = true;
  std::vector<std::string> log;
};

}  // namespace welcomer::testing
