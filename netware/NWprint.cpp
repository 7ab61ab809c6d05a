#include "netware/NWprint.h"

#include <cstdint>

#include "netware/ClientBinding.h"

namespace welcomer {
namespace {

// Nothing in this layer calls the client, so nothing ever sets it.
const int32_t lastErrorCode = 0;

}  // namespace

std::string TNWPrint::LastErrorText() const {
  return ErrorCodeText(lastErrorCode);
}

}  // namespace welcomer
