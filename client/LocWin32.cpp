// The locale entry points. Texts pass through this client as the caller's 8-bit bytes, so the
// Unicode tables are only a state to keep; the locale block tells the caller what it runs in.

#include <langinfo.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "client/EntryPoint.h"
#include "netware/ClientAbi.h"

using namespace welcomer::client;

namespace {

constexpr size_t kLocaleBlockSize = 132;
constexpr size_t kCodePageOffset = 56;
constexpr size_t kCountryOffset = 60;

// The territory of the user's locale ("de_DE.UTF-8" gives "DE"), from the environment since the
// caller may not have set its own locale yet.
std::string Territory() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || value[0] == '\0')
      continue;
    std::string name = value;
    const size_t underscore = name.find('_');
    if (underscore == std::string::npos)
      return std::string();
    return name.substr(underscore + 1, 2);
  }
  return std::string();
}

// Telephone country codes, the numbering the locale block uses; 1 where the territory is not
// known.
int32_t CountryCode(const std::string& territory) {
  static const struct {
    const char* territory;
    int32_t code;
  } kCountries[] = {{"US", 1},  {"CA", 2},  {"NL", 31}, {"BE", 32}, {"FR", 33}, {"ES", 34},
                    {"IT", 39}, {"CH", 41}, {"AT", 43}, {"GB", 44}, {"DK", 45}, {"SE", 46},
                    {"NO", 47}, {"PL", 48}, {"DE", 49}, {"BR", 55}, {"AU", 61}, {"JP", 81}};
  for (const auto& country : kCountries)
    if (territory == country.territory)
      return country.code;
  return 1;
}

int32_t CodePage() {
  const char* codeset = ::nl_langinfo(CODESET);
  if (codeset != nullptr && std::strcmp(codeset, "UTF-8") == 0)
    return 65001;
  return 1252;
}

}  // namespace

extern "C" {

int32_t NWLlocaleconv(void* lconv132) {
  if (lconv132 == nullptr)
    return kNWErrNullPointer;
  unsigned char* block = static_cast<unsigned char*>(lconv132);
  std::memset(block, 0, kLocaleBlockSize);
  const int32_t codePage = CodePage();
  const int32_t country = CountryCode(Territory());
  std::memcpy(block + kCodePageOffset, &codePage, sizeof codePage);
  std::memcpy(block + kCountryOffset, &country, sizeof country);
  return 0;
}

int32_t NWInitUnicodeTables(int32_t, int32_t) {
  return 0;
}

int32_t NWFreeUnicodeTables(void) {
  return 0;
}

}  // extern "C"
