#include "tests/fuzz/DirectoryModel.h"

#include <algorithm>

#include "client/ClientErrors.h"

namespace welcomer::fuzz {
namespace {

enum : uint32_t {
  kAddAttribute = 0,
  kRemoveAttribute = 1,
  kAddValue = 2,
  kRemoveValue = 3,
  kAdditionalValue = 4,
  kOverwriteValue = 5,
  kClearAttribute = 6,
  kClearValue = 7,
};
constexpr uint32_t kCaseExactString = 2;

bool SameAttribute(const std::string& a, const std::string& b) {
  return Lower(a) == Lower(b);
}

std::string MatchKey(uint32_t syntax, const std::string& value) {
  return IsStringSyntax(syntax) && syntax != kCaseExactString ? Lower(value) : value;
}

}  // namespace

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool IsStringSyntax(uint32_t syntax) {
  return syntax == 1 || syntax == 2 || syntax == 3 || syntax == 4 || syntax == 5 || syntax == 20;
}

bool IsWordSyntax(uint32_t syntax) {
  return syntax == 7 || syntax == 8 || syntax == 22 || syntax == 24 || syntax == 27;
}

void DirectoryModel::Seed(const std::vector<ReadAttribute>& attributes) {
  Forget();
  for (const ReadAttribute& attribute : attributes)
    for (const std::string& value : attribute.values)
      values_.push_back({nextSerial_++, attribute.name, attribute.syntax, value});
  known_ = true;
}

std::vector<int32_t> DirectoryModel::ApplyOne(const RequestChange& change,
                                              std::vector<StoredValue>& values) {
  std::vector<size_t> stored;
  for (size_t i = 0; i < values.size(); ++i)
    if (SameAttribute(values[i].attribute, change.attribute))
      stored.push_back(i);
  const auto find = [&](const std::string& value) -> StoredValue* {
    for (StoredValue& candidate : values)
      if (SameAttribute(candidate.attribute, change.attribute) &&
          MatchKey(change.syntax, candidate.text) == MatchKey(change.syntax, value))
        return &candidate;
    return nullptr;
  };

  std::vector<int32_t> codes;
  // All values of one attribute share one syntax.
  if (!change.values.empty() && !stored.empty() && values[stored.front()].syntax != change.syntax)
    codes.push_back(kNWErrSyntaxViolation);
  if (change.type == kAddAttribute && !stored.empty())
    codes.push_back(kNWErrAttributeAlreadyExists);
  if (change.type == kRemoveAttribute && stored.empty())
    codes.push_back(kNWErrNoSuchAttribute);
  if (!codes.empty())
    return codes;

  switch (change.type) {
    case kAddAttribute:
    case kAddValue:
    case kAdditionalValue:
    case kOverwriteValue:
      for (const std::string& value : change.values) {
        if (StoredValue* match = find(value)) {
          if (change.type == kAddValue || change.type == kAddAttribute)
            return {kNWErrDuplicateValue};
          if (change.type == kOverwriteValue)
            match->text = value;
          continue;
        }
        values.push_back({nextSerial_++, change.attribute, change.syntax, value});
      }
      return {};
    case kRemoveValue:
    case kClearValue:
      for (const std::string& value : change.values) {
        StoredValue* match = find(value);
        if (match == nullptr) {
          if (change.type == kRemoveValue)
            return {kNWErrNoSuchValue};
          continue;
        }
        values.erase(values.begin() + (match - values.data()));
      }
      return {};
    case kRemoveAttribute:
    case kClearAttribute:
      std::erase_if(values, [&](const StoredValue& value) {
        return SameAttribute(value.attribute, change.attribute);
      });
      return {};
    default:
      return {kNWErrInvalidRequest};
  }
}

std::vector<int32_t> DirectoryModel::Apply(const std::vector<RequestChange>& changes) {
  std::vector<StoredValue> values = values_;
  const uint64_t serial = nextSerial_;
  for (const RequestChange& change : changes) {
    std::vector<int32_t> codes = ApplyOne(change, values);
    if (!codes.empty()) {
      nextSerial_ = serial;
      return codes;
    }
  }
  values_ = std::move(values);
  return {};
}

std::vector<ReadAttribute> DirectoryModel::Read(const std::vector<std::string>& names,
                                                bool namesOnly) const {
  std::vector<ReadAttribute> attributes;
  for (const StoredValue& value : values_) {
    const bool wanted =
        names.empty() || std::any_of(names.begin(), names.end(), [&](const std::string& name) {
          return SameAttribute(name, value.attribute);
        });
    if (!wanted)
      continue;
    auto it = std::find_if(attributes.begin(), attributes.end(), [&](const ReadAttribute& a) {
      return SameAttribute(a.name, value.attribute);
    });
    if (it == attributes.end()) {
      attributes.push_back({value.attribute, value.syntax, {}});
      it = attributes.end() - 1;
    }
    if (!namesOnly)
      it->values.push_back(value.text);
  }
  return attributes;
}

}  // namespace welcomer::fuzz
