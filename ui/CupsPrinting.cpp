#include "ui/CupsPrinting.h"

#include <cups/cups.h>

#include <filesystem>

#include "platform/PathCase.h"

namespace welcomer {

bool CupsFilePrintService::PrintFile(const std::string& path) {
  const std::string resolved = ResolvePathIgnoringCase(path);
  cups_dest_t* destinations = nullptr;
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &destinations);
  const cups_dest_t* destination = cupsGetDest(nullptr, nullptr, count, destinations);
  int job = 0;
  if (destination != nullptr) {
    const std::string title = std::filesystem::path(resolved).filename().string();
    job = cupsPrintFile2(CUPS_HTTP_DEFAULT, destination->name, resolved.c_str(), title.c_str(),
                         destination->num_options, destination->options);
  }
  cupsFreeDests(count, destinations);
  return job > 0;
}

}  // namespace welcomer
