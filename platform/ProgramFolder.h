#pragma once

#include <string>

namespace welcomer {

/// The folder that holds the program's modules and client libraries: "lib/welcomer" beside the
/// folder of the running executable, as an absolute path ending in "/". Empty when the
/// executable cannot be located; nothing is then loaded.
std::string ProgramLibraryFolder();

}  // namespace welcomer
