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

using Calls = std::vector<std::string>;
using PrintTest = testing::WindowFixture;

const QString kPrintError = QStringLiteral("The following error occured while trying to print:\r");

// The print boxes have no title and one OK button, and show "&" as it stands.
BoxRequest Box(const QString& text, BoxIcon icon = BoxIcon::kNone) {
  return BoxRequest{QString(), text, icon, BoxButtons::kOk, false};
}

const BoxRequest kOnFire = Box(kPrintError + "printer on fire", BoxIcon::kStop);
const BoxRequest kUnknown =
    Box(QStringLiteral("An unkown error happened while trying to print :-("));
const BoxRequest kSent = Box(QStringLiteral("Sent current window to Default Printer"));

Calls Text(const Calls& lines) {
  Calls calls{"begin-text"};
  for (const std::string& line : lines)
    calls.push_back("line:" + line);
  calls.push_back("end-text");
  return calls;
}

Calls Picture(const std::string& target, const char* end = "end-picture") {
  return {"begin-picture", "draw:20x10@" + target, end};
}

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
    AddPicture("a.txt", "bmp", {20, 10});
  else
    AddPage("a.txt", row.page);
  printing.pageWidth = row.pageWidth;
  printing.failAt = row.failAt;
  printing.failWithPrinterError = row.boxes != std::vector<BoxRequest>{kUnknown};
  Open();
  // The print service refused the file; the end-to-end boxes test has it take the file, and then
  // the window prints nothing itself.
  QTest::mouseClick(window->PrintButton, Qt::LeftButton);
  Calls expected{"title:Welcomer Information"};
  expected.insert(expected.end(), row.calls.begin(), row.calls.end());
  EXPECT_EQ(printing.calls, expected);
  EXPECT_EQ(boxes.shown, row.boxes);
  EXPECT_EQ(window->Memo->isVisible(), !picture);
  EXPECT_EQ(window->Image->isVisible(), picture);
  EXPECT_FALSE(window->ProgressBar->isVisible() || window->ProgressBarLabel->isVisible());
}

// Right-justified lines are padded to end in column eighty; the real layer's test reads that
// back. The picture is scaled by whole steps of the page's width. A job is ended all the same
// when a line fails; a picture that fails is abandoned, and not announced as sent.
INSTANTIATE_TEST_SUITE_P(
    Rows, PrintOutcomeTest,
    ::testing::Values(
        PrintRow{"Lines", "first\n\n  indented", 0, "", Text({"first", "", "  indented"}), {}},
        PrintRow{"EmptyPrintsNothing", "", 0, "", {}, {}},
        PrintRow{
            "FailsAtALine", "a\nb", 0, "line", {"begin-text", "line:a", "end-text"}, {kOnFire}},
        PrintRow{"OtherErrorAtEnd", "a\nb", 0, "end-text", Text({"a", "b"}), {kUnknown}},
        PrintRow{"PictureWide", "BMP", 4800, "", Picture("1,1,140x70"), {kSent}},
        PrintRow{"PictureJustOne", "BMP", 611, "", Picture("1,1,20x10"), {kSent}},
        PrintRow{"PictureJustBelowOne", "BMP", 610, "", Picture("1,1,0x0"), {kSent}},
        PrintRow{
            "DrawFails", "BMP", 4800, "draw", Picture("1,1,140x70", "abort-picture"), {kOnFire}}),
    testing::kRowName);

TEST_F(PrintTest, RightButtonRunsThePrinterSetupOthersDoNothing) {
  AddPage("a.txt", "text");
  Open();
  for (const Qt::MouseButton button : {Qt::MiddleButton, Qt::RightButton})
    QTest::mouseClick(window->PrintButton, button);
  EXPECT_EQ(printing.calls, Calls{"setup"});
}

std::string RunTool(const char* program, const QStringList& arguments) {
  QProcess process;
  process.start(QString::fromLatin1(program), arguments);
  process.waitForFinished();
  return process.readAllStandardOutput().toStdString();
}

// The real printing layer, printing into a PDF file that is read back. A system without a
// printer is the end-to-end boxes test's.
class PdfPrintTest : public PrintTest {
 protected:
  std::string pdf = dir / "out.pdf";
  QtPrintingLayer layer{[this] {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(pdf));
    return printer;
  }};
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
  EXPECT_TRUE(ends[0] == ends[1] && ends[2] == ends[1]) << text;
}

TEST_F(PdfPrintTest, PictureIsPrintedWithTheMessage) {
  AddPicture("p.bmp", "bmp", {20, 10});
  Open(&layer).PrintButtonClick();
  EXPECT_EQ(boxes.shown, std::vector<BoxRequest>{kSent});
  const std::string images = RunTool(PDFIMAGES, {"-list", QString::fromStdString(pdf)});
  // One picture of the bitmap's own pixels on the page (its size on paper is the scaling).
  EXPECT_NE(images.find("   20    10"), std::string::npos) << images;
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
