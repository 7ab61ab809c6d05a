#include <sys/stat.h>

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
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
using MainWindowTest = WindowFixture;

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
  // What every page shows on arrival, the box as the user left the page included.
  void ExpectPage() {
    const int page = state.CurrentPage;
    SCOPED_TRACE(page);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Information Page %1 of 3").arg(page + 1));
    EXPECT_EQ(window->Memo->toPlainText(), QStringLiteral("page %1").arg(page + 1));
    EXPECT_EQ(window->CloseButton->text(), page < 2 ? "Next" : "Close");
    EXPECT_EQ(window->PreviousButton->isVisible(), page > 0);
    EXPECT_TRUE(window->CloseButton->hasFocus());
    EXPECT_EQ(window->ShowNext->isVisible(), !GetParam().force);
    EXPECT_EQ(window->ShowNext->isChecked(), Value(page)[0] != 'X');
  }
  std::string Value(size_t index) const { return std::string(ValueOf(state.DisplayList[index])); }
};

TEST_P(PagingTest, StoresTheUntickedPagesOnCloseOfTheLast) {
  const PagingRow& row = GetParam();
  Strings records;
  for (const std::string page : {"1", "2", "3"})
    records.push_back("Welcomer.File." + AddPage(page, "page " + page, page + " " + page) + "=" +
                      page + " " + page);
  state.StoredEntries.Add("Welcomer.File.OLD=1 1");
  state.ForceMode = row.force;
  client->failAdd = row.storeFails;
  TMain& main = Open();
  ExpectPage();
  for (const char* step = row.script; *step; ++step) {
    if (*step == 'u' || *step == 't')
      main.ShowNext->setChecked(*step == 't');
    else if (*step == 'n' || *step == 'e')
      Press(*step == 'n' ? Qt::Key_Return : Qt::Key_Escape);
    else if (*step == 'x')
      main.close();
    else
      QTest::mouseClick(*step == 'c' ? main.CloseButton : main.PreviousButton, Qt::LeftButton);
    if (main.isVisible() && *step != 'u' && *step != 't')
      ExpectPage();
  }
  Strings values;
  for (size_t i = 0; i < state.DisplayList.Count(); ++i)
    values.push_back(Value(i));
  EXPECT_EQ(values, row.values);
  for (int i = 0; i < 3 && main.isVisible(); ++i)
    Press(Qt::Key_Return);
  EXPECT_FALSE(main.isVisible());
  // A refused record neither stops the others nor is reported.
  Strings expected;
  for (const int page : row.stored)
    expected.push_back(records[static_cast<size_t>(page)]);
  EXPECT_EQ(client->values, row.storeFails ? Strings{} : expected);
  EXPECT_EQ(client->CountOf("add"), row.stored.size());
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(std::strchr(row.script, 'x') ||
              (state.DisplayList.Empty() && state.StoredEntries.Empty()));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PagingTest,
    ::testing::Values(
        PagingRow{"LeavingBackwardMarks", false, false, "nup", {"1 1", "X2 2", "3 3"}, {1}},
        PagingRow{"TickingAgainUnmarks", false, false, "unptn", {"1 1", "2 2", "3 3"}, {}},
        PagingRow{"StoreFails", false, true, "unnu", {"X1 1", "2 2", "3 3"}, {0, 2}},
        PagingRow{"EscapeAndClickGoForward", false, false, "cuee", {}, {1}},
        PagingRow{"ForceModeMarksNothing", true, false, "ununu", {"1 1", "2 2", "3 3"}, {}},
        PagingRow{"ClosedOtherwise", false, false, "ux", {"1 1", "2 2", "3 3"}, {}}),
    kRowName);

// A pattern keeps its path as the page's key while the window shows the file it matched; entries
// with the same key share one mark and are stored once.
TEST_F(MainWindowTest, PageIsKeyedByItsPathAndStoredOnce) {
  const std::string file = dir.WriteFile("beta", "the beta page");
  const std::string key = UpperCaseAscii(dir / "*ETA");
  state.DisplayList.Assign({{key + "=1 1", -1, file}, {LowerCaseAscii(key) + "=1 1", -1, file}});
  TMain& main = Open();
  EXPECT_EQ(main.Memo->toPlainText(), QStringLiteral("the beta page"));
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  EXPECT_EQ(state.DisplayList[0], key + "=X1 1");
  EXPECT_FALSE(main.ShowNext->isChecked());
  Press(Qt::Key_Return);
  EXPECT_EQ(client->values, Strings{"Welcomer.File." + key + "=1 1"});
}

// The lines QTextEdit itself laid out.
int LaidOutLines(QTextEdit* memo) {
  QTextDocument* document = memo->document();
  document->documentLayout()->documentSize();
  int lines = 0;
  for (QTextBlock block = document->begin(); block.isValid() && !document->isEmpty();
       block = block.next())
    lines += block.layout()->lineCount();
  return lines;
}

struct TextRow : NamedRow {
  std::string bytes;
  const char* shown;  // the text as the area holds it; null: not looked at
  int lines;          // -1: as many as the area wraps it into
  bool scrollBar;
  bool right;
};

