#pragma once

#include <string>
#include <string_view>

namespace welcomer {

/// A page file's content as the pages show it.
struct DecodedPage {
  /// The file is a picture; `text` is then empty.
  bool picture = false;
  /// The text in UTF-8, its line breaks as they stand in the file.
  std::string text;
};

/// Reads a page file's bytes the way the information window reads them.
DecodedPage DecodePage(std::string_view bytes);

/// Reads bytes that are text whatever they begin with (a path, a caption) into UTF-8, as the
/// window reads them.
std::string DecodeText(std::string_view bytes);

}  // namespace welcomer
