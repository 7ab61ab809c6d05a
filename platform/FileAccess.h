#pragma once

#include <string>

namespace welcomer {

/// True when `path` (letter case ignored) names something that is not a directory and that can
/// be opened for reading now. Never blocks, not even on a named pipe.
bool CanOpenForReading(const std::string& path);

}  // namespace welcomer
