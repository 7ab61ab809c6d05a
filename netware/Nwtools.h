#pragma once

#include <cstdint>
#include <string>

namespace welcomer {

/// The path delimiter that AddBackslash ends a directory with. On this platform it is "/";
/// "\" and ":" are ordinary characters of a name.
inline constexpr char kPathDelimiter = '/';

/// The text without its leading blanks (only the space counts).
std::string LTrim(const std::string& text);

/// The text without its trailing blanks and trailing codes 0, 1 and 2. A text made only of those
/// characters comes back unchanged.
std::string RTrim(const std::string& text);

/// LTrim of RTrim: leading blanks and trailing blanks and codes 0 to 2 go.
std::string AllTrim(const std::string& text);

/// The first `count` characters; the whole text when count reaches its length, empty for
/// count <= 0.
std::string LeftStr(const std::string& text, int32_t count);

/// The last `count` characters; the whole text when count reaches its length, empty for
/// count <= 0.
std::string RightStr(const std::string& text, int32_t count);

/// A directory path trimmed, upper-cased (ASCII) and ending in the path delimiter; the bare
/// delimiter for an empty or blank path.
std::string AddBackslash(const std::string& path);

/// Replaces each match of `pattern` (compared without regard to ASCII case) by `replacement`,
/// scanning each position of the original length once; the position advances by one after a
/// replacement too, so the scan never restarts inside what it inserted.
std::string ReplaceText(const std::string& text, const std::string& pattern,
                        const std::string& replacement);

/// True when the file exists and can be opened for reading now; false for a directory, a
/// missing file and the empty name.
bool FileCanOpen(const std::string& fileName);

/// Modal information box, title "Information", one "OK" button; ";" breaks lines.
void ShowInfo(const std::string& message);

/// Modal error box, title "Error", one "Cancel" button; ";" breaks lines.
void ShowError(const std::string& message);

/// Modal confirmation box, title "Confirm", "&Yes" and "&No"; true only for Yes.
bool AskYesNo(const std::string& message);

}  // namespace welcomer
