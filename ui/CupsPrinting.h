#pragma once

#include "ui/Printing.h"

namespace welcomer {

/// Prints through CUPS: the file goes to the default destination as it is, and CUPS picks a
/// filter by the file's type. Without a default destination, or when CUPS refuses the job,
/// nothing is printed.
class CupsFilePrintService : public FilePrintService {
 public:
  bool PrintFile(const std::string& path) override;
};

}  // namespace welcomer
