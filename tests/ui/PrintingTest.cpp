#include <QLabel>
#include <QPrinter>
#include <QProgressBar>
#include <QTextEdit>
#include <QToolButton>

#include <cstdio>

#include "tests/ui/WindowFixture.h"
#include "ui/QtPrinting.h"

namespace welcomer {
namespace {

using testing::WindowFixture;
using Calls = std::vector<std::string>;

const QString kPrintErrorPrefix =
    QStringLiteral("The following error occured while trying to print:\r");

std::string RunCommand(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr)
    return output;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    output.append(buffer, got);
  ::pclose(pipe);
  return output;
}

std::string PdfText(const std::string& pdf) {
  return RunCommand(std::string(PDFTOTEXT) + " -layout '" + pdf + "' - 2>/dev/null");
}

QtPrintingLayer::PrinterFactory PdfPrinter(const std::string& file) {
  return [file] {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(file));
    return printer;
  };
}

void WritePicture(const std::string& path, int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(Qt::darkGreen);
  ASSERT_TRUE(picture.save(QString::fromStdString(path), "BMP"));
}

class PrintTest : public WindowFixture {
 protected:
  void ExpectPageOnShowAgain() {
    EXPECT_TRUE(window->Memo->isVisible());
    EXPECT_FALSE(window->ProgressBar->isVisible());
    EXPECT_FALSE(window->ProgressBarLabel->isVisible());
  }
};

TEST_F(PrintTest, FileTheServiceAcceptsIsPrintedByItOnly) {
  const std::string path = AddPage("a.txt", "text");
  filePrinting.accept = true;
  Open();
  QTest::mouseClick(window->PrintButton, Qt::LeftButton);
  EXPECT_EQ(filePrinting.files, Calls{path});
  EXPECT_TRUE(printing.calls.empty());
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PrintTest, LeftJustifiedTextPrintsDisplayedLinesAsTheyAre) {
  AddPage("a.txt", "first line\n\n  indented\nlast");
  Open();
  window->PrintButtonClick();
  EXPECT_EQ(printing.calls, (Calls{"title:Welcomer Information", "begin-text", "line:first line",
                                   "line:", "line:  indented", "line:last", "end-text"}));
  EXPECT_TRUE(boxes.shown.empty());
  ExpectPageOnShowAgain();
}

TEST_F(PrintTest, WrappedLineIsPrintedInTheSamePieces) {
  std::string words;
  for (int i = 0; i < 100; ++i)
    words += "word ";
  AddPage("a.txt", words);
  Open();
  const QStringList shown = window->DisplayedMemoLines();
  ASSERT_GT(shown.size(), 1);
  window->PrintButtonClick();
  Calls expected{"title:Welcomer Information", "begin-text"};
  for (const QString& line : shown)
    expected.push_back("line:" + line.toStdString());
  expected.push_back("end-text");
  EXPECT_EQ(printing.calls, expected);
}

struct PadRow {
  const char* name;
  int length;
  int blanks;
};

class RightJustifiedPrintTest : public PrintTest, public ::testing::WithParamInterface<PadRow> {};

TEST_P(RightJustifiedPrintTest, PadsToColumnEighty) {
  // "ì" in Windows-1252: a high, narrow letter, so that long lines still fit one displayed line.
  AddPage("a.txt", std::string(GetParam().length, '\xEC'));
  Open();
  ASSERT_TRUE(window->RightJustified());
  ASSERT_EQ(window->DisplayedMemoLines().size(), 1);
  window->PrintButtonClick();
  ASSERT_EQ(printing.calls.size(), 4u);
  const QString line = QString(GetParam().length, QChar(0x00EC));
  EXPECT_EQ(printing.calls[2], "line:" + (QString(GetParam().blanks, ' ') + line).toStdString());
}

