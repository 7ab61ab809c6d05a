#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace welcomer::fuzz {

/// One attribute as a read of the client returns it: its values oldest first, or only its name
/// when the read asked for names.
struct ReadAttribute {
  std::string name;
  uint32_t syntax = 0;
  std::vector<std::string> values;
  bool operator==(const ReadAttribute&) const = default;
};

/// One change of a modify request, as the caller put it into the buffer.
struct RequestChange {
  uint32_t type = 0;
  std::string attribute;
  uint32_t syntax = 0;
  std::vector<std::string> values;
};

/// What one directory object must hold after a run of changes, worked out from the client's
/// documented behaviour alone: attribute names and case-ignoring values match without regard to
/// ASCII case, values keep the order they were added in, attributes the order of their oldest
/// value, and a request is applied all or none.
class DirectoryModel {
 public:
  /// Forgets everything: nothing is known until the next Seed.
  void Forget() {
    known_ = false;
    values_.clear();
  }
  /// Starts from what a complete read of every attribute and value delivered. Exact only while
  /// no attribute holds more than one value, as on a fresh object: a read lists an attribute's
  /// values together and so hides the order of values across attributes, on which the order of
  /// attributes depends once older values go.
  void Seed(const std::vector<ReadAttribute>& attributes);
  bool Known() const { return known_; }

  /// Applies `changes` all or none. Returns the codes the client may answer: empty when it must
  /// succeed, otherwise the codes of the first change that must fail (one change can break more
  /// than one rule).
  std::vector<int32_t> Apply(const std::vector<RequestChange>& changes);

  /// What a read of the attributes named in `names` (all when empty) must return.
  std::vector<ReadAttribute> Read(const std::vector<std::string>& names, bool namesOnly) const;

 private:
  struct StoredValue {
    uint64_t serial;  ///< order of addition; an overwritten value keeps its place
    std::string attribute;
    uint32_t syntax;
    std::string text;
  };

  std::vector<int32_t> ApplyOne(const RequestChange& change, std::vector<StoredValue>& values);

  bool known_ = false;
  std::vector<StoredValue> values_;  ///< oldest first
  uint64_t nextSerial_ = 0;
};

/// Whether the client can carry values of `syntax` at all, and how.
bool IsStringSyntax(uint32_t syntax);
bool IsWordSyntax(uint32_t syntax);

/// ASCII lower case: the only case mapping the directory applies.
std::string Lower(std::string text);

}  // namespace welcomer::fuzz
