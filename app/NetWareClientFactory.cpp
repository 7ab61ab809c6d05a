#include "app/DirectoryClient.h"
#include "app/NoDirectoryClient.h"

namespace welcomer {

std::unique_ptr<DirectoryClient> CreateNetWareClient() {
  // The directory client layers are not bound yet: run as on a machine without the client.
  return std::make_unique<NoDirectoryClient>();
}

}  // namespace welcomer
