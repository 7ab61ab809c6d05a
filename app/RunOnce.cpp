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

// The longest start of `text` within `limit` bytes that does not end inside a UTF-8 character:
// a directory that keeps its values as UTF-8 refuses a broken one.
std::string CutToFit(const std::string& text, size_t limit) {
  if (text.size() <= limit)
    return text;
  size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
    --end;
  return text.substr(0, end);
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
                          const std::string& command, bool* shortened) {
  const std::string head = std::string(kRunOnceKey) + "=" + FormatRunOnceTime(time, format) + " (";
  const size_t room = kMaxEntryLength > head.size() + 1 ? kMaxEntryLength - head.size() - 1 : 0;
  const std::string kept = CutToFit(command, room);
  if (shortened != nullptr)
    *shortened = kept.size() < command.size();
  return head + kept + ")";
}

void RunOnceCommand(const std::string& command, const std::string& typedCommand,
                    const StringList& storedEntries, bool verbose, bool forceMode,
                    RunOnceServices& services) {
  if (!StoredRunOnceValue(storedEntries).empty())
    return;

  // A trial run with /f must not switch the real command off for this user.
  bool stored = false;
  bool shortened = false;
  if (!forceMode) {
    // One reading of the clock gives both date and time, so a run at midnight cannot pair one
    // day's date with the next day's time.
    stored = AddStateEntry(
        services.client, RunOnceRecord(services.clock.Now(), services.format, command, &shortened));
  }
  // The record goes first: a command that cannot start still counts as run, so that a broken
  // command is not retried at every login.
  std::string failure;
  const bool started = services.launcher.StartDetached(typedCommand, failure);
  if (!verbose)
    return;
  if (!forceMode && !stored) {
    const std::string why = services.client != nullptr ? services.client->WhyUnusable() : "";
    ShowError("Could not store that the command has run, so it runs again at the next login" +
              (why.empty() ? std::string() : ": " + why));
  } else if (shortened) {
    ShowInfo("The command is too long for its record and is stored shortened");
  }
  if (started)
    ShowInfo("Succesfully launched external command \"" + command + "\"");
  else
    ShowError("Could not launch external command \"" + command + "\": " + failure);
}

}  // namespace welcomer
