#pragma once

#include <string>
#include <vector>

namespace welcomer {

/// Starts programs without waiting for them.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  /// Starts `commandLine`: its first blank-separated word names the program, found on the
  /// search path; the other words are its arguments. True when the program is running; false
  /// when it could not be started, with the reason in plain words in `reason`. The caller never
  /// learns how the program ends.
  virtual bool StartDetached(const std::string& commandLine, std::string& reason) = 0;
};

/// Splits a command line at runs of blanks; no quoting, no shell.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

/// Starts the program in a session of its own, standard input from /dev/null, in the current
/// directory, and leaves it to the system to reap: no zombie stays behind while the window is
/// up. Waits only until the program has replaced the helper process, so that a program that
/// cannot be run (missing, not executable) is reported with the system's reason.
class PosixProcessLauncher : public ProcessLauncher {
 public:
  bool StartDetached(const std::string& commandLine, std::string& reason) override;
};

}  // namespace welcomer
