#include "ui/PageDecoding.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucsdet.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace welcomer {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five codes it leaves unassigned
// keep their Latin-1 meaning so that every byte decodes and encodes back to itself.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr const char* kWindows1252 = "windows-1252";

// Below this the detector's answers were seen to be wrong as often as right on short texts.
constexpr int32_t kMinimumConfidence = 40;
// A single-byte code page is guessed from the statistics of its upper-half bytes; with fewer
// than these, a Western name with one accent was taken for Cyrillic.
constexpr int kMinimumHighBytesForSingleByte = 4;
// The detector's statistics settle long before this; the rest of a large file adds only time.
constexpr size_t kDetectionSample = 64 * 1024;

void AppendUtf8(std::string& out, UChar32 c) {
  char buffer[U8_MAX_LENGTH];
  int32_t length = 0;
  U8_APPEND_UNSAFE(buffer, length, c);
  out.append(buffer, static_cast<size_t>(length));
}

bool IsValidUtf8(std::string_view bytes) {
  const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto length = static_cast<int64_t>(bytes.size());
  for (int64_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    if (c < 0)
      return false;
  }
  return true;
}

std::string_view WithoutUtf8Bom(std::string_view text) {
  return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
}

std::string DecodeWindows1252(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    AppendUtf8(text, (byte >= 0x80 && byte <= 0x9F) ? kHighControls[byte - 0x80] : byte);
  }
  return text;
}

struct DetectorCloser {
  void operator()(UCharsetDetector* detector) const { ucsdet_close(detector); }
};
struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};

bool IsSingleByteCodePage(std::string_view name) {
  return name.starts_with("ISO-8859-") || name.starts_with("windows-") || name == "KOI8-R";
}

// The detector names an ISO code page when no byte of 0x80..0x9F occurs, yet the files come
// from Windows machines: read them in the Windows code page that holds every character of the
// ISO one and gives meaning to codes the ISO one leaves empty (Hebrew points, for one).
std::string WindowsSuperset(const std::string& name) {
  if (name == "ISO-8859-1")
    return kWindows1252;
  if (name == "ISO-8859-8" || name == "ISO-8859-8-I")
    return "windows-1255";
  if (name == "ISO-8859-9")
    return "windows-1254";
  return name;
}

// The code page the detector is confident of, or the empty text.
std::string DetectCodePage(std::string_view bytes) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UCharsetDetector, DetectorCloser> detector(ucsdet_open(&status));
  if (U_FAILURE(status))
    return {};
  const std::string_view sample = bytes.substr(0, kDetectionSample);
  ucsdet_setText(detector.get(), sample.data(), static_cast<int32_t>(sample.size()), &status);
  int32_t found = 0;
  const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &found, &status);
  if (U_FAILURE(status))
    return {};
  int highBytes = 0;
  for (const char c : sample)
    highBytes += static_cast<unsigned char>(c) >= 0x80;
  // Best first.
  for (int32_t i = 0; i < found; ++i) {
    const char* name = ucsdet_getName(matches[i], &status);
    const int32_t confidence = ucsdet_getConfidence(matches[i], &status);
    if (U_FAILURE(status) || name == nullptr || confidence < kMinimumConfidence)
      return {};
    const std::string_view view(name);
    // EBCDIC and 7-bit escape encodings are no page an administrator writes; and the bytes
    // are known not to be UTF-8, however much they look like it.
    if (view.starts_with("IBM") || view.starts_with("ISO-2022") || view == "UTF-8")
      continue;
    if (IsSingleByteCodePage(view) && highBytes < kMinimumHighBytesForSingleByte)
      return {};
    return WindowsSuperset(name);
  }
  return {};
}

// The text in `codePage`, or false when ICU cannot read that code page.
bool DecodeWith(const std::string& codePage, std::string_view bytes, std::string& text) {
  // ICU counts in 32 bits.
  if (bytes.size() > (1u << 28))
    return false;
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open(codePage.c_str(), &status));
  if (U_FAILURE(status))
    return false;
  std::u16string utf16(bytes.size() * 2 + 2, u'\0');
  const int32_t length =
      ucnv_toUChars(converter.get(), utf16.data(), static_cast<int32_t>(utf16.size()), bytes.data(),
                    static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status))
    return false;
  std::u16string_view decoded(utf16.data(), static_cast<size_t>(length));
  // UTF-16 and UTF-32 files begin with a byte-order mark; it is no character of the text.
  if (decoded.starts_with(u'\uFEFF'))
    decoded.remove_prefix(1);
  text.assign(decoded.size() * 3, '\0');
  int32_t written = 0;
  u_strToUTF8WithSub(text.data(), static_cast<int32_t>(text.size()), &written, decoded.data(),
                     static_cast<int32_t>(decoded.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status))
    return false;
  text.resize(static_cast<size_t>(written));
  return true;
}

}  // namespace

