#pragma once

#include <string>
#include <string_view>

namespace welcomer {

/// The text as it may be written to a terminal: no byte of it can drive the terminal. Every
/// control character but tab and line feed is replaced by a visible placeholder in caret
/// notation: "^[" for escape, "^@" for NUL, "^?" for delete, and "M-" before the 7-bit form for
/// the 8-bit controls U+0080..U+009F ("M-^[" for U+009B), whether they come UTF-8 encoded or as
/// bytes that belong to no UTF-8 sequence. A carriage return, alone or before a line feed,
/// breaks the line as one line feed. Every other byte, invalid UTF-8 included, stays as it is.
std::string ShowControlCharacters(std::string_view text);

}  // namespace welcomer
