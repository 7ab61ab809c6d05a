#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Terminal.h"

namespace welcomer::testing {

/// A terminal that answers from a queue of keys (end of input once it is empty) and records
/// what was written, also cut at each key the program waited for.
class FakeTerminal : public Terminal {
 public:
  /// Queues the bytes of `keys`, one key each.
  void Type(std::string_view keys);
  /// Queues an end of input or an interrupt.
  void Press(TerminalKey::Kind kind) { keys.push_back({kind, 0}); }

  TerminalSize Size() override { return size; }
  bool HasAttributes() override { return false; }
  bool Write(std::string_view bytes) override;
  TerminalKey ReadKey() override;

  TerminalSize size{80, 24};
  std::deque<TerminalKey> keys;
  /// Everything written.
  std::string written;
  /// What was written before each key was read, since the key before it.
  std::vector<std::string> beforeKeys;

 private:
  size_t shownUpTo_ = 0;
};

}  // namespace welcomer::testing
