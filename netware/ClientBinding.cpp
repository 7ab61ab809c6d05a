#include "netware/ClientBinding.h"

#include <cstdio>

namespace welcomer {

std::string ErrorCodeText(int32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "%04X", static_cast<uint32_t>(code));
  return text;
}

std::string IdText(uint32_t id) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%X", id);
  return digits;
}

}  // namespace welcomer
