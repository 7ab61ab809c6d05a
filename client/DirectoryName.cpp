#include "client/DirectoryName.h"

#include <algorithm>

#include "client/ClientErrors.h"

namespace welcomer::client {
namespace {

bool IsTypeChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

std::string AsciiUpper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return AsciiLower(a) == AsciiLower(b);
}

// Splits at unescaped dots. Escapes stay in the pieces, so that "=" inside a value can still be
// told from the one after the type.
std::vector<std::string> SplitAtDots(const std::string& text) {
  std::vector<std::string> pieces(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      pieces.back() += text.substr(i, 2);
      ++i;
    } else if (text[i] == '.') {
      pieces.emplace_back();
    } else {
      pieces.back() += text[i];
    }
  }
  return pieces;
}

bool ParsePart(const std::string& piece, NamePart& part) {
  size_t equals = std::string::npos;
  for (size_t i = 0; i < piece.size(); ++i) {
    if (piece[i] == '\\') {
      ++i;
    } else if (piece[i] == '=') {
      equals = i;
      break;
    }
  }
  std::string raw = piece;
  part.type.clear();
  if (equals != std::string::npos) {
    part.type = AsciiUpper(piece.substr(0, equals));
    if (part.type.empty() || !std::all_of(part.type.begin(), part.type.end(), IsTypeChar))
      return false;
    raw = piece.substr(equals + 1);
  }
  part.value.clear();
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\') {
      if (i + 1 == raw.size())
        return false;
      ++i;
    } else if (raw[i] == '=') {
      return false;
    }
    part.value += raw[i];
  }
  return !part.value.empty();
}

void GiveDefaultTypes(std::vector<NamePart>& parts) {
  for (size_t i = 0; i < parts.size(); ++i) {
    if (!parts[i].type.empty())
      continue;
    if (i == 0)
      parts[i].type = "CN";
    else if (i + 1 == parts.size())
      parts[i].type = "O";
    else
      parts[i].type = "OU";
  }
}

}  // namespace

std::string AsciiLower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

std::string EscapeNameValue(const std::string& value) {
  std::string escaped;
  for (char c : value) {
    if (c == '.' || c == '=' || c == '+' || c == '\\')
      escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string DirectoryName::Text(bool typeless) const {
  if (parts_.empty())
    return "[Root]";
  std::string text;
  for (const NamePart& part : parts_) {
    if (!text.empty())
      text += '.';
    if (!typeless)
      text += part.type + "=";
    text += EscapeNameValue(part.value);
  }
  return text;
}

std::string DirectoryName::Key() const {
  return AsciiLower(Text());
}

int32_t ResolveName(const std::string& text, const DirectoryName& context, DirectoryName& full) {
  if (text.empty())
    return kNWErrInvalidObjectName;
  if (EqualsIgnoringCase(text, "[Root]")) {
    full = DirectoryName();
    return 0;
  }
  std::vector<std::string> pieces = SplitAtDots(text);
  bool absolute = false;
  if (pieces.front().empty()) {
    absolute = true;
    pieces.erase(pieces.begin());
  }
  size_t climb = 0;
  while (!pieces.empty() && pieces.back().empty()) {
    pieces.pop_back();
    ++climb;
  }
  if (pieces.empty() || (absolute && climb > 0))
    return kNWErrInvalidObjectName;

  std::vector<NamePart> parts;
  for (const std::string& piece : pieces) {
    NamePart part;
    if (!ParsePart(piece, part))
      return kNWErrInvalidObjectName;
    parts.push_back(part);
  }
  if (!absolute) {
    const std::vector<NamePart>& base = context.Parts();
    if (climb > base.size())
      return kNWErrInvalidObjectName;
    parts.insert(parts.end(), base.begin() + static_cast<std::ptrdiff_t>(climb), base.end());
  }
  GiveDefaultTypes(parts);
  full = DirectoryName(std::move(parts));
  return 0;
}

int32_t ParseContextName(const std::string& text, DirectoryName& context) {
  if (text.empty() || EqualsIgnoringCase(text, "[Root]")) {
    context = DirectoryName();
    return 0;
  }
  // A context is a container: its most specific part is no common name, so an untyped context
  // like "Sales.Acme" reads as OU=Sales.O=Acme.
  std::string absolute = text.front() == '.' ? text : "." + text;
  DirectoryName parsed;
  int32_t result = ResolveName(absolute, DirectoryName(), parsed);
  if (result != 0)
    return result;
  std::vector<NamePart> parts = parsed.Parts();
  NamePart first;
  if (ParsePart(SplitAtDots(absolute.substr(1)).front(), first) && first.type.empty())
    parts.front().type = parts.size() > 1 ? "OU" : "O";
  context = DirectoryName(std::move(parts));
  return 0;
}

}  // namespace welcomer::client
