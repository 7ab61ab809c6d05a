#pragma once

#include <QImage>
#include <QTest>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/AsciiText.h"
#include "tests/support/FakeServices.h"
#include "tests/support/TempDir.h"
#include "ui/Main_Unit.h"

namespace welcomer::testing {

/// A table row that test listings show by its name rather than by its bytes.
struct NamedRow {
  const char* name;
};
inline std::ostream& operator<<(std::ostream& os, const NamedRow& row) {
  return os << row.name;
}
inline constexpr auto kRowName = [](const auto& info) { return std::string(info.param.name); };

/// Records every box, and answers No.
class RecordingBoxes : public BoxPresenter {
 public:
  bool Show(const BoxRequest& request) override {
    shown.push_back(request);
    return false;
  }
  std::vector<BoxRequest> shown;
};

/// A print service that refuses every file, so that the window prints itself.
class RefusingFilePrintService : public FilePrintService {
 public:
  bool PrintFile(const std::string&) override { return false; }
};

/// Records the printing layer's calls as text ("begin-text", "line:<text>", ...) and fails at
/// the call named `failAt`: with a PrinterError, or with another exception unless
/// `failWithPrinterError`.
class RecordingPrintingLayer : public PrintingLayer {
 public:
  void SetDocumentTitle(const QString& title) override { Call("title:" + title); }
  void BeginText() override { Call("begin-text"); }
  void WriteLine(const QString& line) override { Call("line:" + line); }
  void EndText() override { Call("end-text"); }
  void BeginPicture() override { Call("begin-picture"); }
  int PageWidth() const override { return pageWidth; }
  void DrawPicture(const QImage& picture, const QRect& to) override {
    Call(QString::asprintf("draw:%dx%d@%d,%d,%dx%d", picture.width(), picture.height(), to.x(),
                           to.y(), to.width(), to.height()));
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
    if (failAt.empty() || calls.back().substr(0, calls.back().find(':')) != failAt)
      return;
    if (failWithPrinterError)
      throw PrinterError("printer on fire");
    throw std::logic_error("something else");
  }
};

/// A window on pages written into a temporary folder, storing into the in-memory directory; every
/// other service is a fake but the file reader. Pages are listed by their upper-cased paths, as
/// start-up lists them.
class WindowFixture : public ::testing::Test {
 protected:
  WindowFixture() {
    auto owned = std::make_unique<FakeNetWareClient>();
    client = owned.get();
    state.NetWareClient = std::move(owned);
  }

  /// Lists a page, without writing its file; returns the listed path.
  std::string ListPage(const std::string& name, const std::string& stamp = "1 1") {
    const std::string path = UpperCaseAscii(dir / name);
    state.DisplayList.Add(path + "=" + stamp);
    return path;
  }
  std::string AddPage(const std::string& name, const std::string& content,
                      const std::string& stamp = "1 1") {
    dir.WriteFile(name, content);
    return ListPage(name, stamp);
  }
  /// Lists a page holding a red picture in the given format.
  std::string AddPicture(const std::string& name, const char* format, QSize size) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::red);
    EXPECT_TRUE(picture.save(QString::fromStdString(dir / name), format)) << format;
    return ListPage(name);
  }

  /// Opens the window, shown unless a printing layer of its own is given.
  TMain& Open(PrintingLayer* layer = nullptr) {
    window = std::make_unique<TMain>(
        state, TMainServices{boxes, files, filePrinting, layer ? *layer : printing, {}});
    if (layer == nullptr) {
      window->show();
      EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    return *window;
  }

  void Press(Qt::Key key) { QTest::keyClick(window.get(), key); }

  TempDir dir;
  RunState state;
  FakeNetWareClient* client;
  RecordingBoxes boxes;
  DiskPageFileReader files;
  RefusingFilePrintService filePrinting;
  RecordingPrintingLayer printing;
  std::unique_ptr<TMain> window;
};

}  // namespace welcomer::testing
