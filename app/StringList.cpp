#include "app/StringList.h"

#include "platform/AsciiText.h"

namespace welcomer {

std::string_view NameOf(std::string_view entry) {
  size_t eq = entry.rfind('=');
  return eq == std::string_view::npos ? std::string_view() : entry.substr(0, eq);
}

std::string_view ValueOf(std::string_view entry) {
  size_t eq = entry.rfind('=');
  return eq == std::string_view::npos ? std::string_view() : entry.substr(eq + 1);
}

void StringList::Delete(size_t index) {
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

int StringList::IndexOf(std::string_view text) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (SameTextAscii(items_[i].text, text))
      return static_cast<int>(i);
  }
  return -1;
}

int StringList::IndexOfName(std::string_view name) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    const std::string_view text = items_[i].text;
    if (text.find('=') != std::string_view::npos && SameTextAscii(NameOf(text), name)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::string StringList::Value(std::string_view name) const {
  int index = IndexOfName(name);
  return index < 0 ? std::string() : std::string(ValueOf(items_[static_cast<size_t>(index)].text));
}

std::string StringList::Text() const {
  std::string text;
  for (const Item& item : items_) {
    text += item.text;
    text += "\r\n";
  }
  return text;
}

}  // namespace welcomer
