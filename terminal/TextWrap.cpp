#include "terminal/TextWrap.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>

namespace welcomer {
namespace {

constexpr int kTabStop = 8;

std::string WithoutTrailingBlanks(std::string_view row) {
  const size_t end = row.find_last_not_of(' ');
  return std::string(end == std::string_view::npos ? std::string_view() : row.substr(0, end + 1));
}

// One line that holds no line feed.
class LineWrapper {
 public:
  LineWrapper(int columns, std::vector<std::string>& rows) : columns_(columns), rows_(rows) {}

  void Wrap(std::string_view line) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(line.data());
    const auto length = static_cast<int32_t>(line.size());
    int32_t i = 0;
    while (i < length) {
      const int32_t start = i;
      UChar32 c = 0;
      U8_NEXT(bytes, i, length, c);
      if (c == '\t') {
        AddBlanks(kTabStop - width_ % kTabStop);
        continue;
      }
      if (c == ' ') {
        AddBlanks(1);
        continue;
      }
      const int width = c < 0 ? 1 : CodePointWidth(c);
      // Marks that follow belong to the character: they never start a row of their own.
      while (i < length) {
        int32_t next = i;
        UChar32 mark = 0;
        U8_NEXT(bytes, next, length, mark);
        if (mark < 0 || mark == '\t' || mark == ' ' || CodePointWidth(mark) != 0)
          break;
        i = next;
      }
      AddCluster(line.substr(static_cast<size_t>(start), static_cast<size_t>(i - start)), width);
    }
    rows_.push_back(WithoutTrailingBlanks(row_));
  }

 private:
  void AddBlanks(int count) {
    // Blanks at the end of a row are dropped rather than carried to the next one.
    const int fit = std::min(count, columns_ - width_);
    if (fit > 0) {
      row_.append(static_cast<size_t>(fit), ' ');
      width_ += fit;
    }
    if (hasText_) {
      breakAt_ = row_.size();
      breakWidth_ = width_;
    }
  }

  void AddCluster(std::string_view cluster, int width) {
    while (width_ > 0 && width_ + width > columns_) {
      if (breakAt_ != std::string::npos) {
        rows_.push_back(WithoutTrailingBlanks(std::string_view(row_).substr(0, breakAt_)));
        row_.erase(0, breakAt_);
        width_ -= breakWidth_;
      } else {
        rows_.push_back(WithoutTrailingBlanks(row_));
        row_.clear();
        width_ = 0;
      }
      breakAt_ = std::string::npos;
      hasText_ = !row_.empty();
    }
    row_.append(cluster);
    width_ += width;
    hasText_ = true;
  }

  int columns_;
  std::vector<std::string>& rows_;
  std::string row_;
  int width_ = 0;
  bool hasText_ = false;
  size_t breakAt_ = std::string::npos;
  int breakWidth_ = 0;
};

}  // namespace

int CodePointWidth(char32_t codePoint) {
  const auto c = static_cast<UChar32>(codePoint);
  // Shown as a hyphen by terminals, although it is a format character.
  if (c == 0x00AD)
    return 1;
  const int8_t type = u_charType(c);
  if (type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_FORMAT_CHAR)
    return 0;
  if (c >= 0x1160 && c <= 0x11FF)
    return 0;
  const int width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
  return (width == U_EA_WIDE || width == U_EA_FULLWIDTH) ? 2 : 1;
}

std::vector<std::string> WrapText(std::string_view text, int columns) {
  std::vector<std::string> rows;
  columns = std::max(columns, 1);
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    const std::string_view line =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    LineWrapper(columns, rows).Wrap(line);
    if (end == std::string_view::npos)
      break;
    start = end + 1;
  }
  return rows;
}

}  // namespace welcomer
