#include "platform/ProcessLauncher.h"

namespace welcomer {

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> words;
  size_t pos = 0;
  while (pos < commandLine.size()) {
    size_t start = commandLine.find_first_not_of(' ', pos);
    if (start == std::string::npos)
      break;
    size_t end = commandLine.find(' ', start);
    if (end == std::string::npos)
      end = commandLine.size();
    words.push_back(commandLine.substr(start, end - start));
    pos = end;
  }
  return words;
}

}  // namespace welcomer