INSTANTIATE_TEST_SUITE_P(Rows, RightJustifiedPrintTest,
                         ::testing::Values(PadRow{"Thirty", 30, 50}, PadRow{"SeventyNine", 79, 1},
                                           PadRow{"Eighty", 80, 0},
                                           PadRow{"HundredTwenty", 120, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrintTest, EmptyTextPagePrintsNothingAndSaysNothing) {
  AddPage("a.txt", "");
  Open();
  window->PrintButtonClick();
  EXPECT_EQ(printing.calls, Calls{"title:Welcomer Information"});
  EXPECT_TRUE(boxes.shown.empty());
  ExpectPageOnShowAgain();
}

struct FailRow {
  const char* name;
  std::string failAt;
  bool printerError;
  Calls calls;
  QString text;
  BoxIcon icon;
};

class PrintFailureTest : public PrintTest, public ::testing::WithParamInterface<FailRow> {};

TEST_P(PrintFailureTest, ReportsAndRestoresThePage) {
  const FailRow& row = GetParam();
  AddPage("a.txt", "one\ntwo");
  printing.failAt = row.failAt;
  printing.failWithPrinterError = row.printerError;
  Open();
  window->PrintButtonClick();
  EXPECT_EQ(printing.calls, row.calls);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].title, QString());
  EXPECT_EQ(boxes.shown[0].text, row.text);
  EXPECT_EQ(boxes.shown[0].icon, row.icon);
  EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::kOk);
  ExpectPageOnShowAgain();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PrintFailureTest,
    ::testing::Values(
        FailRow{"PrinterErrorAtStart", "begin-text", true,
                Calls{"title:Welcomer Information", "begin-text"},
                kPrintErrorPrefix + "printer on fire", BoxIcon::kStop},
        // The job is ended all the same when a line fails.
        FailRow{"PrinterErrorAtALine", "line", true,
                Calls{"title:Welcomer Information", "begin-text", "line:one", "end-text"},
                kPrintErrorPrefix + "printer on fire", BoxIcon::kStop},
        FailRow{
            "OtherErrorAtEnd", "end-text", false,
            Calls{"title:Welcomer Information", "begin-text", "line:one", "line:two", "end-text"},
            QStringLiteral("An unkown error happened while trying to print :-("), BoxIcon::kNone}),
    [](const auto& info) { return std::string(info.param.name); });

struct ScaleRow {
  const char* name;
  int pageWidth;
  std::string draw;
};

class PicturePrintTest : public PrintTest, public ::testing::WithParamInterface<ScaleRow> {};

TEST_P(PicturePrintTest, ScalesByWholeStepsOfTheWidth) {
  WritePicture(dir / "p.bmp", 20, 10);
  state.DisplayList.Add(UpperCaseAscii(dir / "p.bmp") + "=1 1");
  printing.pageWidth = GetParam().pageWidth;
  Open();
  window->PrintButtonClick();
  EXPECT_EQ(printing.calls, (Calls{"title:Welcomer Information", "begin-picture",
                                   "draw:20x10@" + GetParam().draw, "end-picture"}));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0], (BoxRequest{QString(), "Sent current window to Default Printer",
                                        BoxIcon::kNone, BoxButtons::kOk, false}));
  EXPECT_TRUE(window->Image->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Rows, PicturePrintTest,
                         ::testing::Values(ScaleRow{"Wide", 4800, "1,1,140x70"},
                                           ScaleRow{"JustOne", 611, "1,1,20x10"},
                                           ScaleRow{"JustBelowOne", 610, "1,1,0x0"},
                                           ScaleRow{"Narrow", 600, "1,1,0x0"},
                                           ScaleRow{"NoWidth", 0, "1,1,0x0"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrintTest, PictureThatFailsToDrawIsAbandonedAndNotAnnounced) {
  WritePicture(dir / "p.bmp", 20, 10);
  state.DisplayList.Add(UpperCaseAscii(dir / "p.bmp") + "=1 1");
  printing.failAt = "draw";
  Open();
  window->PrintButtonClick();
  EXPECT_EQ(printing.calls.back(), "abort-picture");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, kPrintErrorPrefix + "printer on fire");
}

TEST_F(PrintTest, RightButtonRunsThePrinterSetupOthersDoNothing) {
  AddPage("a.txt", "text");
  Open();
  QTest::mousePress(window->PrintButton, Qt::MiddleButton);
  QTest::mouseRelease(window->PrintButton, Qt::MiddleButton);
  window->PrintButtonMouseDown(Qt::LeftButton);
  EXPECT_TRUE(printing.calls.empty());
  QTest::mousePress(window->PrintButton, Qt::RightButton);
  QTest::mouseRelease(window->PrintButton, Qt::RightButton);
  EXPECT_EQ(printing.calls, Calls{"setup"});
  printing.failAt = "setup";
  window->PrintButtonMouseDown(Qt::RightButton);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, kPrintErrorPrefix + "printer on fire");
}

// The real printing layer, printing into PDF files that are read back.
class PdfPrintTest : public ::testing::Test {
 protected:
  testing::TempDir dir;
  std::string pdf = dir / "out.pdf";
};

