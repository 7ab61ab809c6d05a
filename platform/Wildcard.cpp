#include "netware/AsciiText.h"
#include "platform/FileSearch.h"

namespace welcomer {

bool HasWildcard(const std::string& text) {
  return text.find_first_of("*?") != std::string::npos;
}

bool MatchesWildcard(const std::string& pattern, const std::string& name) {
  if (pattern == "*.*" || pattern == "*")
    return true;
  // Iterative glob with one backtrack point: linear in practice, never exponential.
  size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || SameTextAscii(std::string_view(&pattern[p], 1),
                                                                  std::string_view(&name[n], 1)))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

}  // namespace welcomer