PageKind PageKindOf(std::string_view bytes) {
  if (bytes.starts_with("BM"))
    return PageKind::kBitmap;
  if (bytes.starts_with("\x89PNG\r\n\x1A\n"))
    return PageKind::kPng;
  if (bytes.starts_with("\xFF\xD8\xFF"))
    return PageKind::kJpeg;
  if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a"))
    return PageKind::kGif;
  if (bytes.size() >= 12 && bytes.starts_with("RIFF") && bytes.substr(8, 4) == "WEBP")
    return PageKind::kWebp;
  return PageKind::kText;
}

DecodedPage DecodePage(std::string_view bytes) {
  if (IsValidUtf8(bytes))
    return {std::string(WithoutUtf8Bom(bytes)), PageEncoding::kUtf8, "UTF-8"};
  const std::string codePage = DetectCodePage(bytes);
  // Our own reading of Windows-1252 keeps the five unassigned codes, which ICU's would lose.
  if (codePage == kWindows1252)
    return {DecodeWindows1252(bytes), PageEncoding::kDetected, codePage};
  DecodedPage page;
  if (!codePage.empty() && DecodeWith(codePage, bytes, page.text)) {
    page.encoding = PageEncoding::kDetected;
    page.codePage = codePage;
    return page;
  }
  return {DecodeWindows1252(bytes), PageEncoding::kWindows1252, kWindows1252};
}

std::string DecodeUtf8OrWindows1252(std::string_view bytes) {
  return IsValidUtf8(bytes) ? std::string(bytes) : DecodeWindows1252(bytes);
}

std::string EncodeWindows1252(std::string_view utf8) {
  std::string bytes;
  bytes.reserve(utf8.size());
  const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
  const auto length = static_cast<int64_t>(utf8.size());
  for (int64_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    char byte = '?';
    if ((c >= 0 && c < 0x80) || (c >= 0xA0 && c <= 0xFF)) {
      byte = static_cast<char>(c);
    } else {
      for (size_t j = 0; j < kHighControls.size(); ++j) {
        if (kHighControls[j] == c)
          byte = static_cast<char>(0x80 + j);
      }
    }
    bytes.push_back(byte);
  }
  return bytes;
}

bool IsHighCharText(std::string_view bytes) {
  bytes = bytes.substr(0, 255);
  if (bytes.empty())
    return false;
  unsigned sum = 0;
  for (const char c : bytes)
    sum += static_cast<unsigned char>(c);
  return static_cast<double>(sum) / static_cast<double>(bytes.size()) > 127.0;
}

bool StartsRightToLeft(std::string_view utf8) {
  const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
  const auto length = static_cast<int64_t>(utf8.size());
  int isolates = 0;
  for (int64_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    if (c < 0)
      continue;
    switch (u_charDirection(c)) {
      case U_LEFT_TO_RIGHT_ISOLATE:
      case U_RIGHT_TO_LEFT_ISOLATE:
      case U_FIRST_STRONG_ISOLATE:
        ++isolates;
        break;
      case U_POP_DIRECTIONAL_ISOLATE:
        if (isolates > 0)
          --isolates;
        break;
      case U_LEFT_TO_RIGHT:
        if (isolates == 0)
          return false;
        break;
      case U_RIGHT_TO_LEFT:
      case U_RIGHT_TO_LEFT_ARABIC:
        if (isolates == 0)
          return true;
        break;
      default:
        break;
    }
  }
  return false;
}

bool LineIsRightJustified(std::string_view utf8Line, PageEncoding encoding) {
  if (encoding == PageEncoding::kWindows1252)
    return IsHighCharText(EncodeWindows1252(utf8Line));
  return StartsRightToLeft(utf8Line);
}

}  // namespace welcomer
