#include "netware/Nwtools.h"

#include "netware/MessageBox.h"
#include "platform/AsciiText.h"
#include "platform/FileAccess.h"

namespace welcomer {

std::string LTrim(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

std::string RTrim(const std::string& text) {
  size_t i = text.size();
  while (i > 0) {
    char c = text[i - 1];
    if (c != '\0' && c != '\1' && c != '\2' && c != ' ')
      return text.substr(0, i);
    --i;
  }
  // Nothing but trimmable characters: the text is given back as it came.
  return text;
}

std::string AllTrim(const std::string& text) {
  return LTrim(RTrim(text));
}

std::string LeftStr(const std::string& text, int32_t count) {
  if (count <= 0)
    return std::string();
  return text.substr(0, static_cast<size_t>(count));
}

std::string RightStr(const std::string& text, int32_t count) {
  if (count <= 0)
    return std::string();
  size_t n = static_cast<size_t>(count);
  return n >= text.size() ? text : text.substr(text.size() - n);
}

std::string AddBackslash(const std::string& path) {
  const std::string delimiter(1, kPathDelimiter);
  if (path.empty())
    return delimiter;
  std::string result = UpperCaseAscii(AllTrim(path));
  if (result.empty())
    return delimiter;
  if (result.back() != kPathDelimiter)
    result += kPathDelimiter;
  return result;
}

std::string ReplaceText(const std::string& text, const std::string& pattern,
                        const std::string& replacement) {
  if (pattern.empty())
    return text;
  const std::string upperPattern = UpperCaseAscii(pattern);
  const size_t m = upperPattern.size();
  const size_t n = text.size();
  std::string result = text;
  for (size_t i = 0; i < n; ++i) {
    if (i + m > result.size())
      continue;
    if (SameTextAscii(std::string_view(result).substr(i, m), upperPattern)) {
      result.replace(i, m, replacement);
    }
  }
  return result;
}

bool FileCanOpen(const std::string& fileName) {
  if (fileName.empty())
    return false;
  return CanOpenForReading(fileName);
}

namespace {

bool ShowBox(BoxKind kind, const std::string& message) {
  return CurrentMessageBoxPresenter().Show(kind, ReplaceText(message, ";", "\n"));
}

}  // namespace

void ShowInfo(const std::string& message) {
  ShowBox(BoxKind::kInformation, message);
}

void ShowError(const std::string& message) {
  ShowBox(BoxKind::kError, message);
}

bool AskYesNo(const std::string& message) {
  return ShowBox(BoxKind::kConfirm, message);
}

}  // namespace welcomer
