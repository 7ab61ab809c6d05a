// Any file's bytes through the page decoder and on through what the terminal makes of a page:
// the kind of page from its first bytes, text that is UTF-8 whatever came in, and nothing that
// can drive a terminal getting through to it.

#include <unicode/utf8.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "netware/VisibleControls.h"
#include "terminal/PictureSize.h"
#include "terminal/TextWrap.h"
#include "tests/fuzz/FuzzSupport.h"
#include "ui/PageDecoding.h"

using namespace welcomer;

namespace {

struct Scan {
  bool utf8 = true;  ///< well-formed UTF-8
  /// No control character but tab and line feed, in UTF-8 or as a stray byte that an 8-bit
  /// terminal takes for a C1 control.
  bool safe = true;
};

Scan ScanText(std::string_view text) {
  Scan scan;
  const auto* s = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int64_t>(text.size());
  for (int64_t i = 0; i < length;) {
    const int64_t start = i;
    UChar32 c;
    U8_NEXT(s, i, length, c);
    scan.utf8 = scan.utf8 && c >= 0;
    for (int64_t j = start; c < 0 && j < i; ++j)
      scan.safe = scan.safe && (s[j] < 0x80 || s[j] > 0x9F);
    if (c >= 0)
      scan.safe = scan.safe && (c >= 0x20 || c == '\t' || c == '\n') && (c < 0x7F || c > 0x9F);
  }
  return scan;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // A caller reads no more of a large file than this to tell its kind.
  const PageKind kind = PageKindOf(bytes);
  FuzzCheck(PageKindOf(bytes.substr(0, 12)) == kind, "the first 12 bytes tell a page's kind");
  FuzzCheck(!ReadPictureSize(bytes) || IsPicture(kind), "only a picture has a picture's size");

  const DecodedPage page = DecodePage(bytes);
  const bool utf8 = ScanText(bytes).utf8;
  FuzzCheck(ScanText(page.text).utf8, "a decoded page is UTF-8");
  FuzzCheck((page.encoding == PageEncoding::kUtf8) == utf8, "exactly valid UTF-8 is read as such");
  FuzzCheck(!utf8 || page.text == bytes.substr(bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0),
            "UTF-8 stands as it is, without its byte-order mark");
  if (page.encoding == PageEncoding::kWindows1252 || page.codePage == "windows-1252")
    FuzzCheck(EncodeWindows1252(page.text) == bytes, "Windows-1252 reads back byte for byte");
  FuzzCheck(ScanText(DecodeUtf8OrWindows1252(bytes)).utf8, "a short text decodes to UTF-8");
  // The direction tests must not fault on any text, decoded or not.
  LineIsRightJustified(page.text, page.encoding);
  StartsRightToLeft(bytes);

  FuzzCheck(ScanText(ShowControlCharacters(bytes)).safe, "raw bytes are made safe");
  const std::string body = ShowControlCharacters(page.text);
  FuzzCheck(ScanText(body).safe, "a decoded page is made safe");
  for (const int columns : {1, 7, 80}) {
    for (const std::string& row : WrapText(body, columns))
      FuzzCheck(row.find_first_of("\t\n") == std::string::npos, "a row is one line, tabs expanded");
  }
  return 0;
}
