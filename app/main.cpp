#include <clocale>
#include <cstdio>

#include "app/ConventionalOptions.h"
#include "app/Init_Unit.h"
#include "app/LazyUi.h"
#include "app/StateStore.h"
#include "netware/MessageBox.h"
#include "platform/Clock.h"
#include "platform/FileSearch.h"
#include "platform/LocaleFormat.h"
#include "platform/ProcessLauncher.h"
#include "platform/ProgramFolder.h"
#include "platform/UserLock.h"

int main(int argc, char** argv) {
  using namespace welcomer;
  const std::vector<std::string> arguments = ArgumentsFrom(argc, argv);
  // Answered before anything else, so that asking for help loads no GUI and touches no state.
  // Plain C streams: every login would pay for the start-up of the C++ ones.
  if (const std::optional<int> answered = AnswerConventionalOption(arguments, stdout, stderr))
    return *answered;

  // The run-once record is dated in the user's own month names and separators.
  std::setlocale(LC_TIME, "");

  LazyUi ui(argc, argv, ProgramLibraryFolder());
  SetMessageBoxPresenter(&ui);

  PosixFileSearcher files;
  PosixProcessLauncher launcher;
  SystemClock clock;
  PosixUserLock userLock;
  StartUpServices services{files, launcher, clock, CurrentDateTimeFormat()};
  services.userLock = &userLock;
  RunState state;
  const StartUpResult result = StartUp(arguments, state, services);

  int exitCode = result.exitCode;
  if (result.showWindow) {
    exitCode = ui.RunInformationWindow(state);
    // What the directory answered to the acknowledgements, now that the window is gone.
    ShowClientNotices(state.NetWareClient.get(), state.Verbose);
  }
  SetMessageBoxPresenter(nullptr);
  return exitCode;
}
