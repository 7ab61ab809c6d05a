#pragma once

#include <string>

namespace welcomer {

// Every load that fails says why: what the system's loader answered, naming the file, or which
// entry point the file lacks.

/// Loads a shared object by absolute path; null for a relative path or when it cannot be
/// loaded, with the loader's reason in `reason`. Libraries stay loaded until the process ends.
void* LoadLibraryAt(const std::string& absolutePath, std::string& reason);

/// The address of the exported symbol `name`, or null.
void* FindLibrarySymbol(void* library, const char* name);

/// Loads the shared object at `absolutePath` and finds its exported `entryName`: the entry point
/// of a module. Null, with the reason in `reason`, when either fails.
void* LoadEntryPoint(const std::string& absolutePath, const char* entryName, std::string& reason);

}  // namespace welcomer
