#pragma once

#include <string>

namespace welcomer {

/// Finds the file system path that `path` names when letter case is ignored, so that the
/// upper-cased paths the program keeps still reach files on a case-sensitive file system.
/// Each component is taken as it stands when it exists; otherwise the first directory entry
/// equal to it without regard to ASCII case takes its place. From the first component that
/// matches nothing on, the rest of the path is kept as given.
std::string ResolvePathIgnoringCase(const std::string& path);

/// Joins a directory and a name with one "/" between them; an empty directory gives the name.
std::string JoinPath(const std::string& directory, const std::string& name);

}  // namespace welcomer
