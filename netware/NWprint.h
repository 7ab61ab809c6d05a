#pragma once

#include <string>

namespace welcomer {

/// The print layer. It offers no operation the program uses; its error code is never set.
class TNWPrint {
 public:
  /// The layer's last error code as hexadecimal text: always "0000".
  std::string LastErrorText() const;
};

}  // namespace welcomer
