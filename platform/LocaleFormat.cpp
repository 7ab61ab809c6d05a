#include "platform/LocaleFormat.h"

namespace welcomer {

std::string SeparatorOf(const std::string& format, const std::string& fallback) {
  // Skip the first conversion ("%d", "%-d", "%Ey", ...), then take the literal text up to the
  // next one.
  size_t i = format.find('%');
  if (i == std::string::npos)
    return fallback;
  ++i;
  while (i < format.size() && (format[i] == '-' || format[i] == '_' || format[i] == '0' ||
                               format[i] == 'E' || format[i] == 'O')) {
    ++i;
  }
  if (i >= format.size())
    return fallback;
  const size_t start = i + 1;
  const size_t end = format.find('%', start);
  std::string separator = format.substr(start, end == std::string::npos ? end : end - start);
  return separator.empty() ? fallback : separator;
}

}  // namespace welcomer
