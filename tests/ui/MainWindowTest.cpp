#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>

#include "tests/ui/WindowFixture.h"

namespace welcomer {
namespace {

using testing::WindowFixture;

std::string Lines(int count, const std::string& line = "x") {
  std::string text;
  for (int i = 0; i < count; ++i)
    text += line + "\r\n";
  return text;
}

// The lines QTextEdit itself laid out.
int LaidOutLines(QTextEdit* memo) {
  QTextDocument* document = memo->document();
  if (document->isEmpty())
    return 0;
  document->documentLayout()->documentSize();
  int lines = 0;
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
    lines += block.layout()->lineCount();
  return lines;
}

std::string WritePicture(const testing::TempDir& dir, const std::string& name, int width,
                         int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(Qt::red);
  const std::string path = dir / name;
  EXPECT_TRUE(picture.save(QString::fromStdString(path), "BMP"));
  return path;
}

class MainWindowTest : public WindowFixture {};

struct CommitKeyRow {
  const char* name;
  Qt::Key key;
};

class OnePageTest : public WindowFixture, public ::testing::WithParamInterface<CommitKeyRow> {};

TEST_P(OnePageTest, CommitsAndClosesAtOnce) {
  AddPage("a.txt", "hello");
  state.StoredEntries.Add("Welcomer.File.OLD=1 1");
  TMain& main = Open();
  EXPECT_EQ(main.windowTitle(), QStringLiteral("Information"));
  EXPECT_EQ(main.CloseButton->text(), QStringLiteral("Close"));
  EXPECT_FALSE(main.PreviousButton->isVisible());
  main.ShowNext->setChecked(false);
  if (GetParam().key == Qt::Key_unknown)
    QTest::mouseClick(main.CloseButton, Qt::LeftButton);
  else
    Press(GetParam().key);
  EXPECT_FALSE(main.isVisible());
  EXPECT_TRUE(state.DisplayList.Empty());
  EXPECT_TRUE(state.StoredEntries.Empty());
  EXPECT_EQ(stored.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Keys, OnePageTest,
                         ::testing::Values(CommitKeyRow{"Enter", Qt::Key_Return},
                                           CommitKeyRow{"Escape", Qt::Key_Escape},
                                           CommitKeyRow{"Click", Qt::Key_unknown}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, PagesThroughThreeWithCaptionsAndButtons) {
  AddPage("a.txt", "first");
  AddPage("b.txt", "second");
  AddPage("c.txt", "third");
  TMain& main = Open();
  struct Expected {
    QString title;
    QString close;
    bool previous;
    QString text;
  };
  const Expected pages[] = {
      {"Information Page 1 of 3", "Next", false, "first"},
      {"Information Page 2 of 3", "Next", true, "second"},
      {"Information Page 3 of 3", "Close", true, "third"},
  };
  for (int page = 0; page < 3; ++page) {
    SCOPED_TRACE(page);
    EXPECT_EQ(state.CurrentPage, page);
    EXPECT_EQ(main.windowTitle(), pages[page].title);
    EXPECT_EQ(main.CloseButton->text(), pages[page].close);
    EXPECT_EQ(main.PreviousButton->isVisible(), pages[page].previous);
    EXPECT_EQ(main.Memo->toPlainText(), pages[page].text);
    EXPECT_TRUE(main.CloseButton->hasFocus());
    if (page < 2)
      Press(Qt::Key_Return);
  }
  QTest::mouseClick(main.PreviousButton, Qt::LeftButton);
  EXPECT_EQ(main.windowTitle(), QStringLiteral("Information Page 2 of 3"));
  EXPECT_TRUE(main.isVisible());
  EXPECT_TRUE(stored.empty());
}

TEST_F(MainWindowTest, EnterActsOnPreviousWhenItHasTheFocus) {
  AddPage("a.txt", "first");
  AddPage("b.txt", "second");
  TMain& main = Open();
  Press(Qt::Key_Return);
  ASSERT_EQ(state.CurrentPage, 1);
  main.PreviousButton->setFocus();
  Press(Qt::Key_Return);
  EXPECT_EQ(state.CurrentPage, 0);
}

TEST_F(MainWindowTest, UntickedPageIsMarkedOnceAndShowsUntickedAgain) {
  const std::string first = AddPage("a.txt", "first", "12 100");
  AddPage("b.txt", "second", "34 200");
  TMain& main = Open();
  EXPECT_TRUE(main.ShowNext->isVisible());
  EXPECT_TRUE(main.ShowNext->isChecked());
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  EXPECT_EQ(Value(0), "X12 100");
  EXPECT_TRUE(main.ShowNext->isChecked());
  QTest::mouseClick(main.PreviousButton, Qt::LeftButton);
  EXPECT_FALSE(main.ShowNext->isChecked());
  Press(Qt::Key_Return);
  EXPECT_EQ(Value(0), "X12 100");
  Press(Qt::Key_Return);
  EXPECT_EQ(stored, std::vector<std::string>{"Welcomer.File." + first + "=12 100"});
}

TEST_F(MainWindowTest, LeavingBackwardMarksToo) {
  AddPage("a.txt", "first", "1 1");
  AddPage("b.txt", "second", "2 2");
  TMain& main = Open();
  Press(Qt::Key_Return);
  main.ShowNext->setChecked(false);
  QTest::mouseClick(main.PreviousButton, Qt::LeftButton);
  EXPECT_EQ(Value(1), "X2 2");
  EXPECT_EQ(Value(0), "1 1");
}

TEST_F(MainWindowTest, TickingAgainTakesTheMarkAwayWhenThePageIsLeft) {
  AddPage("a.txt", "first", "1 1");
  AddPage("b.txt", "second", "2 2");
  TMain& main = Open();
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  QTest::mouseClick(main.PreviousButton, Qt::LeftButton);
  main.ShowNext->setChecked(true);
  Press(Qt::Key_Return);
  EXPECT_EQ(Value(0), "1 1");
  Press(Qt::Key_Return);
  EXPECT_TRUE(stored.empty());
}

TEST_F(MainWindowTest, UntickingTheLastPageStoresItOnClose) {
  const std::string first = AddPage("a.txt", "first", "1 1");
  const std::string second = AddPage("b.txt", "second", "2 2");
  const std::string third = AddPage("c.txt", "third", "3 3");
  TMain& main = Open();
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  Press(Qt::Key_Return);
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  EXPECT_EQ(stored, (std::vector<std::string>{"Welcomer.File." + first + "=1 1",
                                              "Welcomer.File." + third + "=3 3"}));
  EXPECT_FALSE(main.isVisible());
}

TEST_F(MainWindowTest, FailedStoresNeitherStopNorShow) {
  AddPage("a.txt", "first", "1 1");
  AddPage("b.txt", "second", "2 2");
  storeSucceeds = false;
  TMain& main = Open();
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  EXPECT_EQ(stored.size(), 2u);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_FALSE(main.isVisible());
  EXPECT_TRUE(state.DisplayList.Empty());
}

TEST_F(MainWindowTest, ForceModeHidesTheBoxMarksNothingStoresNothing) {
  AddPage("a.txt", "first", "1 1");
  AddPage("b.txt", "second", "2 2");
  state.ForceMode = true;
  TMain& main = Open();
  EXPECT_FALSE(main.ShowNext->isVisible());
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  EXPECT_FALSE(main.ShowNext->isVisible());
  EXPECT_EQ(Value(0), "1 1");
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  EXPECT_TRUE(stored.empty());
  EXPECT_FALSE(main.isVisible());
  EXPECT_TRUE(state.DisplayList.Empty());
}

TEST_F(MainWindowTest, SamePathTwiceSharesOneMarkAndIsStoredOnce) {
  const std::string path = AddPage("a.txt", "first", "1 1");
  state.DisplayList.Add(LowerCaseAscii(path) + "=1 1");
  TMain& main = Open();
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  EXPECT_EQ(Value(0), "X1 1");
  EXPECT_EQ(Value(1), "1 1");
  EXPECT_FALSE(main.ShowNext->isChecked());
  Press(Qt::Key_Return);
  EXPECT_EQ(stored, std::vector<std::string>{"Welcomer.File." + path + "=1 1"});
}

TEST_F(MainWindowTest, CheckBoxCaptionComesFromTheRunState) {
  AddPage("a.txt", "first");
  state.CheckboxCaption = "&Please Read";
  TMain& main = Open();
  EXPECT_EQ(main.ShowNext->text(), QStringLiteral("&Please Read"));
}

TEST_F(MainWindowTest, ClosingTheWindowOtherwiseStoresNothing) {
  AddPage("a.txt", "first");
  TMain& main = Open();
  main.ShowNext->setChecked(false);
  main.close();
  EXPECT_TRUE(stored.empty());
  EXPECT_FALSE(state.DisplayList.Empty());
}

struct ScrollRow {
  const char* name;
  std::string text;
  int lines;
  bool scrollBar;
};

class ScrollBarTest : public WindowFixture, public ::testing::WithParamInterface<ScrollRow> {};

TEST_P(ScrollBarTest, FromTwentyTwoDisplayedLines) {
  AddPage("a.txt", GetParam().text);
  TMain& main = Open();
  EXPECT_EQ(main.DisplayedLineCount(), GetParam().lines);
  EXPECT_EQ(main.Memo->verticalScrollBarPolicy(),
            GetParam().scrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(main.Memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  // The count is the one the text area itself comes to.
  EXPECT_EQ(main.DisplayedMemoLines().size(), LaidOutLines(main.Memo));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ScrollBarTest,
    ::testing::Values(ScrollRow{"Empty", "", 0, false},
                      ScrollRow{"TwentyOne", Lines(21), 21, false},
                      ScrollRow{"TwentyOneAndNoFinalBreak", Lines(20) + "x", 21, false},
                      ScrollRow{"TwentyTwo", Lines(22), 22, true},
                      ScrollRow{"EmptyLinesCount", Lines(22, ""), 22, true},
                      ScrollRow{"FinalEmptyLineCounts", Lines(20) + "\r\n", 21, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, WrappedParagraphIsCountedPieceByPiece) {
  std::string words;
  for (int i = 0; i < 300; ++i)
    words += "word ";
  AddPage("a.txt", words);
  TMain& main = Open();
  EXPECT_GE(main.DisplayedLineCount(), 22);
  EXPECT_EQ(main.DisplayedLineCount(), LaidOutLines(main.Memo));
}

TEST_F(MainWindowTest, AboutTwentyOneLinesFitTheTextArea) {
  AddPage("a.txt", Lines(21));
  TMain& main = Open();
  EXPECT_EQ(main.Memo->verticalScrollBar()->maximum(), 0) << "21 lines need scrolling in this font";
}

struct AlignRow {
  const char* name;
  std::string text;
  bool right;
};

class AlignmentTest : public WindowFixture, public ::testing::WithParamInterface<AlignRow> {};

TEST_P(AlignmentTest, FollowsTheFirstNonEmptyLine) {
  AddPage("a.txt", GetParam().text);
  TMain& main = Open();
  EXPECT_EQ(main.RightJustified(), GetParam().right);
  const Qt::Alignment alignment = main.Memo->document()->defaultTextOption().alignment();
  EXPECT_EQ(bool(alignment & Qt::AlignRight), GetParam().right);
  EXPECT_FALSE(alignment & Qt::AlignHCenter);
  // Every paragraph follows, not only the first.
  QTextDocument* document = main.Memo->document();
  document->documentLayout()->documentSize();
  const QTextBlock last =
      document->lastBlock().previous().isValid() && document->lastBlock().text().isEmpty()
          ? document->lastBlock().previous()
          : document->lastBlock();
  if (!last.text().isEmpty()) {
    const QTextLine line = last.layout()->lineAt(0);
    EXPECT_EQ(line.naturalTextRect().right() > line.width() - 5, GetParam().right);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AlignmentTest,
    ::testing::Values(AlignRow{"Ascii", "plain text\nmore", false},
                      AlignRow{"HebrewCodePage", "\xF9\xEC\xE5\xED \xF2\xE5\xEC\xED\nab", true},
                      AlignRow{"HebrewUtf8", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D\nab", true},
                      AlignRow{"LeadingEmptyLinesSkipped", "\n\n\r\n\xF9\xEC\xE5\xED\nab", true},
                      AlignRow{"FirstNonEmptyLineDecides",
                               "\nabc\n\xF9\xEC\xE5\xED\xF9\xEC\xE5\xED", false},
                      AlignRow{"OnlyEmptyLines", "\n\n\n", false},
                      AlignRow{"EmptyFile", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, AlignmentResetsOnTheNextPage) {
  AddPage("a.txt", "\xF9\xEC\xE5\xED");
  AddPage("b.txt", "left");
  TMain& main = Open();
  EXPECT_TRUE(main.RightJustified());
  Press(Qt::Key_Return);
  EXPECT_FALSE(main.RightJustified());
  EXPECT_FALSE(main.Memo->document()->defaultTextOption().alignment() & Qt::AlignRight);
}

struct PictureRow {
  const char* name;
  int width;
  int height;
  bool stretched;
};

class PictureTest : public WindowFixture, public ::testing::WithParamInterface<PictureRow> {};

TEST_P(PictureTest, StretchesOnlyWhatDoesNotFit) {
  const PictureRow& row = GetParam();
  WritePicture(dir, "p.bmp", row.width, row.height);
  const std::string path = UpperCaseAscii(dir / "p.bmp");
  state.DisplayList.Add(path + "=1 1");
  TMain& main = Open();
  ASSERT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(main.Image->isVisible());
  EXPECT_FALSE(main.Memo->isVisible());
  EXPECT_EQ(main.Image->hasScaledContents(), row.stretched);
  EXPECT_EQ(main.Picture().size(), QSize(row.width, row.height));
  EXPECT_EQ(main.Image->toolTip(), QString::fromStdString(path));
  // What is drawn: a corner of the area is the picture's red only when it was stretched.
  const QImage drawn = main.Image->grab().toImage();
  const bool fillsArea = row.stretched || (row.width == 488 && row.height == 280);
  EXPECT_EQ(drawn.pixelColor(0, 0) == QColor(Qt::red), fillsArea);
  EXPECT_EQ(drawn.pixelColor(drawn.width() / 2, drawn.height() / 2), QColor(Qt::red));
}

INSTANTIATE_TEST_SUITE_P(Rows, PictureTest,
                         ::testing::Values(PictureRow{"ExactlyTheArea", 488, 280, false},
                                           PictureRow{"Small", 20, 10, false},
                                           PictureRow{"OneTooWide", 489, 10, true},
                                           PictureRow{"OneTooTall", 10, 281, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, TextPageAfterPicturePageShowsText) {
  WritePicture(dir, "p.bmp", 20, 20);
  state.DisplayList.Add(UpperCaseAscii(dir / "p.bmp") + "=1 1");
  AddPage("t.txt", "text");
  TMain& main = Open();
  Press(Qt::Key_Return);
  EXPECT_TRUE(main.Memo->isVisible());
  EXPECT_FALSE(main.Image->isVisible());
  EXPECT_EQ(main.Memo->toPlainText(), QStringLiteral("text"));
}

void ExpectApplicationErrorBox(const testing::RecordingBoxes& boxes, const std::string& needle) {
  ASSERT_EQ(boxes.shown.size(), 1u);
  const BoxRequest& box = boxes.shown[0];
  EXPECT_EQ(box.title, QStringLiteral("Information"));
  EXPECT_EQ(box.icon, BoxIcon::kStop);
  EXPECT_EQ(box.buttons, BoxButtons::kOk);
  EXPECT_TRUE(box.text.contains(QString::fromStdString(needle), Qt::CaseInsensitive))
      << box.text.toStdString();
}

TEST_F(MainWindowTest, TextBeginningWithBMIsAPictureThatFailsToLoad) {
  AddPage("fake.txt", "BMW drivers please park outside");
  TMain& main = Open();
  ExpectApplicationErrorBox(boxes, "fake.txt");
  EXPECT_TRUE(main.isVisible());
}

TEST_F(MainWindowTest, MissingFileAtCreationIsReportedAndTheWindowOpens) {
  AddMissingPage("gone.txt");
  AddPage("b.txt", "second");
  TMain& main = Open();
  ExpectApplicationErrorBox(boxes, "gone.txt");
  EXPECT_TRUE(main.isVisible());
  // It was never shown: leaving it says nothing about it.
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  EXPECT_EQ(Value(0), "1 1");
  EXPECT_EQ(main.Memo->toPlainText(), QStringLiteral("second"));
}

TEST_F(MainWindowTest, PageThatFailsOnArrivalKeepsTheOldPageButMovesOn) {
  AddPage("a.txt", "first", "1 1");
  AddMissingPage("gone.txt");
  TMain& main = Open();
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  ExpectApplicationErrorBox(boxes, "gone.txt");
  EXPECT_EQ(state.CurrentPage, 1);
  EXPECT_EQ(main.Memo->toPlainText(), QStringLiteral("first"));
  EXPECT_EQ(main.windowTitle(), QStringLiteral("Information Page 1 of 2"));
  EXPECT_TRUE(main.isVisible());
  // The next press goes on from the new index: the last page, so it commits.
  Press(Qt::Key_Return);
  EXPECT_FALSE(main.isVisible());
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_NE(stored[0].find("A.TXT=1 1"), std::string::npos);
}

TEST_F(MainWindowTest, TooLargeFileIsReportedNotShown) {
  AddPage("a.txt", "fits");
  AddPage("big.txt", std::string(kMaxPageFileSize + 1, 'x'));
  TMain& main = Open();
  Press(Qt::Key_Return);
  ExpectApplicationErrorBox(boxes, "16 MiB");
  EXPECT_EQ(main.Memo->toPlainText(), QStringLiteral("fits"));
}

TEST_F(MainWindowTest, IconHideTakesTheTaskBarButtonAwayAtCreation) {
  AddPage("a.txt", "first");
  auto* calls = new testing::RecordingWindowCalls;
  calls->style = 0x100;
  QWidget* target = nullptr;
  windowCalls = [&](QWidget& window) {
    target = &window;
    return std::unique_ptr<ApplicationWindowCalls>(calls);
  };
  TMain& main = Open(false);
  EXPECT_EQ(target, &main);
  EXPECT_TRUE(main.IconHide1->Hidden());
  EXPECT_EQ(calls->calls, (std::vector<std::string>{"read", "hide", "set:392", "show"}));
}

}  // namespace
}  // namespace welcomer
