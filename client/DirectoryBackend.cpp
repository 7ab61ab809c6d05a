#include "client/DirectoryBackend.h"

namespace welcomer::client {

bool IsStringSyntax(uint32_t syntax) {
  switch (syntax) {
    case kSynDistName:
    case kSynCeString:
    case kSynCiString:
    case kSynPrString:
    case kSynNuString:
    case kSynClassName:
      return true;
    default:
      return false;
  }
}

bool IsWordSyntax(uint32_t syntax) {
  switch (syntax) {
    case kSynBoolean:
    case kSynInteger:
    case kSynCounter:
    case kSynTime:
    case kSynInterval:
      return true;
    default:
      return false;
  }
}

bool IgnoresCase(uint32_t syntax) {
  return IsStringSyntax(syntax) && syntax != kSynCeString;
}

}  // namespace welcomer::client
