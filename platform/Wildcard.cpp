#include "platform/AsciiText.h"
#include "platform/FileSearch.h"

namespace welcomer {

bool HasWildcard(const std::string& text) {
  return text.find_first_of("*?") != std::string::npos;
}

namespace {

bool MatchesGlob(std::string_view pattern, std::string_view name) {
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

}  // namespace

bool MatchesWildcard(const std::string& pattern, const std::string& name) {
  if (pattern == "*.*" || pattern == "*")
    return true;
  if (MatchesGlob(pattern, name))
    return true;
  // On the original platform a final ".*" may also stand for the end of the name: "a*.*" takes
  // "abc" as "*.*" takes every name.
  const std::string_view view = pattern;
  return view.ends_with(".*") && MatchesGlob(view.substr(0, view.size() - 2), name);
}

}  // namespace welcomer
