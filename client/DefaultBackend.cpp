#include "client/DirectoryBackend.h"
#include "client/SqliteBackend.h"

namespace welcomer::client {

std::unique_ptr<DirectoryBackend> CreateDefaultBackend() {
  return std::make_unique<SqliteBackend>(CurrentProcessAccount(), std::string());
}

}  // namespace welcomer::client
