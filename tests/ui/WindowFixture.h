#pragma once

#include <QImage>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/AsciiText.h"
#include "tests/support/TempDir.h"
#include "tests/ui/UiFakes.h"
#include "ui/Main_Unit.h"
#include "ui/PageFile.h"

namespace welcomer::testing {

/// A window on pages written into a temporary folder, storing into a RecordingClient; every
/// other service is a fake but the file reader. Pages are listed by their upper-cased paths, as
/// start-up lists them.
class WindowFixture : public ::testing::Test {
 protected:
  WindowFixture() {
    auto owned = std::make_unique<RecordingClient>();
    client = owned.get();
    state.NetWareClient = std::move(owned);
  }

  /// Writes a page file and lists it; returns the listed path.
  std::string AddPage(const std::string& name, const std::string& content,
                      const std::string& stamp = "1 1") {
    dir.WriteFile(name, content);
    return ListPage(name, stamp);
  }

  /// Lists a page without writing its file.
  std::string ListPage(const std::string& name, const std::string& stamp = "1 1") {
    const std::string path = UpperCaseAscii(dir / name);
    state.DisplayList.Add(path + "=" + stamp);
    return path;
  }

  std::string AddPicture(const std::string& name, int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::red);
    EXPECT_TRUE(picture.save(QString::fromStdString(dir / name), "BMP"));
    return ListPage(name);
  }

  /// Opens the window, shown unless a printing layer of its own is given.
  TMain& Open(PrintingLayer* layer = nullptr) {
    TMainServices services{boxes, files, filePrinting, layer ? *layer : printing, {}};
    window = std::make_unique<TMain>(state, std::move(services));
    if (layer == nullptr) {
      window->show();
      EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    return *window;
  }

  void Press(Qt::Key key) { QTest::keyClick(window.get(), key); }

  /// The one box shown must be the application's error box naming `needle`.
  void ExpectErrorBox(const std::string& needle) {
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("Information"));
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::kStop);
    EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::kOk);
    EXPECT_FALSE(boxes.shown[0].mnemonics) << "a file name shows every \"&\" as it stands";
    EXPECT_TRUE(boxes.shown[0].text.contains(QString::fromStdString(needle), Qt::CaseInsensitive))
        << boxes.shown[0].text.toStdString();
  }

  TempDir dir;
  RunState state;
  RecordingClient* client;
  RecordingBoxes boxes;
  DiskPageFileReader files;
  FakeFilePrintService filePrinting;
  RecordingPrintingLayer printing;
  std::unique_ptr<TMain> window;
};

}  // namespace welcomer::testing
