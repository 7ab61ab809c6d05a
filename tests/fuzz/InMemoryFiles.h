#pragma once

#include <string>
#include <vector>

#include "platform/FileSearch.h"

namespace welcomer::fuzz {

/// A file searcher over a tree that lives in memory, so that start-up can be driven with any
/// path at all and never touch the real file system. It keeps FileSearcher's promises: letter
/// case ignored in matching (the exact spelling preferred), wildcards in the last component only,
/// name order, at most one entry for a name without wildcards, and each entry's path as found.
/// A pattern without "/" searches the current folder, whose paths stay relative.
class InMemoryFiles : public FileSearcher {
 public:
  /// Puts `file` into `folder` ("" for the current folder, "/" for the root, else without a
  /// trailing "/"). A folder that holds something should itself be an entry of its parent.
  void Add(const std::string& folder, FoundFile file);

  std::vector<FoundFile> Find(const std::string& pattern) override;

  /// The entry at the path a search gave; null when there is none.
  const FoundFile* AtPath(const std::string& path) const;

 private:
  struct Entry {
    std::string folder;
    FoundFile file;
  };
  std::vector<Entry> entries_;
};

}  // namespace welcomer::fuzz
