#pragma once

// How the bytes of a page become what the user reads. Free of Qt, so that every place that
// shows a page (the window, and the terminal) reads, aligns and tells pictures apart alike.

#include <string>
#include <string_view>

namespace welcomer {

/// What a page file holds, told from its first bytes.
enum class PageKind {
  kText,
  kBitmap,  ///< begins with "BM"
  kPng,
  kJpeg,
  kGif,
  kWebp,
};

/// The kind of page `bytes` (the file's content, or at least its first 12 bytes) begins.
PageKind PageKindOf(std::string_view bytes);

/// True for every kind but text.
inline bool IsPicture(PageKind kind) {
  return kind != PageKind::kText;
}

/// How the text of a page was read.
enum class PageEncoding {
  kUtf8,         ///< the bytes are valid UTF-8
  kDetected,     ///< a code page the character-set detector was confident of
  kWindows1252,  ///< nothing identified: each byte stands for its Windows-1252 character
};

struct DecodedPage {
  /// The text in UTF-8, line breaks as they stand in the file, without a byte-order mark.
  std::string text;
  PageEncoding encoding = PageEncoding::kUtf8;
  /// The name of the code page the text was read in: "UTF-8", "windows-1252", or the detected
  /// one ("windows-1251", "Shift_JIS", "UTF-16LE", ...).
  std::string codePage;
};

/// Decodes a text page: as UTF-8 when it is valid UTF-8; otherwise in the code page the
/// detector names with enough confidence (single-byte Windows and ISO code pages, KOI8-R, the
/// common East Asian multi-byte ones, UTF-16 and UTF-32); otherwise as Windows-1252, whose five
/// unassigned codes stand for the C1 controls of the same value, so that every byte reads as one
/// character and writes back as itself.
DecodedPage DecodePage(std::string_view bytes);

/// Decodes a short text that is too short for detection (a file name, a message): UTF-8 when it
/// is valid UTF-8, otherwise Windows-1252 as DecodePage reads it. The result is UTF-8.
std::string DecodeUtf8OrWindows1252(std::string_view bytes);

/// The Windows-1252 bytes of a UTF-8 text: the inverse of the Windows-1252 reading above for
/// every text it produced. A character Windows-1252 cannot hold becomes "?".
std::string EncodeWindows1252(std::string_view utf8);

/// True when the mean of the byte values, over at most the first 255 bytes, is above 127: a
/// line mostly in the upper half of an 8-bit code page.
bool IsHighCharText(std::string_view bytes);

/// True when the text's first character of strong direction is right-to-left (Hebrew, Arabic,
/// ...); characters inside directional isolates are passed over. False when there is none.
bool StartsRightToLeft(std::string_view utf8);

/// Whether a page whose first non-empty displayed line is `utf8Line` is set against the right
/// margin. Text read from a known encoding goes by its first strong character; text nothing
/// identified goes by the mean of its bytes as they stand in the file, the test single-byte
/// right-to-left code pages were laid out for.
bool LineIsRightJustified(std::string_view utf8Line, PageEncoding encoding);

}  // namespace welcomer
