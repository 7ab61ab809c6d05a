#pragma once

#include "app/Init_Unit.h"

namespace welcomer {

/// The pages in the terminal, for logins without a display (SSH, the console). The module that
/// holds it links the text libraries the window does not need to pay for, so it is loaded only
/// when the pages go to a terminal.
class TerminalModule {
 public:
  virtual ~TerminalModule() = default;

  /// Shows the pages of state.DisplayList on the terminal of standard input and output, each
  /// followed by the show-next question unless in force mode, and stores the acknowledged
  /// pages as the information window does, also when the user stops early. Releases the lists.
  /// Returns the process's exit code.
  virtual int RunPages(RunState& state) = 0;
};

/// The module's file in the program's library folder.
inline constexpr const char* kTerminalModuleFileName = "libwelcomer-terminal.so";

/// The module's one exported function: makes the module's TerminalModule, which lives as long as
/// the process.
inline constexpr const char* kTerminalModuleEntryName = "WelcomerCreateTerminalModule";
extern "C" {
using CreateTerminalModuleFunction = TerminalModule* (*)();
}

}  // namespace welcomer
