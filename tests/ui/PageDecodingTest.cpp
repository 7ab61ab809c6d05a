#include <unicode/ucnv.h>

#include <string>

#include <gtest/gtest.h>

#include "ui/PageDecoding.h"

namespace welcomer {
namespace {

using namespace std::string_literals;

// The UTF-8 text as a file written in `codePage` holds it.
std::string Encoded(const char* codePage, const std::string& utf8) {
  std::string bytes(utf8.size() * 4 + 8, '\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length =
      ucnv_convert(codePage, "UTF-8", bytes.data(), static_cast<int32_t>(bytes.size()), utf8.data(),
                   static_cast<int32_t>(utf8.size()), &status);
  EXPECT_TRUE(U_SUCCESS(status)) << codePage;
  bytes.resize(static_cast<size_t>(length));
  return bytes;
}

const std::string kRussian =
    "Добро пожаловать в сеть компании. Пожалуйста, сохраните свою работу до шести часов "
    "вечера, потому что сервер будет перезагружен.\r\n";
const std::string kHebrew =
    "ברוכים הבאים לרשת החברה. אנא שמרו את העבודה שלכם לפני השעה שש בערב, כי השרת יופעל "
    "מחדש.\n";
const std::string kJapanese = "こんにちは、今夜サーバーを再起動します。作業を保存してください。";

TEST(DecodePage, ReadsUtf8ThenWhatTheDetectorIsSureOfThenWindows1252) {
  const struct {
    const char* name;
    std::string bytes;
    std::string text;
    PageEncoding encoding;
    const char* codePage;
  } rows[] = {
      {"Utf8ByteOrderMarkDropped", "\xEF\xBB\xBF" + kHebrew, kHebrew, PageEncoding::kUtf8, "UTF-8"},
      {"Windows1251", Encoded("windows-1251", kRussian), kRussian, PageEncoding::kDetected,
       "windows-1251"},
      // Named ISO-8859-8 by the detector; the Windows page also holds the vowel points.
      {"Windows1255", Encoded("windows-1255", kHebrew + "בְּ"), kHebrew + "בְּ",
       PageEncoding::kDetected, "windows-1255"},
      {"ShiftJis", Encoded("Shift_JIS", kJapanese), kJapanese, PageEncoding::kDetected,
       "Shift_JIS"},
      {"Utf16WithByteOrderMark", "\xFF\xFE"s + Encoded("UTF-16LE", "Hello\nworld\n"),
       "Hello\nworld\n", PageEncoding::kDetected, "UTF-16LE"},
      {"Latin1IsWindows1252",
       "Herr M\xFCller, Gr\xFC\xDF"
       "e aus M\xFCnchen",
       "Herr Müller, Grüße aus München", PageEncoding::kDetected, "windows-1252"},
      // The detector takes this for KOI8-R; one accented letter is too little to go by.
      {"OneAccentIsNotEnough", "BMW \xE9", "BMW é", PageEncoding::kWindows1252, "windows-1252"},
      {"UnassignedCodesStandForThemselves", "\x81\x8D\x8F\x90\x9D\x80",
       "\u0081\u008D\u008F\u0090\u009D€", PageEncoding::kWindows1252, "windows-1252"},
      {"EncodedSurrogateIsNotUtf8", "\xED\xA0\x80", "\u00ED\u00A0\u20AC",
       PageEncoding::kWindows1252, "windows-1252"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const DecodedPage page = DecodePage(row.bytes);
    EXPECT_EQ(page.text, row.text);
    EXPECT_EQ(page.encoding, row.encoding);
    EXPECT_EQ(page.codePage, row.codePage);
    if (page.encoding == PageEncoding::kWindows1252) {
      EXPECT_EQ(EncodeWindows1252(page.text), row.bytes) << "bytes must come back as they were";
    }
  }
}

TEST(PageKindOf, TellsPicturesByTheirSignature) {
  const struct {
    std::string bytes;
    PageKind kind;
  } rows[] = {
      // The window's picture and file-size tests show the other signatures are known.
      {"\x89PNG\r\n", PageKind::kText},
      {"\xFF\xD8\xFF\xE0", PageKind::kJpeg},
      {"GIF87a", PageKind::kGif},
      {"GIF88a", PageKind::kText},
      {"RIFF\x10\0\0\0WAVEfmt "s, PageKind::kText},
      {"", PageKind::kText},
  };
  for (const auto& row : rows)
    EXPECT_EQ(PageKindOf(row.bytes), row.kind) << row.bytes;
}

TEST(LineIsRightJustified, GoesByTheFirstStrongCharacterUnlessNothingIdentifiedTheText) {
  const struct {
    std::string line;
    PageEncoding encoding;
    bool right;
  } rows[] = {
      {"שלום abc", PageEncoding::kUtf8, true},
      {"abc שלום", PageEncoding::kUtf8, false},
      {"مرحبا", PageEncoding::kDetected, true},
      // Digits, blanks and punctuation are weak or neutral: the letter after them decides.
      {" 12, -- שלום", PageEncoding::kDetected, true},
      // What stands inside an isolate is passed over, as Qt's QString::isRightToLeft does.
      {"\u2067abc\u2069 שלום", PageEncoding::kUtf8, true},
      {"\u2068שלום\u2069 abc", PageEncoding::kUtf8, false},
      // Hebrew in Windows-1255 read as Windows-1252: its bytes are above 127.
      {"ùìåí", PageEncoding::kWindows1252, true},
      // The mean of the first 255 bytes must be above 127: 126 and 128 are not.
      {"~€", PageEncoding::kWindows1252, false},
      {"\x7F€", PageEncoding::kWindows1252, true},
      {std::string(255, 'a') + "ÿÿÿÿ", PageEncoding::kWindows1252, false},
  };
  for (const auto& row : rows)
    EXPECT_EQ(LineIsRightJustified(row.line, row.encoding), row.right) << row.line;
}

}  // namespace
}  // namespace welcomer
