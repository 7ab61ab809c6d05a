#include <gtest/gtest.h>

#include <QString>

#include "ui/MnemonicLabel.h"
#include "ui/PageDecoding.h"

namespace welcomer {
namespace {

TEST(StartsRightToLeft, AgreesWithQtOnTheFirstStrongCharacter) {
  const struct {
    const char* text;
    bool right;
  } rows[] = {
      {"שלום abc", true},
      {"abc שלום", false},
      {"مرحبا", true},
      {"Привет", false},
      // Digits, blanks and punctuation are weak or neutral: the letter after them decides.
      {" 12, -- שלום", true},
      {"...", false},
      {"", false},
      // What stands inside an isolate is passed over.
      {"\u2067abc\u2069 שלום", true},
      {"\u2068שלום\u2069 abc", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(StartsRightToLeft(row.text), row.right) << row.text;
    // The terminal reads pages without Qt; both must align alike.
    EXPECT_EQ(QString::fromUtf8(row.text).isRightToLeft(), row.right) << row.text;
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

}  // namespace
}  // namespace welcomer
