// The argument list through start-up, over a folder of real files laid out once, with the other
// seams faked: the launcher only notes what it would start, the clock is fixed, the user's state
// lives in memory and message boxes are answered from the input. Besides faults it looks for
// broken promises: an exit code other than 0 and 10, a command run twice, state touched in force
// mode, a page shown although its record says it was seen.

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/FileSelection.h"
#include "app/Init_Unit.h"
#include "app/StateStore.h"
#include "platform/AsciiText.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/FakeServices.h"
#include "tests/support/TempDir.h"

using namespace welcomer;
using namespace welcomer::testing;

namespace {

PosixFileSearcher files;
std::vector<std::string> words;    // arguments as administrators type them
std::vector<std::string> records;  // the pages' records as they stand or stale, and others

// The first entry whose key, up to its first "=", is the run-once key holds a command that ran.
bool RunOnceRecorded(const StringList& entries) {
  for (const StringList::Item& item : entries.Items()) {
    const size_t eq = item.text.find('=');
    if (eq != std::string::npos && SameTextAscii(item.text.substr(0, eq), kRunOnceKey))
      return eq + 1 < item.text.size();
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Stamps hold local times: the same input must give the same stamps wherever it runs.
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  // What administrators put in a folder of messages: twins but for case, a hidden file, a
  // subfolder, a name that holds "=".
  static TempDir folder;
  const std::string motd = folder.MakeDir("motd");
  folder.MakeDir("motd/sub");
  size_t length = 0;
  for (const char* name : {"a_hi.txt", "B_x.txt", "b_X.txt", ".hidden", "c=d.txt"}) {
    folder.WriteFile(std::string("motd/") + name, std::string(++length, '.'));
    folder.SetModified(std::string("motd/") + name, 921486600);
  }
  // The paths (those that begin with "m") lead into that folder.
  for (const char* word : {"/v", "/f", "/remove", "/nt", "_a&b c", "/ro", "setup --now", "/@", "/?",
                           "motd", "MOTD/", "motd/a_*", "motd/*.*", "motd/B_x.txt", "motd/b_x.txt",
                           "motd/.hidden", "motd/sub", "motd/c=d.txt", "missing"})
    words.push_back(std::toupper(word[0]) == 'M' ? folder / word : word);
  records = {"Welcomer.RunOnce=05/Dec/2026 12:39:52 (SETUP)", "welcomer.runonce=x", "Building 4"};
  for (const char* name : {"/a_hi.txt", "/B_x.txt", "/c=d.txt"}) {
    const std::string key = std::string(kFileRecordPrefix) + UpperCaseAscii(motd + name);
    records.push_back(key + "=" + FileStamp(files.Find(motd + name).front()));
    records.push_back(key + "=0 0");
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  FakeNetWareClient directory;
  StringList stored;
  for (int i = in.ConsumeIntegralInRange(0, 6); i > 0; --i) {
    directory.values.push_back(in.ConsumeBool()
                                   ? records[in.ConsumeIntegral<uint8_t>() % records.size()]
                                   : TakeCString(in, 300));
    if (directory.values.back().starts_with(kStatePrefix))
      stored.Add(directory.values.back());
  }
  RecordingMessageBoxes boxes;
  for (int i = in.ConsumeIntegralInRange(0, 2); i > 0; --i)
    boxes.answers.push_back(in.ConsumeBool());
  std::vector<std::string> arguments;
  for (int i = in.ConsumeIntegralInRange(0, 8); i > 0; --i) {
    const uint8_t choice = in.ConsumeIntegral<uint8_t>();
    arguments.push_back(choice < 224 ? words[choice % words.size()] : TakeCString(in, 300));
    // An empty argument is none.
    if (arguments.back().empty())
      arguments.pop_back();
  }

  RecordingLauncher launcher;
  FixedClock clock({2026, 12, 5, 12, 39, 52});
  StartUpServices services{files, launcher, clock, DateTimeFormat{},
                           [&] { return std::make_unique<ForwardingNetWareClient>(directory); }};
  RunState state;
  const StartUpResult result = StartUp(arguments, state, services);

  FuzzCheck(result.exitCode == 0 || (result.exitCode == 10 && !boxes.shown.empty() &&
                                     boxes.shown.back().text == UsageText()),
            "start-up ends with 0, or with 10 after the usage text");
  const bool force =
      std::any_of(arguments.begin(), arguments.end(),
                  [](const std::string& argument) { return SameTextAscii(argument, "/f"); });
  FuzzCheck(launcher.started.size() <= 1, "one command at most");
  FuzzCheck(launcher.started.empty() || force || !RunOnceRecorded(stored),
            "a command that ran once does not run again");
  for (const FakeNetWareClient::Call& call : directory.calls) {
    FuzzCheck(!force, "force mode neither reads nor changes the state");
    if (call.operation == "add")
      FuzzCheck(call.value.starts_with(std::string(kRunOnceKey) + "=") &&
                    directory.CountOf("add") == 1 && call.value.size() <= kMaxEntryLength,
                "start-up stores one run-once record at most");
    if (call.operation == "remove")
      FuzzCheck(stored.IndexOf(call.value) >= 0, "only stored records are removed");
  }
  const std::vector<StringList::Item>& pages = state.DisplayList.Items();
  for (size_t i = 0; i < pages.size(); ++i) {
    // Only the first page of a key is sure to differ from its record: twins but for case that
    // come later follow the rules for repeated pages.
    const std::string_view key = NameOf(pages[i].text);
    FuzzCheck(force || state.DisplayList.IndexOfName(key) != static_cast<int>(i) ||
                  stored.Value(std::string(kFileRecordPrefix) + std::string(key)) !=
                      ValueOf(pages[i].text),
              "a page whose file is as recorded is not shown");
  }
  return 0;
}
