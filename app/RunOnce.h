#pragma once

#include <string>

#include "app/DirectoryClient.h"
#include "app/StringList.h"
#include "platform/Clock.h"
#include "platform/LocaleFormat.h"
#include "platform/ProcessLauncher.h"

namespace welcomer {

/// "dd/mmm/yyyy hh:nn:ss" with the locale's month abbreviation and separators.
std::string FormatRunOnceTime(const LocalDateTime& time, const DateTimeFormat& format);

/// The complete run-once record for `command` run at `time`.
std::string RunOnceRecord(const LocalDateTime& time, const DateTimeFormat& format,
                          const std::string& command);

/// What running the command once needs from outside.
struct RunOnceServices {
  DirectoryClient* client = nullptr;  ///< where the record goes; may be null
  Clock& clock;
  const DateTimeFormat& format;
  ProcessLauncher& launcher;
};

/// Runs `command` unless `storedEntries` holds a run-once record with a value: stores the record
/// first (upper-cased `command`), then starts `typedCommand`, the same words in the letter case
/// they were typed in. In verbose mode reports the start. Silent when it has run before.
void RunOnceCommand(const std::string& command, const std::string& typedCommand,
                    const StringList& storedEntries, bool verbose, RunOnceServices& services);

}  // namespace welcomer
