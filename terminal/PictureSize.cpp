#include "terminal/PictureSize.h"

#include <cstdlib>

namespace welcomer {
namespace {

uint32_t Byte(std::string_view bytes, size_t at) {
  return static_cast<unsigned char>(bytes[at]);
}

uint32_t Little16(std::string_view bytes, size_t at) {
  return Byte(bytes, at) | Byte(bytes, at + 1) << 8;
}

uint32_t Little24(std::string_view bytes, size_t at) {
  return Little16(bytes, at) | Byte(bytes, at + 2) << 16;
}

uint32_t Little32(std::string_view bytes, size_t at) {
  return Little24(bytes, at) | Byte(bytes, at + 3) << 24;
}

uint32_t Big16(std::string_view bytes, size_t at) {
  return Byte(bytes, at) << 8 | Byte(bytes, at + 1);
}

uint32_t Big32(std::string_view bytes, size_t at) {
  return Big16(bytes, at) << 16 | Big16(bytes, at + 2);
}

std::optional<PictureSize> Bitmap(std::string_view bytes) {
  if (bytes.size() < 26)
    return std::nullopt;
  // The oldest header holds 16-bit sizes; every later one signed 32-bit sizes, a negative
  // height meaning rows stored top-down.
  if (Little32(bytes, 14) == 12)
    return PictureSize{Little16(bytes, 18), Little16(bytes, 20)};
  const auto width = static_cast<int32_t>(Little32(bytes, 18));
  const auto height = static_cast<int64_t>(static_cast<int32_t>(Little32(bytes, 22)));
  if (width < 0)
    return std::nullopt;
  return PictureSize{static_cast<uint32_t>(width), static_cast<uint32_t>(std::llabs(height))};
}

std::optional<PictureSize> Jpeg(std::string_view bytes) {
  size_t at = 2;
  while (at + 4 <= bytes.size()) {
    if (Byte(bytes, at) != 0xFF)
      return std::nullopt;
    const uint32_t marker = Byte(bytes, at + 1);
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
      at += 2;
      continue;
    }
    // The frame header comes before the first scan, or never.
    if (marker == 0xD9 || marker == 0xDA)
      return std::nullopt;
    const uint32_t length = Big16(bytes, at + 2);
    if (length < 2)
      return std::nullopt;
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (at + 9 > bytes.size())
        return std::nullopt;
      return PictureSize{Big16(bytes, at + 7), Big16(bytes, at + 5)};
    }
    at += 2 + length;
  }
  return std::nullopt;
}

std::optional<PictureSize> WebP(std::string_view bytes) {
  const std::string_view chunk = bytes.substr(12, 4);
  if (chunk == "VP8 " && bytes.size() >= 30 && bytes.substr(23, 3) == "\x9D\x01\x2A")
    return PictureSize{Little16(bytes, 26) & 0x3FFF, Little16(bytes, 28) & 0x3FFF};
  if (chunk == "VP8L" && bytes.size() >= 25 && Byte(bytes, 20) == 0x2F) {
    const uint32_t bits = Little32(bytes, 21);
    return PictureSize{(bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1};
  }
  if (chunk == "VP8X" && bytes.size() >= 30)
    return PictureSize{Little24(bytes, 24) + 1, Little24(bytes, 27) + 1};
  return std::nullopt;
}

std::optional<PictureSize> AnySize(std::string_view bytes) {
  if (bytes.starts_with("BM"))
    return Bitmap(bytes);
  if (bytes.starts_with("\x89PNG\r\n\x1A\n")) {
    if (bytes.size() < 24 || bytes.substr(12, 4) != "IHDR")
      return std::nullopt;
    return PictureSize{Big32(bytes, 16), Big32(bytes, 20)};
  }
  if (bytes.starts_with("\xFF\xD8\xFF"))
    return Jpeg(bytes);
  if ((bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) && bytes.size() >= 10)
    return PictureSize{Little16(bytes, 6), Little16(bytes, 8)};
  if (bytes.starts_with("RIFF") && bytes.size() >= 16 && bytes.substr(8, 4) == "WEBP")
    return WebP(bytes);
  return std::nullopt;
}

}  // namespace

std::optional<PictureSize> ReadPictureSize(std::string_view bytes) {
  const std::optional<PictureSize> size = AnySize(bytes);
  // A picture without pixels cannot be shown anywhere: its header is as good as broken.
  if (!size || size->width == 0 || size->height == 0)
    return std::nullopt;
  return size;
}

}  // namespace welcomer
