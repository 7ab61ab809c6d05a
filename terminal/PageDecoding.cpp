#include "terminal/PageDecoding.h"

#include <unicode/utf8.h>

#include <array>

namespace welcomer {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five codes it leaves unassigned keep
// their Latin-1 meaning, as the window reads them.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsUtf8(std::string_view bytes) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto length = static_cast<int32_t>(bytes.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c = 0;
    U8_NEXT(data, i, length, c);
    if (c < 0)
      return false;
  }
  return true;
}

std::string FromWindows1252(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    const UChar32 c = (code >= 0x80 && code <= 0x9F) ? kHighControls[code - 0x80] : code;
    char encoded[U8_MAX_LENGTH];
    int32_t length = 0;
    U8_APPEND_UNSAFE(encoded, length, c);
    text.append(encoded, static_cast<size_t>(length));
  }
  return text;
}

}  // namespace

DecodedPage DecodePage(std::string_view bytes) {
  if (bytes.starts_with("BM"))
    return {true, {}};
  return {false, DecodeText(bytes)};
}

std::string DecodeText(std::string_view bytes) {
  if (!IsUtf8(bytes))
    return FromWindows1252(bytes);
  if (bytes.starts_with("\xEF\xBB\xBF"))
    bytes.remove_prefix(3);
  return std::string(bytes);
}

}  // namespace welcomer
