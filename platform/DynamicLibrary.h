#pragma once

#include <string>

namespace welcomer {

/// Loads a shared object by absolute path; null for a relative path or when it cannot be
/// loaded. Libraries stay loaded until the process ends.
void* LoadLibraryAt(const std::string& absolutePath);

/// The address of the exported symbol `name`, or null.
void* FindLibrarySymbol(void* library, const char* name);

}  // namespace welcomer
