#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/NetWareClient.h"
#include "app/StringList.h"
#include "platform/Clock.h"
#include "platform/FileSearch.h"
#include "platform/LocaleFormat.h"
#include "platform/ProcessLauncher.h"
#include "platform/UserLock.h"

namespace welcomer {

/// The check-box caption when `/nt` gives none.
inline constexpr const char* kDefaultCheckboxCaption = "&Show this message next time I login";

/// What start-up hands to the information window, and what the window changes.
struct RunState {
  /// First the upper-cased arguments (each tagged with its position on the command line), then
  /// one path=stamp entry per page to show.
  StringList DisplayList;
  /// The user's state entries as read at start-up; empty in force mode.
  StringList StoredEntries;
  /// Zero-based index into DisplayList of the page on show.
  int CurrentPage = 0;
  /// `/f`: every found file is shown, nothing is read or stored.
  bool ForceMode = false;
  /// `/v`: what the client tells of the state is shown as well.
  bool Verbose = false;
  /// Caption of the show-next check box; "&" marks the mnemonic.
  std::string CheckboxCaption = kDefaultCheckboxCaption;
  /// The NetWare client; the state store acts on its LoginID. The type is qualified because the
  /// member takes its name.
  std::unique_ptr<welcomer::NetWareClient> NetWareClient;
};

/// The outside world start-up works through; tests hand in their own.
struct StartUpServices {
  FileSearcher& files;
  ProcessLauncher& launcher;
  Clock& clock;
  DateTimeFormat dateTimeFormat;
  std::function<std::unique_ptr<NetWareClient>()> createNetWareClient = CreateNetWareClient;
  /// Held from reading the state through storing the run-once record, so that two logins of
  /// one user at the same moment start the command once; none: no lock is taken.
  UserLock* userLock = nullptr;
};

/// How long start-up waits for another run of the same user to store its run-once record.
inline constexpr std::chrono::milliseconds kUserLockWait{5000};

/// How start-up ended.
struct StartUpResult {
  bool showWindow = false;  ///< the window is to show state.DisplayList
  int exitCode = 0;         ///< the process's exit code when the window is not shown
};

/// Works through the command line `arguments` (the program name excluded): options, the user's
/// state, `/remove`, `/nt`, `/ro`, file selection and change detection. Shows every message box
/// of the way. On an early end the lists and the client are released and the exit code given.
StartUpResult StartUp(const std::vector<std::string>& arguments, RunState& state,
                      StartUpServices& services);

/// The usage text, lines joined by carriage return and line feed.
std::string UsageText();

/// Shows the usage text; returns the exit code that follows it, 10.
int ShowUsage();

/// The `/nt` caption rule: lower-case the text, then let each "_" that is not the last character
/// vanish and capitalise the character after it.
std::string TransformCaption(const std::string& text);

}  // namespace welcomer

namespace welcomer {

/// The program's arguments from main's argv, the program name left out. An empty argument is
/// no argument, as an empty quoted word on a login script's command line is none.
std::vector<std::string> ArgumentsFrom(int argc, char** argv);

}  // namespace welcomer
