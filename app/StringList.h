#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace welcomer {

/// An ordered list of texts with name=value look-up: an entry's name (its key) is the text
/// before its last "=", its value the text after it; an entry without "=" has an empty name.
/// The values the program keeps here (file stamps) never hold "=", while paths may.
/// Names and whole entries are compared without regard to ASCII case, and the first match wins.
/// Each entry may carry a tag, an integer the owner attaches (-1 when none).
class StringList {
 public:
  struct Item {
    std::string text;
    int tag = -1;
    /// For a page: the file its content is read from, as the search found it on disk. The name
    /// stays the key of the page's state even where it differs (a pattern given as an argument
    /// keeps the pattern). Empty when the name itself is the file.
    std::string file{};
  };

  size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  const std::string& operator[](size_t index) const { return items_[index].text; }
  int Tag(size_t index) const { return items_[index].tag; }
  const std::vector<Item>& Items() const { return items_; }

  /// Appends an entry.
  void Add(std::string text, int tag = -1) { items_.push_back({std::move(text), tag}); }
  /// Replaces the text of the entry at `index`, keeping its tag.
  void Set(size_t index, std::string text) { items_[index].text = std::move(text); }
  /// Deletes the entry at `index`; the entries after it move up one place.
  void Delete(size_t index);
  void Clear() { items_.clear(); }
  /// Replaces all entries.
  void Assign(std::vector<Item> items) { items_ = std::move(items); }

  /// Index of the first entry equal to `text` (ASCII case ignored), or -1.
  int IndexOf(std::string_view text) const;
  /// Index of the first entry whose name equals `name` (ASCII case ignored), or -1.
  int IndexOfName(std::string_view name) const;
  /// The value of the first entry named `name`; empty when there is none.
  std::string Value(std::string_view name) const;

  /// Every entry followed by a carriage return and line feed, in list order.
  std::string Text() const;

 private:
  std::vector<Item> items_;
};

/// The name of a name=value text: the text before its last "=", empty when it has none.
std::string_view NameOf(std::string_view entry);

/// The value of a name=value text: the text after its last "=", empty when it has none.
std::string_view ValueOf(std::string_view entry);

}  // namespace welcomer
