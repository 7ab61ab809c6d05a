#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace welcomer {

struct PictureSize {
  uint32_t width = 0;
  uint32_t height = 0;
  bool operator==(const PictureSize&) const = default;
};

/// The size in pixels that a picture file's header gives, for the formats pages may be in: BMP,
/// PNG, JPEG, GIF and WebP. Nothing when the bytes are none of them or the header is cut short.
/// Only the header is read; the picture itself is not checked.
std::optional<PictureSize> ReadPictureSize(std::string_view bytes);

}  // namespace welcomer
