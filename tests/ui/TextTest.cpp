#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"
#include "ui/Main_Unit.h"
#include "ui/MnemonicLabel.h"
#include "ui/PageFile.h"
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
// Test listings name a row instead of dumping its bytes.
void PrintTo(const DecodeRow& row, std::ostream* os) {
  *os << row.name;
}

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
        DecodeRow{"Utf8Bom", "\xEF\xBB\xBF\xC3\xA9\r\n", QStringLiteral("\u00E9\r\n"),
                  PageEncoding::kUtf8},
        // The five codes Windows-1252 leaves unassigned stand for themselves.
        DecodeRow{"Windows1252", "\x93q\x94 \x80\xE9\x81\x8D\x8F\x90\x9D\xFF",
                  QStringLiteral("\u201Cq\u201D \u20AC\u00E9\u0081\u008D\u008F\u0090\u009D\u00FF"),
                  PageEncoding::kWindows1252},
        DecodeRow{"TruncatedUtf8", "ab\xC3", QStringLiteral("ab\u00C3"),
                  PageEncoding::kWindows1252}),
    [](const auto& info) { return std::string(info.param.name); });

struct MnemonicRow {
  const char* name;
  QString message;
  QString shown;
  QList<int> underlined;
};
// Test listings name a row instead of dumping its bytes.
void PrintTo(const MnemonicRow& row, std::ostream* os) {
  *os << row.name;
}

class MnemonicTest : public ::testing::TestWithParam<MnemonicRow> {};

TEST_P(MnemonicTest, Parses) {
  const MnemonicText parsed = ParseMnemonics(GetParam().message);
  EXPECT_EQ(parsed.shown, GetParam().shown);
  EXPECT_EQ(parsed.underlined, GetParam().underlined);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MnemonicTest,
    ::testing::Values(
        MnemonicRow{"MarkEachAcrossBreaks", "&one\r\n&two\rc\nd", "one\ntwo\nc\nd", {0, 4}},
        MnemonicRow{"DoubleShowsOne", "a && b", "a & b", {}},
        MnemonicRow{"DoubleThenMark", "&&&x", "&x", {1}},
        // An "&" that marks nothing is shown as it stands.
        MnemonicRow{"BeforeBlankTabOrBreak", "a & b&\tc&\nd", "a & b&\tc&\nd", {}},
        MnemonicRow{"AtEnd", "end&", "end&", {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct HighCharRow {
  const char* name;
  std::string text;
  bool high;
};
// Test listings name a row instead of dumping its bytes.
void PrintTo(const HighCharRow& row, std::ostream* os) {
  *os << row.name;
}

class HighCharTest : public ::testing::TestWithParam<HighCharRow> {};

TEST_P(HighCharTest, ComparesMeanWith127) {
  EXPECT_EQ(TMain::IsHighCharText(GetParam().text), GetParam().high);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HighCharTest,
    ::testing::Values(HighCharRow{"Empty", "", false},
                      // 126 + 128 = 254: a mean of exactly 127 is not above it.
                      HighCharRow{"MeanExactly127", "\x7E\x80", false},
                      HighCharRow{"MeanJustAbove", "\x7F\x80", true},
                      HighCharRow{"AccentedLatinMostlyAscii", "caf\xC3\xA9 cr\xC3\xA8me", false},
                      // Only the first 255 bytes count.
                      HighCharRow{"OnlyFirst255Bytes",
                                  std::string(255, 'a') + std::string(1000, '\xFF'), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DiskPageFileReader, RefusesWhatItCannotShowWithoutHanging) {
  TempDir dir;
  dir.WriteFile("big", std::string(101, 'x'));
  dir.WriteFile("fits", std::string(100, 'x'));
  dir.WriteFile("huge", std::string(kMaxPageFileSize + 1, 'x'));
  dir.MakeDir("folder");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  DiskPageFileReader reader(100);
  QByteArray bytes;
  QString error;
  EXPECT_TRUE(reader.Read(dir / "fits", bytes, error));
  EXPECT_FALSE(reader.Read(dir / "big", bytes, error));
  EXPECT_TRUE(error.contains(QStringLiteral("too large"))) << error.toStdString();
  EXPECT_FALSE(reader.Read(dir / "missing", bytes, error));
  EXPECT_TRUE(error.contains(QStringLiteral("Cannot open file"))) << error.toStdString();
  EXPECT_FALSE(reader.Read(dir / "folder", bytes, error));
  EXPECT_FALSE(reader.Read(dir / "pipe", bytes, error));
  EXPECT_FALSE(DiskPageFileReader().Read(dir / "huge", bytes, error));
  EXPECT_TRUE(error.contains(QStringLiteral("more than 16 MiB"))) << error.toStdString();
}

}  // namespace
}  // namespace welcomer
