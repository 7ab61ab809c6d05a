#include <gtest/gtest.h>

#include "ui/Main_Unit.h"
#include "ui/MnemonicLabel.h"
#include "ui/TextDecoding.h"

namespace welcomer {
namespace {

TEST(DecodePageText, DecodesAndEncodesBack) {
  const struct {
    QByteArray bytes;
    QString text;
    PageEncoding encoding;
  } rows[] = {{"\xEF\xBB\xBF\xC3\xA9\r\n", QStringLiteral("\u00E9\r\n"), PageEncoding::kUtf8},
              // The five codes Windows-1252 leaves unassigned stand for themselves.
              {"\x93q\x94 \x80\xE9\x81\x8D\x8F\x90\x9D\xFF",
               QStringLiteral("\u201Cq\u201D \u20AC\u00E9\u0081\u008D\u008F\u0090\u009D\u00FF"),
               PageEncoding::kWindows1252}};
  for (const auto& row : rows) {
    const DecodedText decoded = DecodePageText(row.bytes);
    EXPECT_EQ(decoded.text, row.text);
    EXPECT_EQ(decoded.encoding, row.encoding);
    // A page's bytes must come back as they stand in the file, for the alignment test.
    const QByteArray withoutBom =
        row.bytes.startsWith("\xEF\xBB\xBF") ? row.bytes.mid(3) : row.bytes;
    EXPECT_EQ(EncodePageText(decoded.text, decoded.encoding), withoutBom);
  }
}

TEST(ParseMnemonics, MarksTheCharacterAfterALoneAmpersand) {
  const struct {
    QString message;
    QString shown;
    QList<int> underlined;
  } rows[] = {
      {"&one\r\n&two\rc\nd", "one\ntwo\nc\nd", {0, 4}},
      {"a &&&x", "a &x", {3}},
      // An "&" that marks nothing is shown as it stands.
      {"a & b&\tc&\nd end&", "a & b&\tc&\nd end&", {}},
  };
  for (const auto& row : rows) {
    const MnemonicText parsed = ParseMnemonics(row.message);
    EXPECT_EQ(parsed.shown, row.shown) << row.message.toStdString();
    EXPECT_EQ(parsed.underlined, row.underlined) << row.message.toStdString();
  }
}

TEST(IsHighCharText, ComparesTheMeanOfTheFirst255BytesWith127) {
  // 126 + 128 = 254: a mean of exactly 127 is not above it.
  EXPECT_FALSE(TMain::IsHighCharText("\x7E\x80"));
  EXPECT_TRUE(TMain::IsHighCharText("\x7F\x80"));
  EXPECT_FALSE(TMain::IsHighCharText(std::string(255, 'a') + std::string(1000, '\xFF')));
}

}  // namespace
}  // namespace welcomer
