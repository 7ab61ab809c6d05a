#include "tests/support/FakeTerminal.h"

namespace welcomer::testing {

void FakeTerminal::Type(std::string_view typed) {
  for (const char c : typed)
    keys.push_back({TerminalKey::Kind::kByte, static_cast<unsigned char>(c)});
}

bool FakeTerminal::Write(std::string_view bytes) {
  written.append(bytes);
  return true;
}

TerminalKey FakeTerminal::ReadKey() {
  beforeKeys.push_back(written.substr(shownUpTo_));
  shownUpTo_ = written.size();
  if (keys.empty())
    return {TerminalKey::Kind::kEndOfInput, 0};
  const TerminalKey key = keys.front();
  keys.pop_front();
  return key;
}

}  // namespace welcomer::testing
