#pragma once

#include <memory>
#include <string_view>

namespace welcomer {

/// The terminal's size in character cells; 0 where it does not say.
struct TerminalSize {
  int columns = 0;
  int rows = 0;
};

/// One thing the user did at the keyboard.
struct TerminalKey {
  enum class Kind {
    kByte,        ///< a byte of input, in `byte`
    kEndOfInput,  ///< Ctrl-D, or the terminal went away
    kInterrupt,   ///< Ctrl-C, or the process was told to end (hang-up, termination)
  };
  Kind kind = Kind::kByte;
  unsigned char byte = 0;
};

/// The user's terminal, in a mode where single keys can be read: standard input for keys,
/// standard output for text. The terminal's own modes come back when the object goes.
class Terminal {
 public:
  virtual ~Terminal() = default;
  virtual TerminalSize Size() = 0;
  /// True when the terminal understands the common video attributes (bold, reverse).
  virtual bool HasAttributes() = 0;
  /// Writes the bytes as they are. False when the terminal is gone.
  virtual bool Write(std::string_view bytes) = 0;
  /// Waits for the next key; keys are not echoed. Once an interrupt came, every later call
  /// returns kInterrupt at once.
  virtual TerminalKey ReadKey() = 0;
};

/// True when standard input and standard output are both terminals: someone is there to read
/// and answer.
bool StandardStreamsAreTerminals();

/// The terminal on standard input and output, switched to single keys without echo; null when
/// either stream is not a terminal or a terminal is open already. Until it is destroyed,
/// Ctrl-C, hang-up, quit and termination no longer end the process but come as kInterrupt, and
/// a suspended process gives the terminal its modes back while it is stopped.
std::unique_ptr<Terminal> OpenStandardTerminal();

}  // namespace welcomer
