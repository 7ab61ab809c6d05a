#pragma once

#include <string>

namespace welcomer {

/// Loads a shared object by absolute path; null for a relative path or when it cannot be
/// loaded, with the loader's reason in `failure` when given. Libraries stay loaded until the
/// process ends.
void* LoadLibraryAt(const std::string& absolutePath, std::string* failure = nullptr);

/// The address of the exported symbol `name`, or null.
void* FindLibrarySymbol(void* library, const char* name);

}  // namespace welcomer
