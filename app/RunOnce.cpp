#include "app/RunOnce.h"

#include <cstdio>

#include "app/StateStore.h"
#include "netware/Nwtools.h"

namespace welcomer {
namespace {

std::string TwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

}  // namespace

std::string FormatRunOnceTime(const LocalDateTime& time, const DateTimeFormat& format) {
  const int monthIndex = (time.month >= 1 && time.month <= 12) ? time.month - 1 : 0;
  char year[16];
  std::snprintf(year, sizeof year, "%04d", time.year);
  return TwoDigits(time.day) + format.dateSeparator + format.shortMonthNames[monthIndex] +
         format.dateSeparator + year + " " + TwoDigits(time.hour) + format.timeSeparator +
         TwoDigits(time.minute) + format.timeSeparator + TwoDigits(time.second);
}

std::string RunOnceRecord(const LocalDateTime& time, const DateTimeFormat& format,
                          const std::string& command) {
  return std::string(kRunOnceKey) + "=" + FormatRunOnceTime(time, format) + " (" + command + ")";
}

void RunOnceCommand(const std::string& command, const std::string& typedCommand,
                    const StringList& storedEntries, bool verbose, RunOnceServices& services) {
  if (!storedEntries.Value(kRunOnceKey).empty())
    return;

  // One reading of the clock gives both date and time, so a run at midnight cannot pair one
  // day's date with the next day's time.
  AddStateEntry(services.client, RunOnceRecord(services.clock.Now(), services.format, command));
  // The record goes first: a command that cannot start still counts as run.
  services.launcher.StartDetached(typedCommand);
  if (verbose)
    ShowInfo("Succesfully launched external command \"" + command + "\"");
}

}  // namespace welcomer
