#pragma once

#include <string>

#include "app/NetWareClient.h"
#include "app/StringList.h"
#include "platform/Clock.h"
#include "platform/LocaleFormat.h"
#include "platform/ProcessLauncher.h"

namespace welcomer {

/// "dd/mmm/yyyy hh:nn:ss" with the locale's month abbreviation and separators.
std::string FormatRunOnceTime(const LocalDateTime& time, const DateTimeFormat& format);

/// The run-once record for `command` run at `time`. When the whole would be longer than the
/// directory takes (kMaxEntryLength), the command inside the parentheses is cut to fit, never
/// inside a UTF-8 character, and `shortened` (when given) is set; the already-run test looks at
/// the key only, so a cut command still counts.
std::string RunOnceRecord(const LocalDateTime& time, const DateTimeFormat& format,
                          const std::string& command, bool* shortened = nullptr);

/// What running the command once needs from outside.
struct RunOnceServices {
  NetWareClient* client = nullptr;  ///< where the record goes; may be null
  Clock& clock;
  const DateTimeFormat& format;
  ProcessLauncher& launcher;
};

/// Runs `command` unless `storedEntries` holds a run-once record with a value: stores the record
/// first (upper-cased `command`), then starts `typedCommand`, the same words in the letter case
/// they were typed in. `forceMode` runs it without storing anything. In verbose mode reports the
/// start or why it failed, a record that could not be stored, and a command shortened in its
/// record. Silent when it has run before.
void RunOnceCommand(const std::string& command, const std::string& typedCommand,
                    const StringList& storedEntries, bool verbose, bool forceMode,
                    RunOnceServices& services);

}  // namespace welcomer
