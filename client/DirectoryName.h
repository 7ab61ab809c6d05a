#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace welcomer::client {

/// One relative distinguished name: "CN=alice" has type "CN" and value "alice". The type is
/// empty while a typeless name has not been given its default types yet.
struct NamePart {
  std::string type;
  std::string value;
};

/// A full directory name, most specific part first ("CN=alice.O=LOCAL"); no parts is [Root].
class DirectoryName {
 public:
  DirectoryName() = default;
  explicit DirectoryName(std::vector<NamePart> parts) : parts_(std::move(parts)) {}

  bool IsRoot() const { return parts_.empty(); }
  const std::vector<NamePart>& Parts() const { return parts_; }

  /// The name as the directory writes it: "CN=alice.O=LOCAL", or "alice.LOCAL" when `typeless`;
  /// "[Root]" for the root. Dots, equals signs, plus signs and backslashes inside values are
  /// escaped with a backslash so that the text parses back to the same name.
  std::string Text(bool typeless = false) const;

  /// Case-ignoring comparison key (plain ASCII mapping): two names that the directory takes for
  /// the same object have the same key.
  std::string Key() const;

 private:
  std::vector<NamePart> parts_;
};

/// Parses `text` as a name relative to `context` and gives the full name it stands for.
/// "[Root]" (any letter case) is the root. A leading "." makes the name absolute; each trailing
/// "." climbs one level above the context. Parts without a type get the directory's default
/// types: the most specific part "CN", the least specific "O" (when there are two or more), the
/// rest "OU". Returns 0 or kNWErrInvalidObjectName.
int32_t ResolveName(const std::string& text, const DirectoryName& context, DirectoryName& full);

/// Parses a name context, which is always taken from the root.
int32_t ParseContextName(const std::string& text, DirectoryName& context);

/// Escapes the characters that have a meaning inside a name part.
std::string EscapeNameValue(const std::string& value);

/// ASCII lower case, the only case mapping the directory applies.
std::string AsciiLower(const std::string& text);

}  // namespace welcomer::client
