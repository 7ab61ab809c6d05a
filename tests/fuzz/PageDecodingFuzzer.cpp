// Arbitrary file contents through the page decoder: whether a page is a picture, how its text
// is decoded, and which of its lines are set against the right margin; and on through what the
// terminal makes of a page: picture headers, text made safe for a terminal, wrapped rows.

#include <unicode/utf8.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "netware/VisibleControls.h"
#include "terminal/PictureSize.h"
#include "terminal/TextWrap.h"
#include "tests/fuzz/FuzzCheck.h"
#include "ui/PageDecoding.h"

using namespace welcomer;

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// The decoder promises to tell a page's kind from this many bytes, so that a caller may read
// no more of a large file to decide.
constexpr size_t kSignatureBytes = 12;

bool IsValidUtf8(std::string_view text) {
  const auto* s = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int64_t>(text.size());
  for (int64_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    if (c < 0)
      return false;
  }
  return true;
}

// The lines as the window takes them: "\r\n", a lone "\r" and "\n" each end one. Splitting the
// file's bytes and a Windows-1252 reading of them gives lines that correspond one to one.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n')
      continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
      ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

void CheckText(std::string_view bytes) {
  const DecodedPage page = DecodePage(bytes);
  FUZZ_CHECK(IsValidUtf8(page.text), "a decoded page is UTF-8");
  FUZZ_CHECK(!page.codePage.empty(), "a decoded page names its code page");
  const bool fromUtf8 = IsValidUtf8(bytes);
  FUZZ_CHECK((page.encoding == PageEncoding::kUtf8) == fromUtf8,
             "exactly the pages in valid UTF-8 are read as UTF-8");
  if (page.encoding == PageEncoding::kUtf8) {
    FUZZ_CHECK(page.text == bytes ||
                   (bytes.starts_with(kUtf8Bom) && page.text == bytes.substr(kUtf8Bom.size())),
               "UTF-8 is taken as it stands, without its byte-order mark");
  }
  // Our own Windows-1252 reading gives every byte a character of its own.
  const bool ownWindows1252 =
      page.encoding == PageEncoding::kWindows1252 || page.codePage == "windows-1252";
  if (ownWindows1252)
    FUZZ_CHECK(EncodeWindows1252(page.text) == bytes, "Windows-1252 reads back byte for byte");

  const std::vector<std::string_view> textLines = Lines(page.text);
  const std::vector<std::string_view> byteLines = Lines(bytes);
  if (ownWindows1252)
    FUZZ_CHECK(textLines.size() == byteLines.size(), "Windows-1252 keeps every line break");
  for (size_t i = 0; i < textLines.size(); ++i) {
    const bool right = LineIsRightJustified(textLines[i], page.encoding);
    // Text nothing identified keeps the old rule, on the bytes as they stand in the file.
    if (page.encoding == PageEncoding::kWindows1252)
      FUZZ_CHECK(right == IsHighCharText(byteLines[i]),
                 "unidentified text aligns by the mean of the file's bytes");
  }

  const std::string shortText = DecodeUtf8OrWindows1252(bytes);
  FUZZ_CHECK(IsValidUtf8(shortText), "a short text decodes to UTF-8");
  FUZZ_CHECK(fromUtf8 ? shortText == bytes : EncodeWindows1252(shortText) == bytes,
             "a short text is UTF-8 as it stands or reads back from Windows-1252");
}

// Nothing in `text` can drive a terminal: no control character but tab and line feed, whether
// UTF-8 encoded or a byte outside a well-formed sequence that an 8-bit terminal would take for
// one.
bool SafeForTerminal(std::string_view text) {
  const auto* s = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int64_t>(text.size());
  for (int64_t i = 0; i < length;) {
    const int64_t start = i;
    UChar32 c;
    U8_NEXT(s, i, length, c);
    if (c < 0) {
      for (int64_t j = start; j < i; ++j) {
        if (s[j] >= 0x80 && s[j] <= 0x9F)
          return false;
      }
    } else if ((c < 0x20 && c != '\t' && c != '\n') || (c >= 0x7F && c <= 0x9F)) {
      return false;
    }
  }
  return true;
}

int Cells(std::string_view row) {
  const auto* s = reinterpret_cast<const uint8_t*>(row.data());
  const auto length = static_cast<int64_t>(row.size());
  int cells = 0;
  for (int64_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    cells += c < 0 ? 1 : CodePointWidth(static_cast<char32_t>(c));
  }
  return cells;
}

std::string WithoutBlanks(std::string_view text) {
  std::string kept;
  for (const char c : text) {
    if (c != ' ' && c != '\t' && c != '\n')
      kept.push_back(c);
  }
  return kept;
}

void CheckTerminal(std::string_view bytes) {
  if (ReadPictureSize(bytes))
    FUZZ_CHECK(IsPicture(PageKindOf(bytes)), "only a picture has a picture's size");
  FUZZ_CHECK(SafeForTerminal(ShowControlCharacters(bytes)), "raw bytes are made safe");
  const std::string body = ShowControlCharacters(DecodePage(bytes).text);
  FUZZ_CHECK(SafeForTerminal(body), "a decoded page is made safe");
  for (const int columns : {1, 2, 7, 80}) {
    std::string wrapped;
    for (const std::string& row : WrapText(body, columns)) {
      FUZZ_CHECK(row.find('\n') == std::string::npos && row.find('\t') == std::string::npos,
                 "a row is one line, its tabs expanded");
      // A wide character needs two cells even where the terminal has one.
      FUZZ_CHECK(Cells(row) <= std::max(columns, 2), "a row fits the terminal's width");
      wrapped += row;
    }
    FUZZ_CHECK(WithoutBlanks(wrapped) == WithoutBlanks(body),
               "wrapping loses and repeats nothing but blanks");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const PageKind kind = PageKindOf(bytes);
  FUZZ_CHECK(PageKindOf(bytes.substr(0, kSignatureBytes)) == kind,
             "the first bytes alone tell a page's kind");
  // The decoder must hold for any bytes, pictures' included.
  CheckText(bytes);
  // The direction test must not fault on bytes that are not UTF-8.
  StartsRightToLeft(bytes);
  CheckTerminal(bytes);
  return 0;
}
