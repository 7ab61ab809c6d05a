#include <sys/stat.h>

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QCheckBox>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>

#include "tests/ui/WindowFixture.h"

namespace welcomer {
namespace {

using testing::kRowName;
using testing::NamedRow;
using testing::WindowFixture;
using Strings = std::vector<std::string>;

class MainWindowTest : public WindowFixture {};

std::string Lines(int count, const std::string& line = "x", const std::string& end = "\r\n") {
  std::string text;
  for (int i = 0; i < count; ++i)
    text += line + end;
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

// A user's way through three pages: u/t untick/tick the box, n Enter, e Escape, c a click on
// Close, p a click on Previous, x closing the window otherwise.
struct PagingRow : NamedRow {
  bool force;
  bool storeFails;
  const char* script;
  Strings values;           // the list's values after the script; empty once it committed
  std::vector<int> stored;  // the pages stored once Enter was pressed through to the end
};

class PagingTest : public WindowFixture, public ::testing::WithParamInterface<PagingRow> {
 protected:
  // What every page shows on arrival.
  void ExpectPage() {
    const int page = state.CurrentPage;
    SCOPED_TRACE(page);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Information Page %1 of 3").arg(page + 1));
    EXPECT_EQ(window->Memo->toPlainText(), QStringLiteral("page %1").arg(page + 1));
    EXPECT_EQ(window->CloseButton->text(), page < 2 ? "Next" : "Close");
    EXPECT_EQ(window->PreviousButton->isVisible(), page > 0);
    EXPECT_TRUE(window->CloseButton->hasFocus());
    EXPECT_EQ(window->ShowNext->isVisible(), !GetParam().force);
    // The box shows the page's mark as the user left it.
    EXPECT_EQ(window->ShowNext->isChecked(), Value(page)[0] != 'X');
  }
  std::string Value(size_t index) const { return std::string(ValueOf(state.DisplayList[index])); }
};

TEST_P(PagingTest, StoresTheUntickedPagesInOneBatchOnCloseOfTheLast) {
  const PagingRow& row = GetParam();
  Strings entries;  // what storing each page would store
  for (const std::string page : {"1", "2", "3"})
    entries.push_back("Welcomer.File." + AddPage(page, "page " + page, page + " " + page) + "=" +
                      page + " " + page);
  state.StoredEntries.Add("Welcomer.File.OLD=1 1");
  state.ForceMode = row.force;
  client->accepts = !row.storeFails;
  TMain& main = Open();
  ExpectPage();
  for (const char* step = row.script; *step; ++step) {
    if (*step == 'u' || *step == 't') {
      main.ShowNext->setChecked(*step == 't');
      continue;
    }
    if (*step == 'n' || *step == 'e')
      Press(*step == 'n' ? Qt::Key_Return : Qt::Key_Escape);
    else if (*step == 'x')
      main.close();
    else
      QTest::mouseClick(*step == 'c' ? main.CloseButton : main.PreviousButton, Qt::LeftButton);
    if (main.isVisible())
      ExpectPage();
  }
  Strings values;
  for (size_t i = 0; i < state.DisplayList.Count(); ++i)
    values.push_back(Value(i));
  EXPECT_EQ(values, row.values);
  for (int i = 0; i < 3 && main.isVisible(); ++i)
    Press(Qt::Key_Return);
  EXPECT_FALSE(main.isVisible());
  Strings expected;
  for (const int page : row.stored)
    expected.push_back(entries[static_cast<size_t>(page)]);
  if (!expected.empty()) {
    expected.insert(expected.begin(), "begin");
    expected.push_back("end");
  }
  EXPECT_EQ(client->log, expected);
  EXPECT_TRUE(boxes.shown.empty());
  if (std::string(row.script).find('x') == std::string::npos) {
    EXPECT_TRUE(state.DisplayList.Empty() && state.StoredEntries.Empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PagingTest,
    ::testing::Values(
        PagingRow{"LeavingBackwardMarks", false, false, "nup", {"1 1", "X2 2", "3 3"}, {1}},
        PagingRow{"TickingAgainUnmarks", false, false, "unptn", {"1 1", "2 2", "3 3"}, {}},
        // A failed store is neither reported nor stops the others.
        PagingRow{"StoreFailsOnLastPage", false, true, "unnu", {"X1 1", "2 2", "3 3"}, {0, 2}},
        PagingRow{"EscapeAndClickGoForward", false, false, "cuee", {}, {1}},
        PagingRow{"ForceModeMarksNothing", true, false, "ununu", {"1 1", "2 2", "3 3"}, {}},
        PagingRow{"ClosedOtherwise", false, false, "ux", {"1 1", "2 2", "3 3"}, {}}),
    kRowName);

TEST_F(MainWindowTest, SamePathTwiceSharesOneMarkAndIsStoredOnce) {
  const std::string path = AddPage("a.txt", "first");
  state.DisplayList.Add(LowerCaseAscii(path) + "=1 1");
  TMain& main = Open();
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  EXPECT_EQ(state.DisplayList[0], path + "=X1 1");
  EXPECT_EQ(state.DisplayList[1], LowerCaseAscii(path) + "=1 1");
  EXPECT_FALSE(main.ShowNext->isChecked());
  Press(Qt::Key_Return);
  EXPECT_EQ(client->log, (Strings{"begin", "Welcomer.File." + path + "=1 1", "end"}));
}

struct ScrollRow : NamedRow {
  std::string text;
  int lines;  // -1: as many as the text area wraps it into
  bool scrollBar;
};

class ScrollBarTest : public WindowFixture, public ::testing::WithParamInterface<ScrollRow> {};

TEST_P(ScrollBarTest, FromTwentyTwoDisplayedLines) {
  AddPage("a.txt", GetParam().text);
  TMain& main = Open();
  if (GetParam().lines >= 0) {
    EXPECT_EQ(main.DisplayedLineCount(), GetParam().lines);
  }
  EXPECT_EQ(main.Memo->verticalScrollBarPolicy(),
            GetParam().scrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  // The count is the one the text area itself comes to, and what it counts fits the area.
  EXPECT_EQ(main.DisplayedLineCount(), LaidOutLines(main.Memo));
  if (!GetParam().scrollBar) {
    EXPECT_EQ(main.Memo->verticalScrollBar()->maximum(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ScrollBarTest,
    ::testing::Values(ScrollRow{"Empty", "", 0, false},
                      ScrollRow{"TwentyOne", Lines(21), 21, false},
                      ScrollRow{"TwentyTwoAndNoFinalBreak", Lines(21) + "x", 22, true},
                      ScrollRow{"EmptyLinesCount", Lines(22, ""), 22, true},
                      ScrollRow{"WrappedPieceByPiece", Lines(300, "word", " "), -1, true}),
    kRowName);

struct AlignRow : NamedRow {
  std::string bytes;
  const char* shown;  // the text as the area holds it
  bool right;
};

class AlignmentTest : public WindowFixture, public ::testing::WithParamInterface<AlignRow> {};

TEST_P(AlignmentTest, FollowsTheFirstNonEmptyLine) {
  AddPage("a.txt", GetParam().bytes);
  AddPage("b.txt", "left");
  TMain& main = Open();
  EXPECT_EQ(main.Memo->toPlainText(), QString::fromUtf8(GetParam().shown));
  EXPECT_EQ(main.RightJustified(), GetParam().right);
  QTextDocument* document = main.Memo->document();
  const Qt::Alignment alignment = document->defaultTextOption().alignment();
  EXPECT_EQ(bool(alignment & Qt::AlignRight), GetParam().right);
  EXPECT_FALSE(alignment & Qt::AlignHCenter);
  // Every paragraph follows, not only the first.
  document->documentLayout()->documentSize();
  const QTextBlock last = document->lastBlock();
  if (!last.text().isEmpty()) {
    const QTextLine line = last.layout()->lineAt(0);
    EXPECT_EQ(line.naturalTextRect().right() > line.width() - 5, GetParam().right);
  }
  // The next page decides afresh.
  Press(Qt::Key_Return);
  EXPECT_FALSE(main.RightJustified());
  EXPECT_FALSE(document->defaultTextOption().alignment() & Qt::AlignRight);
}

const char kHebrewLine[] =
    "\xe1\xf8\xe5\xeb\xe9\xed\x20\xe4\xe1\xe0\xe9\xed\x20\xec\xf8\xf9\xfa\x20\xe4\xe7\xe1\xf8"
    "\xe4\x2e\x20\xe0\xf0\xe0\x20\xf9\xee\xf8\xe5\x20\xe0\xfa\x20\xe4\xf2\xe1\xe5\xe3\xe4\x20"
    "\xf9\xec\xeb\xed\x20\xec\xf4\xf0\xe9\x20\xe4\xf9\xf2\xe4\x20\xf9\xf9\x20\xe1\xf2\xf8\xe1\x2e";

INSTANTIATE_TEST_SUITE_P(
    Rows, AlignmentTest,
    ::testing::Values(
        // UTF-8 writes every Cyrillic letter with bytes above 127; the letters are still
        // left-to-right.
        AlignRow{"RussianUtf8", "Добро пожаловать\nв сеть", "Добро пожаловать\nв сеть", false},
        AlignRow{"HebrewUtf8", "שלום\nab", "שלום\nab", true},
        AlignRow{"Windows1255", std::string(kHebrewLine) + "\r\nab",
                 "ברוכים הבאים לרשת החברה. אנא שמרו את העבודה שלכם לפני השעה שש בערב.\nab", true},
        AlignRow{"LeadingEmptyLinesSkipped", "\n\n\r\n\xF9\xEC\xE5\xED\nab", "\n\n\nשלום\nab",
                 true},
        AlignRow{"FirstNonEmptyLineDecides", "\nabc\n\xF9\xEC\xE5\xED\xF9\xEC\xE5\xED",
                 "\nabc\nשלוםשלום", false},
        // Too little to identify: read as Windows-1252 and aligned by the mean of its bytes.
        AlignRow{"UnidentifiedGoesByBytes", "\xE9\xE8\xE0", "éèà", true},
        AlignRow{"OnlyEmptyLines", "\n\n\n", "\n\n", false}),
    kRowName);

struct UnshowableRow : NamedRow {
  const char* content;  // null: no file; "|": a named pipe, which must not hang the window
  const char* says;
};

// In place of the page: one line naming the file, nothing to acknowledge or print.
void ExpectNotice(const TMain& main, const std::string& file) {
  EXPECT_TRUE(main.Memo->isVisible());
  EXPECT_FALSE(main.Image->isVisible());
  const QString notice = main.Memo->toPlainText();
  EXPECT_FALSE(notice.contains(QLatin1Char('\n'))) << notice.toStdString();
  EXPECT_TRUE(notice.contains(QString::fromStdString(file), Qt::CaseInsensitive))
      << notice.toStdString();
  EXPECT_FALSE(main.ShowNext->isVisible());
  EXPECT_FALSE(main.PrintButton->isEnabled());
}

class UnshowablePageTest : public WindowFixture,
                           public ::testing::WithParamInterface<UnshowableRow> {};

TEST_P(UnshowablePageTest, IsReportedAndTheWindowOpens) {
  const char* content = GetParam().content;
  const bool pipe = content && *content == '|';
  const std::string path = content && !pipe ? AddPage("bad.txt", content) : ListPage("bad.txt");
  if (pipe) {
    ASSERT_EQ(::mkfifo((dir / "bad.txt").c_str(), 0600), 0);
  }
  AddPage("b.txt", "second");
  TMain& main = Open();
  ExpectErrorBox("bad.txt");
  ExpectErrorBox(GetParam().says);
  EXPECT_TRUE(main.isVisible());
  ExpectNotice(main, "bad.txt");
  EXPECT_EQ(main.windowTitle(), QStringLiteral("Information Page 1 of 2"));
  // It was never shown: leaving it says nothing about it.
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  EXPECT_EQ(state.DisplayList[0], path + "=1 1");
  EXPECT_EQ(main.Memo->toPlainText(), QStringLiteral("second"));
  EXPECT_TRUE(main.ShowNext->isVisible());
  EXPECT_TRUE(main.PrintButton->isEnabled());
}

const std::string kHuge(kMaxPageFileSize + 1, 'x');
// A text that begins with "BM" is taken for a picture.
INSTANTIATE_TEST_SUITE_P(
    Rows, UnshowablePageTest,
    ::testing::Values(UnshowableRow{"Missing", nullptr, "Cannot open file"},
                      UnshowableRow{"NamedPipe", "|", "Cannot open file"},
                      UnshowableRow{"TooLarge", kHuge.c_str(), "more than 16 MiB"},
                      UnshowableRow{
                          {"NotAPicture"}, "BMW drivers park outside", "Cannot load the picture"}),
    kRowName);

TEST_F(MainWindowTest, PageThatFailsOnArrivalShowsANoticeUnderItsOwnCaption) {
  AddPicture("p.bmp", 489, 280);
  ListPage("gone.txt");
  AddPage("t.txt", "text");
  TMain& main = Open();
  ASSERT_TRUE(boxes.shown.empty());
  // Too large a picture is stretched to the area.
  EXPECT_TRUE(main.Image->isVisible());
  EXPECT_FALSE(main.Memo->isVisible());
  EXPECT_TRUE(main.Image->hasScaledContents());
  Press(Qt::Key_Return);
  ExpectErrorBox("gone.txt");
  EXPECT_EQ(state.CurrentPage, 1);
  ExpectNotice(main, "gone.txt");
  EXPECT_EQ(main.windowTitle(), QStringLiteral("Information Page 2 of 3"));
  EXPECT_EQ(main.CloseButton->text(), QStringLiteral("Next"));
  EXPECT_TRUE(main.PreviousButton->isVisible());
  Press(Qt::Key_Return);
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(main.Memo->toPlainText(), QStringLiteral("text"));
  EXPECT_TRUE(main.ShowNext->isVisible());
}

// A picture of one colour in the given format, as a file's bytes.
QByteArray PictureBytes(const char* format, QColor colour, QSize size) {
  if (qstrcmp(format, "gif") == 0) {
    // Qt writes no GIF: one red pixel, made by hand.
    return QByteArray(
        "GIF89a\x01\0\x01\0\x80\0\0\xFF\0\0\0\0\0,\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0;", 35);
  }
  QImage picture(size, QImage::Format_RGB32);
  picture.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(picture.save(&buffer, format)) << format;
  return bytes;
}

struct PictureRow : NamedRow {
  const char* format;
  QSize size;
};

class PictureFormatTest : public WindowFixture, public ::testing::WithParamInterface<PictureRow> {};

TEST_P(PictureFormatTest, IsShownAtItsOwnSize) {
  const QByteArray bytes = PictureBytes(GetParam().format, Qt::red, GetParam().size);
  // The name says nothing: the content does.
  AddPage("picture.txt", bytes.toStdString());
  TMain& main = Open();
  ASSERT_TRUE(boxes.shown.empty()) << boxes.shown[0].text.toStdString();
  EXPECT_TRUE(main.Image->isVisible());
  EXPECT_FALSE(main.Memo->isVisible());
  EXPECT_TRUE(main.ShowNext->isVisible());
  const QImage shown = main.Image->grab().toImage();
  int red = 0;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) {
      const QColor c = shown.pixelColor(x, y);
      // JPEG does not keep colours exactly.
      red += c.red() > 220 && c.green() < 40 && c.blue() < 40;
    }
  }
  EXPECT_EQ(red, GetParam().size.width() * GetParam().size.height());
}

INSTANTIATE_TEST_SUITE_P(Rows, PictureFormatTest,
                         ::testing::Values(PictureRow{"Png", "png", {40, 30}},
                                           PictureRow{"Jpeg", "jpg", {40, 30}},
                                           PictureRow{"Gif", "gif", {1, 1}},
                                           PictureRow{"Webp", "webp", {40, 30}}),
                         kRowName);

TEST_F(MainWindowTest, PictureBeyondTheAllocationLimitIsReported) {
  const int limit = QImageReader::allocationLimit();
  QImageReader::setAllocationLimit(1);
  // 4 MB decoded, a few hundred bytes in the file.
  AddPage("big.png", PictureBytes("png", Qt::blue, {1000, 1000}).toStdString());
  TMain& main = Open();
  QImageReader::setAllocationLimit(limit);
  ExpectErrorBox("Cannot load the picture");
  ExpectNotice(main, "big.png");
}

TEST(DiskPageFileReader, LimitsPicturesAndTextApart) {
  const struct {
    const char* name;
    std::string head;
    size_t size;
    bool read;
  } rows[] = {
      {"TextWithinItsLimit", "text", 100, true},
      {"TextBeyondItsLimit", "text", 101, false},
      {"PictureBeyondTheTextLimit", "\x89PNG\r\n\x1A\n", 1000, true},
      {"PictureBeyondItsLimit", "GIF89a", 1001, false},
  };
  testing::TempDir dir;
  DiskPageFileReader reader(100, 1000);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::string content = row.head;
    content.resize(row.size, 'x');
    dir.WriteFile(row.name, content);
    QByteArray bytes;
    QString error;
    EXPECT_EQ(reader.Read(dir / row.name, bytes, error), row.read) << error.toStdString();
    EXPECT_EQ(bytes.size(), row.read ? static_cast<qsizetype>(row.size) : 0);
  }
}

}  // namespace
}  // namespace welcomer
