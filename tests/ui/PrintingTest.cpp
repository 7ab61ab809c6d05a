#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QTextEdit>
#include <QTimer>
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

using PrintTest = WindowFixture;

TEST_F(PrintTest, FileTheServiceAcceptsIsPrintedByItOnly) {
  const std::string path = AddPage("a.txt", "text");
  filePrinting.accept = true;
  Open();
  QTest::mouseClick(window->PrintButton, Qt::LeftButton);
  EXPECT_EQ(filePrinting.files, Calls{path});
  EXPECT_TRUE(printing.calls.empty());
  EXPECT_TRUE(boxes.shown.empty());
}

// "ì" in Windows-1252 is a high, narrow letter: long right-justified lines stay one line, and
// are padded to end in column eighty.
std::string Is(int count) {
  return QString(count, QChar(0x00EC)).toStdString();
}

Calls Text(const Calls& lines) {
  Calls calls{"begin-text"};
  for (const std::string& line : lines)
    calls.push_back("line:" + line);
  calls.push_back("end-text");
  return calls;
}

Calls Picture(const std::string& target) {
  return {"begin-picture", "draw:20x10@" + target, "end-picture"};
}

const BoxRequest kOnFire = Box(kPrintError + "printer on fire", BoxIcon::kStop);
const BoxRequest kUnknown =
    Box(QStringLiteral("An unkown error happened while trying to print :-("), BoxIcon::kNone);
const BoxRequest kSent =
    Box(QStringLiteral("Sent current window to Default Printer"), BoxIcon::kNone);

struct PrintRow : testing::NamedRow {
  std::string page;  // "BMP": a 20 x 10 picture
  int pageWidth;
  std::string failAt;
  Calls calls;  // after the document title
  std::vector<BoxRequest> boxes;
};

class PrintOutcomeTest : public PrintTest, public ::testing::WithParamInterface<PrintRow> {};

TEST_P(PrintOutcomeTest, ReachesThePrinterAndIsReportedAndThePageShowsAgain) {
  const PrintRow& row = GetParam();
  const bool picture = row.page == "BMP";
  if (picture)
    AddPicture("p.bmp", 20, 10);
  else
    AddPage("a.txt", row.page);
  printing.pageWidth = row.pageWidth;
  printing.failAt = row.failAt;
  printing.failWithPrinterError = row.boxes != std::vector<BoxRequest>{kUnknown};
  Open();
  window->PrintButtonClick();
  Calls expected{kTitle};
  expected.insert(expected.end(), row.calls.begin(), row.calls.end());
  EXPECT_EQ(printing.calls, expected);
  EXPECT_EQ(boxes.shown, row.boxes);
  // The page shows again.
  EXPECT_EQ(window->Memo->isVisible(), !picture);
  EXPECT_EQ(window->Image->isVisible(), picture);
  EXPECT_FALSE(window->ProgressBar->isVisible());
  EXPECT_FALSE(window->ProgressBarLabel->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PrintOutcomeTest,
    ::testing::Values(
        PrintRow{"LeftAsTheyAre",
                 "first line\n\n  indented\nlast",
                 0,
                 "",
                 Text({"first line", "", "  indented", "last"}),
                 {}},
        PrintRow{"EmptyPrintsNothing", "", 0, "", {}, {}},
        PrintRow{"RightSeventyNine", std::string(79, '\xEC'), 0, "", Text({" " + Is(79)}), {}},
        PrintRow{"RightHundredTwenty", std::string(120, '\xEC'), 0, "", Text({Is(120)}), {}},
        PrintRow{"FailsAtStart", "one\ntwo", 0, "begin-text", {"begin-text"}, {kOnFire}},
        // The job is ended all the same when a line fails.
        PrintRow{"FailsAtALine",
                 "one\ntwo",
                 0,
                 "line",
                 {"begin-text", "line:one", "end-text"},
                 {kOnFire}},
        PrintRow{"OtherErrorAtEnd", "one\ntwo", 0, "end-text", Text({"one", "two"}), {kUnknown}},
        // The picture is scaled by whole steps of the page's width.
        PrintRow{"PictureWide", "BMP", 4800, "", Picture("1,1,140x70"), {kSent}},
        PrintRow{"PictureJustOne", "BMP", 611, "", Picture("1,1,20x10"), {kSent}},
        PrintRow{"PictureJustBelowOne", "BMP", 610, "", Picture("1,1,0x0"), {kSent}},
        // A picture that fails is abandoned, and not announced as sent.
        PrintRow{"PictureFailsToDraw",
                 "BMP",
                 4800,
                 "draw",
                 {"begin-picture", "draw:20x10@1,1,140x70", "abort-picture"},
                 {kOnFire}}),
    testing::kRowName);

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
  EXPECT_EQ(boxes.shown[0], kOnFire);
}

// The real printing layer, printing into PDF files that are read back.
class PdfPrintTest : public PrintTest {
 protected:
  std::string pdf = dir / "out.pdf";
  QtPrintingLayer layer{PdfPrinter(pdf)};
};

TEST_F(PdfPrintTest, RightJustifiedPageEndsEveryLineAtOneColumn) {
  AddPage("a.txt", std::string(30, '\xEC') + "\n" + std::string(80, '\xEC') + "\n" +
                       std::string(10, '\xEC') + "\n");
  Open(&layer).PrintButtonClick();
  EXPECT_TRUE(boxes.shown.empty());
  const std::string text = RunTool(PDFTOTEXT, {"-layout", QString::fromStdString(pdf), "-"});
  QList<qsizetype> ends;
  for (const QString& line : QString::fromStdString(text).split(QLatin1Char('\n'))) {
    if (line.contains(QChar(0x00EC)))
      ends.append(line.lastIndexOf(QChar(0x00EC)));
  }
  ASSERT_EQ(ends.size(), 3) << text;
  EXPECT_EQ(ends[0], ends[1]);
  EXPECT_EQ(ends[2], ends[1]);
}

TEST_F(PdfPrintTest, PictureIsPrintedScaledWithTheMessage) {
  AddPicture("p.bmp", 20, 10);
  Open(&layer).PrintButtonClick();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0], kSent);
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

TEST_F(PdfPrintTest, SetupDialogAcceptsWithOkSinceItPrintsNothing) {
  QStringList accept;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    if (auto* buttons = dialog->findChild<QDialogButtonBox*>()) {
      for (QAbstractButton* button : buttons->buttons()) {
        if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
          accept.append(button->text());
      }
    }
    dialog->close();
  });
  layer.RunSetupDialog(nullptr);
  EXPECT_EQ(accept, QStringList{QStringLiteral("OK")});
}

}  // namespace
}  // namespace welcomer
