#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QTextEdit>
#include <QToolButton>

#include "tests/ui/WindowFixture.h"
#include "ui/QtPrinting.h"

namespace welcomer {
namespace {

using testing::WindowFixture;
using Calls = std::vector<std::string>;

const std::string kTitle = "title:Welcomer Information";
const QString kPrintError = QStringLiteral("The following error occured while trying to print:\r");

std::string RunTool(const char* program, const QStringList& arguments) {
  QProcess process;
  process.start(QString::fromLatin1(program), arguments);
  process.waitForFinished();
  return process.readAllStandardOutput().toStdString();
}

std::string PdfText(const std::string& pdf) {
  return RunTool(PDFTOTEXT, {"-layout", QString::fromStdString(pdf), "-"});
}

// Without a file name the printer stands for a system that has no printer.
QtPrintingLayer::PrinterFactory PdfPrinter(const std::string& file) {
  return [file] {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(file));
    return printer;
  };
}

// The print boxes have no title and one OK button, and show "&" as it stands.
BoxRequest Box(const QString& text, BoxIcon icon) {
  return BoxRequest{QString(), text, icon, BoxButtons::kOk, false};
}

class PrintTest : public WindowFixture {
 protected:
  void ExpectPageOnShowAgain(bool picture = false) {
    EXPECT_EQ(window->Memo->isVisible(), !picture);
    EXPECT_EQ(window->Image->isVisible(), picture);
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

struct TextRow {
  const char* name;
  std::string page;
  Calls lines;  // none: no job at all
};

class TextPrintTest : public PrintTest, public ::testing::WithParamInterface<TextRow> {};

TEST_P(TextPrintTest, PrintsTheDisplayedLines) {
  AddPage("a.txt", GetParam().page);
  Open();
  window->PrintButtonClick();
  Calls expected{kTitle};
  if (!GetParam().lines.empty()) {
    expected.push_back("begin-text");
    for (const std::string& line : GetParam().lines)
      expected.push_back("line:" + line);
    expected.push_back("end-text");
  }
  EXPECT_EQ(printing.calls, expected);
  EXPECT_TRUE(boxes.shown.empty());
  ExpectPageOnShowAgain();
}

// "ì" in Windows-1252 is a high, narrow letter: long right-justified lines stay one line, and
// are padded to end in column eighty.
std::string Is(int count) {
  return QString(count, QChar(0x00EC)).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TextPrintTest,
    ::testing::Values(TextRow{"LeftAsTheyAre", "first line\n\n  indented\nlast",
                              Calls{"first line", "", "  indented", "last"}},
                      TextRow{"Empty", "", Calls{}},
                      TextRow{"RightThirty", std::string(30, '\xEC'),
                              Calls{std::string(50, ' ') + Is(30)}},
                      TextRow{"RightSeventyNine", std::string(79, '\xEC'), Calls{" " + Is(79)}},
                      TextRow{"RightEighty", std::string(80, '\xEC'), Calls{Is(80)}},
                      TextRow{"RightHundredTwenty", std::string(120, '\xEC'), Calls{Is(120)}}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailRow {
  const char* name;
  bool picture;
  std::string failAt;
  bool printerError;
  Calls calls;
};

class PrintFailureTest : public PrintTest, public ::testing::WithParamInterface<FailRow> {};

TEST_P(PrintFailureTest, ReportsAndShowsThePageAgain) {
  const FailRow& row = GetParam();
  if (row.picture)
    AddPicture("p.bmp", 20, 10);
  else
    AddPage("a.txt", "one\ntwo");
  printing.failAt = row.failAt;
  printing.failWithPrinterError = row.printerError;
  Open();
  window->PrintButtonClick();
  EXPECT_EQ(printing.calls, row.calls);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0], row.printerError ? Box(kPrintError + "printer on fire", BoxIcon::kStop)
                                             : Box("An unkown error happened while trying to "
                                                   "print :-(",
                                                   BoxIcon::kNone));
  ExpectPageOnShowAgain(row.picture);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PrintFailureTest,
    ::testing::Values(FailRow{"AtStart", false, "begin-text", true, Calls{kTitle, "begin-text"}},
                      // The job is ended all the same when a line fails.
                      FailRow{"AtALine", false, "line", true,
                              Calls{kTitle, "begin-text", "line:one", "end-text"}},
                      FailRow{"OtherErrorAtEnd", false, "end-text", false,
                              Calls{kTitle, "begin-text", "line:one", "line:two", "end-text"}},
                      // A picture that fails is abandoned, and not announced as sent.
                      FailRow{"PictureDraw", true, "draw", true,
                              Calls{kTitle, "begin-picture", "draw:20x10@1,1,140x70",
                                    "abort-picture"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ScaleRow {
  const char* name;
  int pageWidth;
  std::string target;
};

class PicturePrintTest : public PrintTest, public ::testing::WithParamInterface<ScaleRow> {};

TEST_P(PicturePrintTest, ScalesByWholeStepsOfTheWidth) {
  AddPicture("p.bmp", 20, 10);
  printing.pageWidth = GetParam().pageWidth;
  Open();
  window->PrintButtonClick();
  EXPECT_EQ(printing.calls,
            (Calls{kTitle, "begin-picture", "draw:20x10@" + GetParam().target, "end-picture"}));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0], Box("Sent current window to Default Printer", BoxIcon::kNone));
  ExpectPageOnShowAgain(true);
}

INSTANTIATE_TEST_SUITE_P(Rows, PicturePrintTest,
                         ::testing::Values(ScaleRow{"Wide", 4800, "1,1,140x70"},
                                           ScaleRow{"JustOne", 611, "1,1,20x10"},
                                           ScaleRow{"JustBelowOne", 610, "1,1,0x0"},
                                           ScaleRow{"NoWidth", 0, "1,1,0x0"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrintTest, RightButtonRunsThePrinterSetupOthersDoNothing) {
  AddPage("a.txt", "text");
  Open();
  for (const Qt::MouseButton button : {Qt::MiddleButton, Qt::RightButton}) {
    QTest::mousePress(window->PrintButton, button);
    QTest::mouseRelease(window->PrintButton, button);
  }
  window->PrintButtonMouseDown(Qt::LeftButton);
  EXPECT_EQ(printing.calls, Calls{"setup"});
  printing.failAt = "setup";
  window->PrintButtonMouseDown(Qt::RightButton);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0], Box(kPrintError + "printer on fire", BoxIcon::kStop));
}

// The real printing layer, printing into PDF files that are read back.
class PdfPrintTest : public PrintTest {
 protected:
  std::string pdf = dir / "out.pdf";
  QtPrintingLayer layer{PdfPrinter(pdf)};
};

TEST_F(PdfPrintTest, TextLinesWrapAtThePageEdgeAndRunOntoNewPages) {
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

TEST_F(PdfPrintTest, RightJustifiedPageEndsEveryLineAtOneColumn) {
  AddPage("a.txt", std::string(30, '\xEC') + "\n" + std::string(80, '\xEC') + "\n" +
                       std::string(10, '\xEC') + "\n");
  Open(&layer).PrintButtonClick();
  EXPECT_TRUE(boxes.shown.empty());
  QList<qsizetype> ends;
  for (const QString& line : QString::fromStdString(PdfText(pdf)).split(QLatin1Char('\n'))) {
    if (line.contains(QChar(0x00EC)))
      ends.append(line.lastIndexOf(QChar(0x00EC)));
  }
  ASSERT_EQ(ends.size(), 3) << PdfText(pdf);
  EXPECT_EQ(ends[0], ends[1]);
  EXPECT_EQ(ends[2], ends[1]);
}

TEST_F(PdfPrintTest, PictureIsPrintedScaledWithTheMessage) {
  AddPicture("p.bmp", 20, 10);
  Open(&layer).PrintButtonClick();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0], Box("Sent current window to Default Printer", BoxIcon::kNone));
  const std::string images = RunTool(PDFIMAGES, {"-list", QString::fromStdString(pdf)});
  // One picture of the bitmap's own pixels on the page (its size on paper is the scaling).
  EXPECT_NE(images.find("   20    10"), std::string::npos) << images;
}

TEST_F(PdfPrintTest, WithoutAPrinterTheErrorIsReported) {
  AddPage("a.txt", "text");
  QtPrintingLayer noPrinter(PdfPrinter(""));
  Open(&noPrinter).PrintButtonClick();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0], Box(kPrintError + "There is no default printer", BoxIcon::kStop));
}

}  // namespace
}  // namespace welcomer
