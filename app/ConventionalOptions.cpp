#include "app/ConventionalOptions.h"

#include "app/Init_Unit.h"
#include "app/Version.h"

namespace welcomer {

std::string PlainUsageText() {
  const std::string boxText = UsageText();
  std::string text;
  text.reserve(boxText.size() + 1);
  for (size_t i = 0; i < boxText.size(); ++i) {
    const char c = boxText[i];
    if (c == '\r' && i + 1 < boxText.size() && boxText[i + 1] == '\n')
      continue;
    // A lone marker underlines the next character in the box and is not drawn; before a blank
    // or at the end the box draws it.
    if (c == '&' && i + 1 < boxText.size() && boxText[i + 1] != ' ') {
      text += boxText[++i];
      continue;
    }
    text += c;
  }
  return text + "\n";
}

std::string VersionText() {
  return std::string("welcomer ") + kVersion + "\n";
}

std::optional<int> AnswerConventionalOption(const std::vector<std::string>& arguments,
                                            std::FILE* out, std::FILE* err) {
  if (arguments.empty())
    return std::nullopt;
  std::string answer;
  if (arguments[0] == "--help") {
    answer = PlainUsageText();
  } else if (arguments[0] == "--version") {
    answer = VersionText();
  } else {
    return std::nullopt;
  }
  // Output to a file or a pipe is buffered: only the flush tells whether it arrived.
  const bool written = std::fwrite(answer.data(), 1, answer.size(), out) == answer.size();
  if (std::fflush(out) != 0 || !written || std::ferror(out)) {
    std::fputs("welcomer: cannot write to standard output\n", err);
    return 1;
  }
  return 0;
}

}  // namespace welcomer