TEST_F(PdfPrintTest, TextLinesWrapAtThePageEdgeAndRunOntoNewPages) {
  QtPrintingLayer layer(PdfPrinter(pdf));
  layer.SetDocumentTitle(QStringLiteral("Welcomer Information"));
  layer.BeginText();
  layer.WriteLine(QStringLiteral("first line"));
  layer.WriteLine(QString(300, QLatin1Char('y')));
  for (int i = 0; i < 200; ++i)
    layer.WriteLine(QStringLiteral("line %1").arg(i));
  layer.EndText();
  const std::string text = PdfText(pdf);
  ASSERT_NE(text.find("first line"), std::string::npos) << text;
  // The long line arrives whole, in pieces on consecutive lines.
  size_t ys = 0;
  int pieces = 0;
  for (size_t at = text.find('y'); at != std::string::npos && text[at] == 'y';) {
    const size_t end = text.find_first_not_of('y', at);
    ys += end - at;
    ++pieces;
    at = text.find_first_not_of(" \n", end);
  }
  EXPECT_EQ(ys, 300u);
  EXPECT_GT(pieces, 1);
  EXPECT_NE(text.find("line 199"), std::string::npos);
  EXPECT_GE(std::count(text.begin(), text.end(), '\f'), 2) << "200 lines fit one page";
}

TEST_F(PdfPrintTest, NoPrinterIsAPrinterError) {
  QtPrintingLayer layer([] {
    auto printer = std::make_unique<QPrinter>();
    printer->setOutputFormat(QPrinter::PdfFormat);
    return printer;
  });
  try {
    layer.BeginText();
    FAIL() << "began a job without a printer";
  } catch (const PrinterError& error) {
    EXPECT_STREQ(error.what(), "There is no default printer");
  }
}

class PdfWindowPrintTest : public WindowFixture {
 protected:
  std::string pdf = dir / "out.pdf";
};

TEST_F(PdfWindowPrintTest, RightJustifiedPageEndsEveryLineAtOneColumn) {
  AddPage("a.txt", std::string(30, '\xEC') + "\n" + std::string(80, '\xEC') + "\n" +
                       std::string(10, '\xEC') + "\n");
  QtPrintingLayer layer(PdfPrinter(pdf));
  window = std::make_unique<TMain>(
      state,
      TMainServices{boxes, files, filePrinting, layer, {}, {}, QStringLiteral("Information")});
  window->PrintButtonClick();
  EXPECT_TRUE(boxes.shown.empty());
  const QStringList lines =
      QString::fromStdString(PdfText(pdf)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  QList<qsizetype> ends;
  for (const QString& line : lines) {
    if (line.contains(QChar(0x00EC)))
      ends.append(line.lastIndexOf(QChar(0x00EC)));
  }
  ASSERT_EQ(ends.size(), 3) << PdfText(pdf);
  EXPECT_EQ(ends[0], ends[1]);
  EXPECT_EQ(ends[2], ends[1]);
}

TEST_F(PdfWindowPrintTest, PictureIsPrintedScaledWithTheMessage) {
  WritePicture(dir / "p.bmp", 20, 10);
  state.DisplayList.Add(UpperCaseAscii(dir / "p.bmp") + "=1 1");
  QtPrintingLayer layer(PdfPrinter(pdf));
  window = std::make_unique<TMain>(
      state,
      TMainServices{boxes, files, filePrinting, layer, {}, {}, QStringLiteral("Information")});
  window->PrintButtonClick();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Sent current window to Default Printer"));
  const std::string images = RunCommand(std::string(PDFIMAGES) + " -list '" + pdf + "'");
  // One picture of the bitmap's own pixels on the page (its size on paper is the scaling).
  EXPECT_NE(images.find("   20    10"), std::string::npos) << images;
}

TEST_F(PdfWindowPrintTest, WithoutAPrinterTheErrorIsReported) {
  AddPage("a.txt", "text");
  QtPrintingLayer layer([] {
    auto printer = std::make_unique<QPrinter>();
    printer->setOutputFormat(QPrinter::PdfFormat);
    return printer;
  });
  window = std::make_unique<TMain>(
      state,
      TMainServices{boxes, files, filePrinting, layer, {}, {}, QStringLiteral("Information")});
  window->PrintButtonClick();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, kPrintErrorPrefix + "There is no default printer");
  EXPECT_EQ(boxes.shown[0].icon, BoxIcon::kStop);
}

}  // namespace
}  // namespace welcomer
