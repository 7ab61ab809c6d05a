#pragma once

#include <string>
#include <string_view>

namespace welcomer {

/// Upper-cases by the plain ASCII mapping: only 'a'..'z' change, every other byte stays.
std::string UpperCaseAscii(std::string_view text);

/// Lower-cases by the plain ASCII mapping: only 'A'..'Z' change, every other byte stays.
std::string LowerCaseAscii(std::string_view text);

/// True when both texts are equal after ASCII upper-casing.
bool SameTextAscii(std::string_view a, std::string_view b);

/// A hash that agrees with SameTextAscii, for look-up tables keyed without regard to case.
struct AsciiCaseInsensitiveHash {
  size_t operator()(std::string_view text) const;
};

/// Equality predicate that pairs with AsciiCaseInsensitiveHash.
struct AsciiCaseInsensitiveEqual {
  bool operator()(std::string_view a, std::string_view b) const { return SameTextAscii(a, b); }
};

}  // namespace welcomer
