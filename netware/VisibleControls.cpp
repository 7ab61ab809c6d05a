#include "netware/VisibleControls.h"

namespace welcomer {
namespace {

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence that starts at `i`, or 0 when none does there
// (overlong forms, surrogates and code points beyond U+10FFFF are not well formed).
size_t SequenceLength(std::string_view text, size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (i + length > text.size())
    return 0;
  const auto second = static_cast<unsigned char>(text[i + 1]);
  if (second < low || second > high)
    return 0;
  for (size_t k = 2; k < length; ++k) {
    if (!IsContinuation(static_cast<unsigned char>(text[i + k])))
      return 0;
  }
  return length;
}

void AppendCaret(std::string& out, unsigned char code) {
  // Caret notation: the control's code with bit 6 flipped, so ESC (0x1B) reads "^[".
  out += '^';
  out += static_cast<char>(code ^ 0x40);
}

}  // namespace

std::string ShowControlCharacters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\r') {
      out += '\n';
      i += (i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    } else if (byte == '\t' || byte == '\n' || (byte >= 0x20 && byte < 0x7F)) {
      out += static_cast<char>(byte);
      ++i;
    } else if (byte < 0x20 || byte == 0x7F) {
      AppendCaret(out, byte);
      ++i;
    } else if (const size_t length = SequenceLength(text, i); length > 0) {
      const auto second = static_cast<unsigned char>(text[i + 1]);
      if (byte == 0xC2 && second <= 0x9F) {
        out += "M-";
        AppendCaret(out, second - 0x80);
      } else {
        out.append(text.substr(i, length));
      }
      i += length;
    } else {
      // A stray byte: in the 8-bit controls' range a terminal may still take it for one.
      if (byte <= 0x9F) {
        out += "M-";
        AppendCaret(out, byte - 0x80);
      } else {
        out += static_cast<char>(byte);
      }
      ++i;
    }
  }
  return out;
}

}  // namespace welcomer
