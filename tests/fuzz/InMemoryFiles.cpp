#include "tests/fuzz/InMemoryFiles.h"

#include <algorithm>

#include "platform/AsciiText.h"
#include "platform/PathCase.h"

namespace welcomer::fuzz {
namespace {

unsigned char Capital(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - ('a' - 'A')) : byte;
}

bool NameOrderLess(const FoundFile& a, const FoundFile& b) {
  const size_t common = std::min(a.name.size(), b.name.size());
  for (size_t i = 0; i < common; ++i) {
    if (Capital(a.name[i]) != Capital(b.name[i]))
      return Capital(a.name[i]) < Capital(b.name[i]);
  }
  if (a.name.size() != b.name.size())
    return a.name.size() < b.name.size();
  return a.name < b.name;
}

}  // namespace

void InMemoryFiles::Add(const std::string& folder, FoundFile file) {
  file.path = JoinPath(folder, file.name);
  entries_.push_back({folder, std::move(file)});
}

std::vector<FoundFile> InMemoryFiles::Find(const std::string& pattern) {
  std::vector<FoundFile> results;
  const size_t slash = pattern.rfind('/');
  const std::string namePart = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  if (namePart.empty())
    return results;
  std::string folder = slash == std::string::npos ? "" : pattern.substr(0, slash);
  if (slash == 0)
    folder = "/";

  // The folder as spelt when it exists, else the first folder equal to it but for case.
  std::string found;
  bool exact = false;
  for (const Entry& entry : entries_) {
    if (entry.folder == folder) {
      found = entry.folder;
      exact = true;
      break;
    }
  }
  if (!exact) {
    std::vector<std::string> alike;
    for (const Entry& entry : entries_) {
      if (SameTextAscii(entry.folder, folder))
        alike.push_back(entry.folder);
    }
    if (alike.empty())
      return results;
    found = *std::min_element(alike.begin(), alike.end());
  }

  const bool wildcard = HasWildcard(namePart);
  for (const Entry& entry : entries_) {
    if (entry.folder != found)
      continue;
    if (!wildcard && entry.file.name == namePart)
      return {entry.file};
    if (wildcard ? MatchesWildcard(namePart, entry.file.name)
                 : SameTextAscii(entry.file.name, namePart))
      results.push_back(entry.file);
  }
  std::sort(results.begin(), results.end(), NameOrderLess);
  if (!wildcard && results.size() > 1)
    results.resize(1);
  return results;
}

const FoundFile* InMemoryFiles::AtPath(const std::string& path) const {
  for (const Entry& entry : entries_) {
    if (entry.file.path == path)
      return &entry.file;
  }
  return nullptr;
}

}  // namespace welcomer::fuzz
