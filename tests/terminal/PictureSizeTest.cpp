#include "terminal/PictureSize.h"

#include <gtest/gtest.h>

#include <string>

namespace welcomer {
namespace {

// The value's bytes, lowest first, or highest first when `big`.
std::string Bytes(uint64_t value, int count, bool big = false) {
  std::string out;
  for (int i = 0; i < count; ++i)
    out += static_cast<char>(value >> (8 * (big ? count - 1 - i : i)) & 0xFF);
  return out;
}

TEST(ReadPictureSizeTest, ReadsTheSizeFromEachFormatsHeader) {
  const std::string bitmap = "BM" + std::string(12, '\0');
  const std::string png = "\x89PNG\r\n\x1a\n" + Bytes(13, 4, true) + "IHDR";
  const std::string jpeg = "\xff\xd8\xff\xe0" + Bytes(16, 2, true) + std::string(14, 'j');
  const std::string frame =
      Bytes(17, 2, true) + "\x08" + Bytes(300, 2, true) + Bytes(400, 2, true) + "more";
  const std::string webp = "RIFF" + Bytes(100, 4) + "WEBP";
  struct Row {
    const char* name;
    std::string bytes;
    std::optional<PictureSize> expected;
  };
  const Row rows[] = {
      {"oldest bitmap", bitmap + Bytes(12, 4) + Bytes(96, 2) + Bytes(48, 2) + "pad-pad",
       PictureSize{96, 48}},
      {"bitmap stored top-down", bitmap + Bytes(40, 4) + Bytes(640, 4) + Bytes(-480, 4),
       PictureSize{640, 480}},
      {"bitmap without pixels", bitmap + Bytes(40, 4) + Bytes(0, 4) + Bytes(9, 4), std::nullopt},
      {"PNG", png + Bytes(800, 4, true) + Bytes(600, 4, true), PictureSize{800, 600}},
      {"PNG cut short", png + Bytes(800, 4, true), std::nullopt},
      {"GIF", "GIF89a" + Bytes(10, 2) + Bytes(20, 2), PictureSize{10, 20}},
      {"JPEG after another segment", jpeg + "\xff\xc0" + frame, PictureSize{400, 300}},
      {"progressive JPEG", jpeg + "\xff\xc2" + frame, PictureSize{400, 300}},
      {"JPEG whose scan comes first", jpeg + "\xff\xda" + frame, std::nullopt},
      {"lossy WebP",
       webp + "VP8 " + Bytes(9, 4) + "\x10\x02" + Bytes(0x2a019d00, 4) + Bytes(320, 2) +
           Bytes(240, 2),
       PictureSize{320, 240}},
      {"lossless WebP", webp + "VP8L" + Bytes(9, 4) + "\x2f" + Bytes(99 | 49 << 14, 4),
       PictureSize{100, 50}},
      {"extended WebP", webp + "VP8X" + Bytes(9, 8) + Bytes(1919, 3) + Bytes(1079, 3),
       PictureSize{1920, 1080}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(ReadPictureSize(row.bytes), row.expected) << row.name;
}

}  // namespace
}  // namespace welcomer
