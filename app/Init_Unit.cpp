#include "app/Init_Unit.h"

#include "app/FileSelection.h"
#include "app/RunOnce.h"
#include "app/StateStore.h"
#include "app/Version.h"
#include "netware/Nwtools.h"
#include "platform/AsciiText.h"

namespace welcomer {
namespace {

constexpr int kUsageExitCode = 10;

StartUpResult Exit(int code) {
  return StartUpResult{false, code};
}

void Release(RunState& state) {
  state.DisplayList.Clear();
  state.StoredEntries.Clear();
  state.NetWareClient.reset();
}

// Releases the user's lock on every way out of start-up.
class HeldLock {
 public:
  ~HeldLock() { Release(); }
  void Take(UserLock* lock, bool verbose) {
    std::string reason;
    if (lock != nullptr && lock->Acquire(kUserLockWait, reason))
      lock_ = lock;
    else if (lock != nullptr && verbose)
      ShowInfo("Going on without the lock of this user: " + reason);
  }
  void Release() {
    if (lock_ != nullptr)
      lock_->Release();
    lock_ = nullptr;
  }

 private:
  UserLock* lock_ = nullptr;
};

// The window cannot store a record longer than the directory takes; say so before it is shown.
void ReportUnrecordablePages(const StringList& list) {
  std::string paths;
  for (size_t i = 0; i < list.Count(); ++i) {
    if (!FileRecordFits(list[i]))
      paths += std::string(NameOf(list[i])) + "\r\n";
  }
  if (!paths.empty())
    ShowInfo("These paths are too long to be remembered, so their pages show at every login:\r\n" +
             paths);
}

StartUpResult ReleaseAndShowUsage(RunState& state) {
  Release(state);
  return Exit(ShowUsage());
}

// Takes the entry after `option` as its value and deletes both. False when nothing follows.
bool TakeOptionValue(StringList& list, size_t optionIndex, StringList::Item& value) {
  if (optionIndex + 1 >= list.Count())
    return false;
  value = list.Items()[optionIndex + 1];
  list.Delete(optionIndex);
  // The first entry equal to the value goes, which need not be the one after the option.
  int valueIndex = list.IndexOf(value.text);
  if (valueIndex >= 0)
    list.Delete(static_cast<size_t>(valueIndex));
  return true;
}

}  // namespace

std::string UsageText() {
  const std::vector<std::string> lines = {
      std::string("Welcomer ") + kVersion + " Usage:",
      "",
      "Welcomer [/v] [/remove|[[/ro \"command\"] [/f] [/nt \"text\" ] [[/@ "
      "dir|file|pattern]|[textfile ...]]]",
      "/ro command\t\truns command once for each user (use to set up initial settings)",
      "\t\texample: /ro \"command /cdir h:\\\"",
      "/remove\t\tremoves all entries made by Welcomer from NDS",
      "/v\t\tdo display confirmative messages and",
      "\t\tverbose debugging information",
      "/f\t\tforce - display all files and run program regardless of timestamp",
      "\t\tand do not change status in NDS (do not use this with /remove)",
      "/nt\t\tset text to be shown next to the Checkbox",
      "\t\t(use _ for Capitals and && for underline).",
      "\t\tExample: \"_thi&&s is a text\" -> \"Thi&s is a text\"",
      "file\t\tfile(s) are displayed each time they change",
      "/@ dir\\\t\tdisplays all files in dir (except system && hidden files)",
      "/@ file\t\tdisplays file only (same as without /@)",
      "/@ dir\\pattern\tshow only files that match this dir\\pattern (e.g. XXX\\*.*)",
      "",
      "Files can be text files or BMP files. The file extension is irrelevant.",
      "Printing is done using the associated program (identified via the extension)",
      "If no external program is found, Welcomer uses an internal mechanism.",
      "The files are shown in the order found. Give the files names like a_, b_ etc. to set it.",
      "Timestamps for each textfile are stored in NDS in the \"" + AttributeName(kStateAttribute) +
          "\" attribute",
  };
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0)
      text += "\r\n";
    text += lines[i];
  }
  return text;
}

int ShowUsage() {
  ShowInfo(UsageText());
  return kUsageExitCode;
}

std::string TransformCaption(const std::string& text) {
  std::string caption = LowerCaseAscii(text);
  for (size_t i = 0; i < caption.size(); ++i) {
    if (i + 1 < caption.size() && caption[i] == '_') {
      caption.erase(i, 1);
      if (caption[i] >= 'a' && caption[i] <= 'z')
        caption[i] = static_cast<char>(caption[i] - 32);
    }
  }
  return caption;
}

