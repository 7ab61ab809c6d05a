#include "terminal/PictureSize.h"

#include <gtest/gtest.h>

#include <string>

namespace welcomer {
namespace {

std::string Little(uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i)
    out += static_cast<char>(value >> (8 * i) & 0xFF);
  return out;
}

std::string Big(uint32_t value, int bytes) {
  std::string out;
  for (int i = bytes - 1; i >= 0; --i)
    out += static_cast<char>(value >> (8 * i) & 0xFF);
  return out;
}

std::string Bitmap(uint32_t headerSize, const std::string& sizes) {
  return "BM" + std::string(12, '\0') + Little(headerSize, 4) + sizes + std::string(16, '\0');
}

std::string WebP(const std::string& chunk, const std::string& data) {
  return "RIFF" + Little(100, 4) + "WEBP" + chunk + Little(50, 4) + data;
}

TEST(ReadPictureSizeTest, ReadsTheSizeFromEachFormatsHeader) {
  const std::string png = "\x89PNG\r\n\x1a\n" + Big(13, 4) + "IHDR";
  const std::string jpegStart = "\xff\xd8\xff\xe0" + Big(16, 2) + std::string(14, 'j');
  const std::string frame = Big(17, 2) + "\x08" + Big(300, 2) + Big(400, 2) + std::string(12, 0);
  struct Row {
    const char* name;
    std::string bytes;
    std::optional<PictureSize> expected;
  };
  const Row rows[] = {
      {"oldest bitmap header", Bitmap(12, Little(96, 2) + Little(48, 2)), PictureSize{96, 48}},
      {"bitmap stored top-down", Bitmap(40, Little(640, 4) + Little(-480, 4)),
       PictureSize{640, 480}},
      {"bitmap without pixels", Bitmap(40, Little(0, 4) + Little(10, 4)), std::nullopt},
      {"PNG", png + Big(800, 4) + Big(600, 4), PictureSize{800, 600}},
      {"PNG cut short", png + Big(800, 4), std::nullopt},
      {"GIF", "GIF89a" + Little(10, 2) + Little(20, 2), PictureSize{10, 20}},
      {"JPEG after an application segment", jpegStart + "\xff\xc0" + frame, PictureSize{400, 300}},
      {"progressive JPEG", jpegStart + "\xff\xc2" + frame, PictureSize{400, 300}},
      {"JPEG whose scan comes first", jpegStart + "\xff\xda" + frame, std::nullopt},
      {"lossy WebP",
       WebP("VP8 ", std::string("\x10\x02\x00\x9d\x01\x2a", 6) + Little(320, 2) + Little(240, 2)),
       PictureSize{320, 240}},
      {"lossless WebP", WebP("VP8L", "\x2f" + Little(99 | 49 << 14, 4)), PictureSize{100, 50}},
      {"extended WebP", WebP("VP8X", std::string(4, 0) + Little(1919, 3) + Little(1079, 3)),
       PictureSize{1920, 1080}},
      {"text", "Hello, world, this is text", std::nullopt},
  };
  for (const Row& row : rows)
    EXPECT_EQ(ReadPictureSize(row.bytes), row.expected) << row.name;
}

}  // namespace
}  // namespace welcomer
