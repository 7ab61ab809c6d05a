#pragma once

#include <string>
#include <vector>

namespace welcomer {

/// Starts programs without waiting for them.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  /// Starts `commandLine`: its first blank-separated word names the program, found on the
  /// search path; the other words are its arguments. Returns whether the start was handed off;
  /// the caller never learns more.
  virtual bool StartDetached(const std::string& commandLine) = 0;
};

/// Splits a command line at runs of blanks; no quoting, no shell.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

/// Starts the program in a session of its own, standard input from /dev/null, in the current
/// directory, and leaves it to the system to reap: no zombie stays behind while the window is
/// up.
class PosixProcessLauncher : public ProcessLauncher {
 public:
  bool StartDetached(const std::string& commandLine) override;
};

}  // namespace welcomer