class TextPageTest : public WindowFixture, public ::testing::WithParamInterface<TextRow> {};

TEST_P(TextPageTest, HasTheScrollBarFromTwentyTwoLinesAndTheFirstNonEmptyLinesAlignment) {
  const TextRow& row = GetParam();
  AddPage("a.txt", row.bytes);
  AddPage("b.txt", "left");
  TMain& main = Open();
  if (row.shown) {
    EXPECT_EQ(main.Memo->toPlainText(), QString::fromUtf8(row.shown));
  }
  if (row.lines >= 0) {
    EXPECT_EQ(main.DisplayedLineCount(), row.lines);
  }
  // The count is the one the text area itself comes to, and what it counts fits the area.
  EXPECT_EQ(main.DisplayedLineCount(), LaidOutLines(main.Memo));
  EXPECT_EQ(main.Memo->verticalScrollBarPolicy(),
            row.scrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  if (!row.scrollBar) {
    EXPECT_EQ(main.Memo->verticalScrollBar()->maximum(), 0);
  }
  QTextDocument* document = main.Memo->document();
  EXPECT_EQ(bool(document->defaultTextOption().alignment() & Qt::AlignRight), row.right);
  // Every paragraph follows, not only the first.
  const QTextBlock last = document->lastBlock();
  if (!last.text().isEmpty() && last.layout()->lineCount() == 1) {
    const QTextLine line = last.layout()->lineAt(0);
    EXPECT_EQ(line.naturalTextRect().right() > line.width() - 5, row.right);
  }
  // The next page decides afresh.
  Press(Qt::Key_Return);
  EXPECT_FALSE(document->defaultTextOption().alignment() & Qt::AlignRight);
}

const QByteArray kLine("x\r\n");
const char kHebrewLine[] =
    "\xe1\xf8\xe5\xeb\xe9\xed\x20\xe4\xe1\xe0\xe9\xed\x20\xec\xf8\xf9\xfa\x20\xe4\xe7\xe1\xf8"
    "\xe4\x2e\x20\xe0\xf0\xe0\x20\xf9\xee\xf8\xe5\x20\xe0\xfa\x20\xe4\xf2\xe1\xe5\xe3\xe4\x20"
    "\xf9\xec\xeb\xed\x20\xec\xf4\xf0\xe9\x20\xe4\xf9\xf2\xe4\x20\xf9\xf9\x20\xe1\xf2\xf8\xe1\x2e";

INSTANTIATE_TEST_SUITE_P(
    Rows, TextPageTest,
    ::testing::Values(
        TextRow{"Empty", "", "", 0, false, false},
        TextRow{"TwentyOne", kLine.repeated(21).toStdString(), nullptr, 21, false, false},
        TextRow{"TwentyTwoAndNoFinalBreak", kLine.repeated(21).toStdString() + "x", nullptr, 22,
                true, false},
        TextRow{"WrappedPieceByPiece", QByteArray("word ").repeated(300).toStdString(), nullptr, -1,
                true, false},
        // UTF-8 writes every Cyrillic letter with bytes above 127; they are still left-to-right.
        TextRow{"RussianUtf8", "Добро пожаловать\nв сеть", "Добро пожаловать\nв сеть", 2, false,
                false},
        TextRow{"HebrewUtf8", "שלום\nab", "שלום\nab", 2, false, true},
        TextRow{"Windows1255", std::string(kHebrewLine) + "\r\nab",
                "ברוכים הבאים לרשת החברה. אנא שמרו את העבודה שלכם לפני השעה שש בערב.\nab", -1,
                false, true},
        TextRow{"LeadingEmptyLinesSkipped", "\n\n\r\n\xF9\xEC\xE5\xED\nab", "\n\n\nשלום\nab", 5,
                false, true},
        // Too little to identify: read as Windows-1252 and aligned by the mean of its bytes.
        TextRow{"UnidentifiedGoesByBytes", "\xE9\xE8\xE0", "éèà", 1, false, true},
        TextRow{"OnlyEmptyLines", "\n\n\n", "\n\n", 3, false, false}),
    kRowName);

struct UnshowableRow : NamedRow {
  int at;               // the page's place among three
  const char* content;  // null: no file; "|": a named pipe, which must not hang the window
  const char* says;
};

class UnshowablePageTest : public WindowFixture,
                           public ::testing::WithParamInterface<UnshowableRow> {};

TEST_P(UnshowablePageTest, IsANoticeUnderItsOwnCaptionAndIsReported) {
  const UnshowableRow& row = GetParam();
  const bool pipe = row.content && *row.content == '|';
  std::string bad;
  for (int i = 0; i < 3; ++i) {
    const std::string name = "page" + std::to_string(i);
    if (i != row.at)
      AddPage(name, name);
    else
      bad = row.content && !pipe ? AddPage(name, row.content) : ListPage(name);
  }
  if (pipe) {
    ASSERT_EQ(::mkfifo((dir / ("page" + std::to_string(row.at))).c_str(), 0600), 0);
  }
  TMain& main = Open();
  for (int i = 0; i < row.at; ++i)
    Press(Qt::Key_Return);
  // The application's error box, naming the file and every "&" in its name as it stands.
  ASSERT_EQ(boxes.shown.size(), 1u);
  const BoxRequest& box = boxes.shown[0];
  EXPECT_EQ(box, (BoxRequest{"Information", box.text, BoxIcon::kStop, BoxButtons::kOk, false}));
  EXPECT_TRUE(box.text.contains(QString::fromLatin1(row.says)) &&
              box.text.contains(QStringLiteral("page%1").arg(row.at), Qt::CaseInsensitive))
      << box.text.toStdString();
  // In place of the page: one line naming the file, nothing to acknowledge or print.
  const QString notice = main.Memo->toPlainText();
  EXPECT_TRUE(main.Memo->isVisible() && !main.Image->isVisible());
  EXPECT_FALSE(notice.contains(QLatin1Char('\n'))) << notice.toStdString();
  EXPECT_TRUE(notice.contains(QStringLiteral("page%1").arg(row.at), Qt::CaseInsensitive));
  EXPECT_EQ(main.windowTitle(), QStringLiteral("Information Page %1 of 3").arg(row.at + 1));
  EXPECT_FALSE(main.ShowNext->isVisible());
  EXPECT_FALSE(main.PrintButton->isEnabled());
  // It was never shown: leaving it says nothing about it.
  main.ShowNext->setChecked(false);
  Press(Qt::Key_Return);
  EXPECT_EQ(state.DisplayList[static_cast<size_t>(row.at)], bad + "=1 1");
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(main.Memo->toPlainText(), QStringLiteral("page%1").arg(row.at + 1));
  EXPECT_TRUE(main.ShowNext->isVisible() && main.PrintButton->isEnabled());
}

const std::string kHuge(kMaxPageFileSize + 1, 'x');
INSTANTIATE_TEST_SUITE_P(
    Rows, UnshowablePageTest,
    ::testing::Values(
        UnshowableRow{"MissingAtCreation", 0, nullptr, "Cannot open file"},
        UnshowableRow{"NamedPipe", 1, "|", "Cannot open file"},
        UnshowableRow{"TooLarge", 1, kHuge.c_str(), "more than 16 MiB"},
        // A text that begins with "BM" is taken for a picture.
        UnshowableRow{{"NotAPicture"}, 1, "BMW drivers park outside", "Cannot load the picture"}),
    kRowName);

struct PictureRow : NamedRow {
  const char* format;
  QSize size;
  QSize shown;
};

class PictureTest : public WindowFixture, public ::testing::WithParamInterface<PictureRow> {};

TEST_P(PictureTest, IsShownAtItsOwnSizeUnlessTooLarge) {
  // The name says nothing: the content does.
  AddPicture("picture.txt", GetParam().format, GetParam().size);
  TMain& main = Open();
  ASSERT_TRUE(boxes.shown.empty()) << boxes.shown[0].text.toStdString();
  EXPECT_TRUE(main.Image->isVisible() && !main.Memo->isVisible());
  EXPECT_TRUE(main.ShowNext->isVisible());
  const QImage shown = main.Image->grab().toImage();
  int red = 0;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) {
      const QColor c = shown.pixelColor(x, y);
      // Lossy formats do not keep colours exactly.
      red += c.red() > 220 && c.green() < 40 && c.blue() < 40;
    }
  }
  EXPECT_EQ(red, GetParam().shown.width() * GetParam().shown.height());
}