StartUpResult StartUp(const std::vector<std::string>& arguments, RunState& state,
                      StartUpServices& services) {
  if (arguments.empty())
    return Exit(ShowUsage());
  if (arguments[0].find('?') != std::string::npos)
    return Exit(ShowUsage());

  state.NetWareClient = services.createNetWareClient();
  state.DisplayList.Clear();
  state.StoredEntries.Clear();
  StringList& list = state.DisplayList;
  for (size_t i = 0; i < arguments.size(); ++i) {
    list.Add(UpperCaseAscii(arguments[i]), static_cast<int>(i));
  }

  bool verbose = false;
  if (int index = list.IndexOf("/V"); index >= 0) {
    list.Delete(static_cast<size_t>(index));
    verbose = true;
  }
  state.Verbose = verbose;

  state.ForceMode = false;
  if (int index = list.IndexOf("/F"); index >= 0) {
    list.Delete(static_cast<size_t>(index));
    state.ForceMode = true;
    // Checked before anything touches the directory.
    if (list.IndexOf("/REMOVE") >= 0)
      return ReleaseAndShowUsage(state);
  }

  // Only the run-once record needs the lock, and force mode stores none. Held until the record
  // is stored, since two logins that read at once would both find none.
  HeldLock userLock;
  if (!state.ForceMode && list.IndexOf("/RO") >= 0)
    userLock.Take(services.userLock, verbose);

  if (!state.ForceMode) {
    ReadStateEntries(state.NetWareClient.get(), state.StoredEntries);
    if (verbose) {
      ShowInfo("Config found in NDS:\r\n" + state.StoredEntries.Text());
      // Without a reason a user who sees every page at every login cannot tell a missing
      // client from an empty state.
      const std::string why =
          state.NetWareClient ? state.NetWareClient->WhyUnusable() : std::string();
      if (!why.empty())
        ShowInfo("No state can be kept: " + why);
    }
  }
  ShowClientNotices(state.NetWareClient.get(), verbose);

  if (int index = list.IndexOf("/REMOVE"); index >= 0) {
    if (!state.StoredEntries.Empty()) {
      RemoveAllStateEntries(state.NetWareClient.get(), state.StoredEntries, verbose);
      ShowClientNotices(state.NetWareClient.get(), verbose);
    }
    // With nothing stored there is nothing to remove, and nothing else was asked for.
    Release(state);
    return Exit(0);
  }

  state.CheckboxCaption = kDefaultCheckboxCaption;
  if (int index = list.IndexOf("/NT"); index >= 0) {
    StringList::Item caption;
    if (!TakeOptionValue(list, static_cast<size_t>(index), caption)) {
      return ReleaseAndShowUsage(state);
    }
    state.CheckboxCaption = TransformCaption(caption.text);
  }

  if (int index = list.IndexOf("/RO"); index >= 0) {
    StringList::Item command;
    if (!TakeOptionValue(list, static_cast<size_t>(index), command)) {
      return ReleaseAndShowUsage(state);
    }
    // Started in the letter case it was typed in: an upper-cased command line names no program
    // here. The record keeps the upper-cased form.
    const std::string typed =
        command.tag >= 0 ? arguments[static_cast<size_t>(command.tag)] : command.text;
    RunOnceServices runOnce{state.NetWareClient.get(), services.clock, services.dateTimeFormat,
                            services.launcher};
    RunOnceCommand(command.text, typed, state.StoredEntries, verbose, state.ForceMode, runOnce);
  }
  userLock.Release();

  if (list.Empty()) {
    Release(state);
    return Exit(0);
  }

  bool atGiven = false;
  if (int index = list.IndexOf("/@"); index >= 0) {
    if (static_cast<size_t>(index) + 1 >= list.Count())
      return ReleaseAndShowUsage(state);
    atGiven = true;
    // Searched as typed; the entries' keys are upper-cased all the same.
    const StringList::Item& given = list.Items()[static_cast<size_t>(index) + 1];
    const std::string searchPath =
        given.tag >= 0 ? arguments[static_cast<size_t>(given.tag)] : given.text;
    SelectBySearchPath(searchPath, list, verbose, services.files);
  } else {
    SelectByArguments(list, arguments, verbose, services.files);
  }

  if (list.Empty()) {
    Release(state);
    if (AskYesNo(NoFileQuestion(atGiven)))
      return Exit(ShowUsage());
    return Exit(0);
  }

  if (!state.ForceMode) {
    // Thousands of stale records would otherwise cost a sync each before the window shows.
    // What is not kept only shows the page again, as a failed removal does.
    if (state.NetWareClient)
      state.NetWareClient->BeginChanges();
    DetectChanges(list, state.StoredEntries, verbose, state.NetWareClient.get());
    if (state.NetWareClient)
      state.NetWareClient->EndChanges();
    ShowClientNotices(state.NetWareClient.get(), verbose);
  }
  if (list.Empty()) {
    Release(state);
    return Exit(0);
  }
  if (verbose && !state.ForceMode)
    ReportUnrecordablePages(list);
  if (verbose)
    ShowInfo("Files to display:\r\n" + list.Text());
  state.CurrentPage = 0;
  return StartUpResult{true, 0};
}

}  // namespace welcomer

namespace welcomer {

std::vector<std::string> ArgumentsFrom(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    if (argv[i] != nullptr && argv[i][0] != '\0')
      arguments.emplace_back(argv[i]);
  }
  return arguments;
}

}  // namespace welcomer
