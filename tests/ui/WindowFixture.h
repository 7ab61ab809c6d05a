#pragma once

#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "netware/AsciiText.h"
#include "tests/support/TempDir.h"
#include "tests/ui/UiFakes.h"
#include "ui/Main_Unit.h"
#include "ui/PageFile.h"

namespace welcomer::testing {

/// A window on pages written into a temporary folder; every service is a fake but the file
/// reader. Pages are listed by their upper-cased paths, as start-up lists them.
class WindowFixture : public ::testing::Test {
 protected:
  /// Writes a page file and lists it; returns the listed path.
  std::string AddPage(const std::string& name, const std::string& content,
                      const std::string& stamp = "12 644826048") {
    dir.WriteFile(name, content);
    const std::string path = UpperCaseAscii(dir / name);
    state.DisplayList.Add(path + "=" + stamp);
    return path;
  }

  /// Lists a page whose file does not exist.
  std::string AddMissingPage(const std::string& name) {
    const std::string path = UpperCaseAscii(dir / name);
    state.DisplayList.Add(path + "=1 1");
    return path;
  }

  TMain& Open(bool show = true) {
    window =
        std::make_unique<TMain>(state, TMainServices{boxes, files, filePrinting, printing,
                                                     [this](const std::string& entry) {
                                                       stored.push_back(entry);
                                                       return storeSucceeds;
                                                     },
                                                     windowCalls, QStringLiteral("Information")});
    if (show) {
      window->show();
      EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    return *window;
  }

  void Press(Qt::Key key) { QTest::keyClick(window.get(), key); }

  std::string Value(size_t index) const { return std::string(ValueOf(state.DisplayList[index])); }

  TempDir dir;
  RunState state;
  RecordingBoxes boxes;
  DiskPageFileReader files;
  FakeFilePrintService filePrinting;
  RecordingPrintingLayer printing;
  std::function<std::unique_ptr<ApplicationWindowCalls>(QWidget&)> windowCalls;
  bool storeSucceeds = true;
  std::vector<std::string> stored;
  std::unique_ptr<TMain> window;
};

}  // namespace welcomer::testing
