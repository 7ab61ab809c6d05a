#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace welcomer {

/// The number of terminal cells a code point takes: 2 for East Asian wide and fullwidth
/// characters, 0 for combining marks (Mn, Me), format characters (Cf, but for the visible soft
/// hyphen) and the Hangul vowels and finals that join a syllable, 1 for everything else.
int CodePointWidth(char32_t codePoint);

/// Cuts UTF-8 text that holds no control characters but tab and line feed into the rows a
/// terminal `columns` cells wide shows: each line feed ends a row, a line that does not fit
/// breaks after the last blank that fits (blanks at the break are dropped), a word longer than
/// a row breaks where the row is full, and a combining mark stays with its character. Tabs are
/// expanded to stops every eight cells. A final line feed ends the last row and makes none.
/// Bytes that are not UTF-8 count one cell each.
std::vector<std::string> WrapText(std::string_view text, int columns);

}  // namespace welcomer
