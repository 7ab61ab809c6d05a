// Arbitrary file contents through the page decoder: whether a page is a picture, how its text
// is decoded, and which of its lines are set against the right margin.

#include <unicode/utf8.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
  return 0;
}
