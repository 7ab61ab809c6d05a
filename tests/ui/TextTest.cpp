#include <sys/stat.h>

#include <QFontDatabase>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"
#include "ui/Main_Unit.h"
#include "ui/MnemonicLabel.h"
#include "ui/PageFile.h"
#include "ui/PageText.h"
#include "ui/TextDecoding.h"

namespace welcomer {
namespace {

using testing::TempDir;

struct DecodeRow {
  const char* name;
  QByteArray bytes;
  QString text;
  PageEncoding encoding;
};

class DecodeTest : public ::testing::TestWithParam<DecodeRow> {};

TEST_P(DecodeTest, DecodesAndEncodesBack) {
  const DecodeRow& row = GetParam();
  const DecodedText decoded = DecodePageText(row.bytes);
  EXPECT_EQ(decoded.text, row.text);
  EXPECT_EQ(decoded.encoding, row.encoding);
  // A page's bytes must come back as they stand in the file, for the alignment test.
  const QByteArray withoutBom = row.bytes.startsWith("\xEF\xBB\xBF") ? row.bytes.mid(3) : row.bytes;
  EXPECT_EQ(EncodePageText(decoded.text, decoded.encoding), withoutBom);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DecodeTest,
    ::testing::Values(
        DecodeRow{"Ascii", "plain\r\ntext", QStringLiteral("plain\r\ntext"), PageEncoding::kUtf8},
        DecodeRow{"Utf8", "caf\xC3\xA9", QStringLiteral("caf\u00E9"), PageEncoding::kUtf8},
        DecodeRow{"Utf8Hebrew", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D",
                  QStringLiteral("\u05E9\u05DC\u05D5\u05DD"), PageEncoding::kUtf8},
        DecodeRow{"Utf8Bom", "\xEF\xBB\xBFhi", QStringLiteral("hi"), PageEncoding::kUtf8},
        DecodeRow{"Latin1Letter", "caf\xE9", QStringLiteral("caf\u00E9"),
                  PageEncoding::kWindows1252},
        DecodeRow{"Windows1252Quotes", "\x93quoted\x94 \x80",
                  QStringLiteral("\u201Cquoted\u201D \u20AC"), PageEncoding::kWindows1252},
        DecodeRow{"UnassignedCodeStaysItself", "\x81\x8D\x8F\x90\x9D\xFF",
                  QStringLiteral("\u0081\u008D\u008F\u0090\u009D\u00FF"),
                  PageEncoding::kWindows1252},
        DecodeRow{"TruncatedUtf8", "ab\xC3", QStringLiteral("ab\u00C3"),
                  PageEncoding::kWindows1252}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EncodePageText, CharacterOutsideWindows1252BecomesQuestionMark) {
  EXPECT_EQ(EncodePageText(QStringLiteral("a\u05D0b"), PageEncoding::kWindows1252),
            QByteArray("a?b"));
}

TEST(NormaliseLineBreaks, EveryKindBecomesLineFeed) {
  EXPECT_EQ(NormaliseLineBreaks(QStringLiteral("a\r\nb\rc\nd\r\r\n")),
            QStringLiteral("a\nb\nc\nd\n\n"));
}

struct MnemonicRow {
  const char* name;
  QString message;
  QString shown;
  QList<int> underlined;
};

class MnemonicTest : public ::testing::TestWithParam<MnemonicRow> {};

TEST_P(MnemonicTest, Parses) {
  const MnemonicRow& row = GetParam();
  const MnemonicText parsed = ParseMnemonics(row.message);
  EXPECT_EQ(parsed.shown, row.shown);
  EXPECT_EQ(parsed.underlined, row.underlined);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MnemonicTest,
    ::testing::Values(
        MnemonicRow{"Plain", QStringLiteral("no marks"), QStringLiteral("no marks"), {}},
        MnemonicRow{"MarksNext", QStringLiteral("&Yes"), QStringLiteral("Yes"), {0}},
        MnemonicRow{"DoubleShowsOne", QStringLiteral("a && b"), QStringLiteral("a & b"), {}},
        MnemonicRow{"DoubleThenMark", QStringLiteral("&&&x"), QStringLiteral("&x"), {1}},
        MnemonicRow{"BeforeBlankStays",
                    QStringLiteral("parsing & checking"),
                    QStringLiteral("parsing & checking"),
                    {}},
        MnemonicRow{"AtEndStays", QStringLiteral("end&"), QStringLiteral("end&"), {}},
        MnemonicRow{"BeforeTabStays", QStringLiteral("a&\tb"), QStringLiteral("a&\tb"), {}},
        MnemonicRow{"BeforeBreakStays", QStringLiteral("a&\nb"), QStringLiteral("a&\nb"), {}},
        MnemonicRow{
            "EveryMarkUnderlines", QStringLiteral("&one &two"), QStringLiteral("one two"), {0, 4}},
        MnemonicRow{"LineBreaksOfEveryKind",
                    QStringLiteral("a\r\nb\rc\nd"),
                    QStringLiteral("a\nb\nc\nd"),
                    {}},
        MnemonicRow{"MarkAfterBreak", QStringLiteral("x\r\n&y"), QStringLiteral("x\ny"), {2}}),
    [](const auto& info) { return std::string(info.param.name); });

struct HighCharRow {
  const char* name;
  std::string text;
  bool high;
};

class HighCharTest : public ::testing::TestWithParam<HighCharRow> {};

TEST_P(HighCharTest, ComparesMeanWith127) {
  EXPECT_EQ(TMain::IsHighCharText(GetParam().text), GetParam().high);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HighCharTest,
    ::testing::Values(HighCharRow{"Empty", "", false}, HighCharRow{"Ascii", "abc", false},
                      HighCharRow{"One128", "\x80", true}, HighCharRow{"One127", "\x7F", false},
                      // 126 + 128 = 254: a mean of exactly 127 is not above it.
                      HighCharRow{"MeanExactly127", "\x7E\x80", false},
                      HighCharRow{"MeanJustAbove", "\x7F\x80", true},
                      HighCharRow{"Utf8Hebrew", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", true},
                      HighCharRow{"HebrewCodePage", "\xF9\xEC\xE5\xED", true},
                      HighCharRow{"AccentedLatinMostlyAscii", "caf\xC3\xA9 cr\xC3\xA8me", false},
                      // Only the first 255 bytes count: high bytes after them change nothing.
                      HighCharRow{"OnlyFirst255Bytes",
                                  std::string(255, 'a') + std::string(1000, '\xFF'), false}),
    [](const auto& info) { return std::string(info.param.name); });

QFont FixedFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPixelSize(10);
  return font;
}

TEST(DisplayedLines, CountsParagraphsWrappedPiecesAndNoFinalEmptyLine) {
  const QFont font = FixedFont();
  const qreal charWidth = QFontMetricsF(font).horizontalAdvance(QLatin1Char('x'));
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  // Room for ten characters.
  const qreal width = 10.5 * charWidth;
  EXPECT_TRUE(DisplayedLines(QString(), font, width, option).isEmpty());
  EXPECT_EQ(DisplayedLines(QStringLiteral("\n"), font, width, option), QStringList{QString()});
  EXPECT_EQ(DisplayedLines(QStringLiteral("a\n\nb\n"), font, width, option),
            (QStringList{"a", "", "b"}));
  EXPECT_EQ(DisplayedLines(QStringLiteral("aaaa bbbb cccc"), font, width, option),
            (QStringList{"aaaa bbbb ", "cccc"}));
  EXPECT_EQ(DisplayedLines(QString(25, QLatin1Char('z')), font, width, option),
            (QStringList{QString(10, 'z'), QString(10, 'z'), QString(5, 'z')}));
}

TEST(FirstNonEmptyLine, SkipsEmptyLines) {
  EXPECT_EQ(FirstNonEmptyLine({"", "", "x", "y"}), QStringLiteral("x"));
  EXPECT_EQ(FirstNonEmptyLine({"", ""}), QString());
  EXPECT_EQ(FirstNonEmptyLine({}), QString());
}

TEST(DiskPageFileReader, ReadsByPathWithoutRegardToCase) {
  TempDir dir;
  dir.WriteFile("Mixed.Txt", std::string("bytes\0inside", 12));
  DiskPageFileReader reader;
  QByteArray bytes;
  QString error;
  ASSERT_TRUE(reader.Read(dir / "MIXED.TXT", bytes, error)) << error.toStdString();
  EXPECT_EQ(bytes, QByteArray("bytes\0inside", 12));
}

TEST(DiskPageFileReader, RefusesWhatItCannotShow) {
  TempDir dir;
  dir.WriteFile("big", std::string(101, 'x'));
  dir.WriteFile("fits", std::string(100, 'x'));
  dir.MakeDir("folder");
  DiskPageFileReader reader(100);
  QByteArray bytes;
  QString error;
  EXPECT_TRUE(reader.Read(dir / "fits", bytes, error));
  EXPECT_FALSE(reader.Read(dir / "big", bytes, error));
  EXPECT_TRUE(error.contains(QStringLiteral("too large"))) << error.toStdString();
  EXPECT_FALSE(reader.Read(dir / "missing", bytes, error));
  EXPECT_TRUE(error.contains(QStringLiteral("Cannot open file"))) << error.toStdString();
  EXPECT_FALSE(reader.Read(dir / "folder", bytes, error));
}

TEST(DiskPageFileReader, SaysWhereTheDefaultLimitLies) {
  TempDir dir;
  dir.WriteFile("huge", std::string(kMaxPageFileSize + 1, 'x'));
  DiskPageFileReader reader;
  QByteArray bytes;
  QString error;
  EXPECT_FALSE(reader.Read(dir / "huge", bytes, error));
  EXPECT_TRUE(error.contains(QStringLiteral("more than 16 MiB"))) << error.toStdString();
}

TEST(DiskPageFileReader, DoesNotHangOnANamedPipe) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  DiskPageFileReader reader;
  QByteArray bytes;
  QString error;
  EXPECT_FALSE(reader.Read(dir / "pipe", bytes, error));
}

}  // namespace
}  // namespace welcomer