// The picture area is 488 x 280: a picture larger either way is stretched to fill it.
INSTANTIATE_TEST_SUITE_P(Rows, PictureTest,
                         ::testing::Values(PictureRow{"Png", "png", {40, 30}, {40, 30}},
                                           PictureRow{"Webp", "webp", {40, 30}, {40, 30}},
                                           PictureRow{"BmpFits", "bmp", {488, 280}, {488, 280}},
                                           PictureRow{"BmpTooTall", "bmp", {20, 281}, {488, 280}}),
                         kRowName);

TEST(DiskPageFileReader, LimitsPicturesAndTextApart) {
  testing::TempDir dir;
  DiskPageFileReader reader(100, 1000);
  // The file's first bytes, its size, and whether it is read; one byte over the text limit is
  // the unshowable pages' test.
  const std::tuple<std::string, int, bool> rows[] = {
      {"text", 100, true},
      {"GIF89a", 1000, true},
      {"\x89PNG\r\n\x1A\n", 1001, false},
  };
  for (const auto& [head, size, read] : rows) {
    std::string content = head;
    content.resize(static_cast<size_t>(size), 'x');
    QByteArray bytes;
    QString error;
    EXPECT_EQ(reader.Read(dir.WriteFile("page", content), bytes, error), read) << head << size;
    EXPECT_EQ(bytes.size(), read ? size : 0);
  }
}

}  // namespace
}  // namespace welcomer
