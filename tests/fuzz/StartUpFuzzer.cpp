// The argument list through start-up, with every seam faked: files in memory, a launcher that
// only notes what it would start, a fixed clock and regional settings, the user's state in a
// directory in memory, and message boxes answered from the input. Besides faults, it looks for
// broken promises: a command run twice, state touched in force mode, a page shown although its
// stored record says it was seen, a page that is not a file that may be shown.

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/FileSelection.h"
#include "app/Init_Unit.h"
#include "platform/AsciiText.h"
#include "platform/UserLock.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/InMemoryFiles.h"
#include "tests/support/FakeServices.h"

using namespace welcomer;
using namespace welcomer::fuzz;
using namespace welcomer::testing;

namespace {

constexpr std::time_t kMarch1999 = 921486600;
constexpr const char* kMotd = "/srv/motd";
constexpr std::string_view kFilePrefix = "Welcomer.File.";
constexpr std::string_view kRunOnceKey = "Welcomer.RunOnce";
constexpr size_t kMaxEntry = 255;

FoundFile File(const std::string& name, uint64_t size, std::time_t time, uint32_t attributes,
               bool readable = true) {
  FoundFile file;
  file.name = name;
  file.size = size;
  file.lastWrite = time;
  file.attributes = attributes;
  file.readable = readable;
  return file;
}

// A folder of messages with what administrators put there: twins but for case, hidden and
// unreadable files, a subfolder, names that hold "=", one too long for its record.
void MakeFiles(InMemoryFiles& files, FuzzedDataProvider& in) {
  const std::time_t changed = kMarch1999 + in.ConsumeIntegralInRange<int>(-86400, 86400);
  files.Add("/", File("srv", 0, kMarch1999, kAttrDirectory));
  files.Add("/srv", File("motd", 0, kMarch1999, kAttrDirectory));
  files.Add("/srv", File("notes.txt", 12, kMarch1999, kAttrArchive));
  files.Add(kMotd, File("a_welcome.txt", 252, changed, kAttrArchive));
  files.Add(kMotd, File("B_rules.txt", 203, kMarch1999, kAttrArchive));
  files.Add(kMotd, File("b_RULES.txt", 204, kMarch1999, kAttrArchive | kAttrReadOnly));
  files.Add(kMotd, File(".hidden", 5, kMarch1999, kAttrArchive | kAttrHidden));
  files.Add(kMotd, File("sub", 0, kMarch1999, kAttrDirectory));
  files.Add(kMotd, File("secret.txt", 7, kMarch1999, kAttrArchive, false));
  files.Add(kMotd, File("c=d.txt", 4, kMarch1999, kAttrArchive));
  files.Add(kMotd, File("pipe", 0, kMarch1999, kAttrSystem));
  files.Add(kMotd, File(std::string(240, 'x') + ".txt", 1, kMarch1999, kAttrArchive));
  files.Add(kMotd, File("big.bmp", 0x1'0000'0004ull, kMarch1999, kAttrArchive));
  files.Add("/srv/motd/sub", File("inner.txt", 9, kMarch1999, kAttrArchive));
  files.Add("", File("local.txt", 3, kMarch1999, kAttrArchive));
}

std::vector<std::string> Arguments(FuzzedDataProvider& in) {
  static const char* const kWords[] = {"/v",
                                       "/V",
                                       "/f",
                                       "/F",
                                       "/remove",
                                       "/REMOVE",
                                       "/nt",
                                       "/NT",
                                       "_thi&s is a text",
                                       "/ro",
                                       "/RO",
                                       "setup --now",
                                       "Setup",
                                       "/@",
                                       "/srv/motd",
                                       "/SRV/MOTD/",
                                       "/srv/motd/a_*",
                                       "/srv/motd/*.*",
                                       "/srv/motd/B_rules.txt",
                                       "/srv/motd/secret.txt",
                                       "/srv/motd/.hidden",
                                       "/srv/motd/sub",
                                       "/srv/motd/c=d.txt",
                                       "/srv/motd/x*",
                                       "local.txt",
                                       "/srv",
                                       "/srv/motd/*",
                                       "/?",
                                       "a?b",
                                       "/srv/motd/missing"};
  std::vector<std::string> arguments;
  const int count = in.ConsumeIntegralInRange<int>(0, 8);
  for (int i = 0; i < count; ++i) {
    const uint8_t choice = in.ConsumeIntegral<uint8_t>();
    std::string argument =
        choice < 224 ? kWords[choice % std::size(kWords)] : in.ConsumeRandomLengthString(300);
    // Arguments arrive from a command line: no NUL inside, and no empty ones.
    argument.resize(std::strlen(argument.c_str()));
    if (!argument.empty())
      arguments.push_back(argument);
  }
  return arguments;
}

// The user's lock across processes, had or refused as the input says.
class FakeLock : public UserLock {
 public:
  explicit FakeLock(bool grants) : grants_(grants) {}
  bool Acquire(std::chrono::milliseconds, std::string& reason) override {
    ++acquired;
    FUZZ_CHECK(!held, "the lock is not taken twice");
    held = grants_;
    if (!held)
      reason = "another run holds it";
    return held;
  }
  void Release() override { held = false; }

  bool held = false;
  int acquired = 0;

 private:
  bool grants_;
};

// The directory as start-up sees it: notes whether the lock was held when the run-once record
// was stored, and whether every batch of changes was ended.
class ObservedClient : public ForwardingNetWareClient {
 public:
  ObservedClient(NetWareClient& target, const FakeLock& lock, bool& heldAtAdd, int& openBatches)
      : ForwardingNetWareClient(target),
        lock_(lock),
        heldAtAdd_(heldAtAdd),
        openBatches_(openBatches) {}
  bool AddAttributeValue(const std::string& c, const std::string& o, TNWDSAttribute a,
                         const std::string& v) override {
    heldAtAdd_ = lock_.held;
    return ForwardingNetWareClient::AddAttributeValue(c, o, a, v);
  }
  void BeginChanges() override { ++openBatches_; }
  bool EndChanges() override {
    --openBatches_;
    return true;
  }

 private:
  const FakeLock& lock_;
  bool& heldAtAdd_;
  int& openBatches_;
};

// What the user's object holds: records of the files as they are or were, run-once records,
// other programs' values, and whatever the input spells.
std::vector<std::string> StoredValues(FuzzedDataProvider& in, InMemoryFiles& files) {
  static const char* const kPaths[] = {"a_welcome.txt", "B_RULES.TXT", "c=d.txt",
                                       "secret.txt",    "missing",     "sub"};
  std::vector<std::string> values;
  const int count = in.ConsumeIntegralInRange<int>(0, 8);
  for (int i = 0; i < count; ++i) {
    const uint8_t choice = in.ConsumeIntegral<uint8_t>();
    if (choice < 128) {
      const std::string path = std::string(kMotd) + "/" + kPaths[choice % std::size(kPaths)];
      const std::vector<FoundFile> found = files.Find(path);
      std::string stamp = found.empty() ? "1 2" : FileStamp(found.front());
      if (choice & 0x40)
        stamp = "0 " + std::to_string(in.ConsumeIntegral<int16_t>());
      std::string key = UpperCaseAscii(path);
      if (choice & 0x20)
        key = LowerCaseAscii(key);
      values.push_back(std::string(kFilePrefix) + key + "=" + stamp);
    } else if (choice < 160) {
      static const char* const kRunOnce[] = {"Welcomer.RunOnce=05/Dec/2026 12:39:52 (SETUP)",
                                             "Welcomer.RunOnce=", "welcomer.runonce=x",
                                             "Welcomer.RunOnce=a=b"};
      values.push_back(kRunOnce[choice % std::size(kRunOnce)]);
    } else if (choice < 176) {
      values.push_back("Building 4");
    } else {
      std::string value = in.ConsumeRandomLengthString(300);
      value.resize(std::strlen(value.c_str()));
      values.push_back(value);
    }
  }
  return values;
}

DateTimeFormat Format(FuzzedDataProvider& in) {
  static const char* const kSeparators[] = {"/", ".", "-", " ", "", "=", "\xE5\xB9\xB4"};
  DateTimeFormat format;
  if (in.ConsumeBool()) {
    format.dateSeparator = kSeparators[in.ConsumeIntegral<uint8_t>() % std::size(kSeparators)];
    format.timeSeparator = kSeparators[in.ConsumeIntegral<uint8_t>() % std::size(kSeparators)];
    format.shortMonthNames[in.ConsumeIntegralInRange<int>(0, 11)] =
        in.ConsumeRandomLengthString(40);
  }
  return format;
}

bool Given(const std::vector<std::string>& arguments, std::string_view option) {
  return std::any_of(arguments.begin(), arguments.end(),
                     [&](const std::string& argument) { return SameTextAscii(argument, option); });
}

// The key and value of a stored record or a page entry: split at the last "=", since paths may
// hold "=" and stamps never do.
std::string_view KeyOf(std::string_view entry) {
  return entry.substr(0, entry.rfind('='));
}
std::string_view StampOf(std::string_view entry) {
  return entry.substr(entry.rfind('=') + 1);
}

// What start-up read of the state: the values that begin with its prefix, in order.
std::vector<std::string> StateEntries(const std::vector<std::string>& values) {
  std::vector<std::string> entries;
  for (const std::string& value : values) {
    if (value.starts_with("Welcomer."))
      entries.push_back(value);
  }
  return entries;
}

bool RunOnceRecorded(const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    const size_t eq = entry.find('=');
    if (eq != std::string::npos && SameTextAscii(entry.substr(0, eq), kRunOnceKey))
      return eq + 1 < entry.size();
  }
  return false;
}

void CheckPages(const RunState& state, const InMemoryFiles& files,
                const std::vector<std::string>& entries, bool force) {
  for (const StringList::Item& item : state.DisplayList.Items()) {
    FUZZ_CHECK(item.text.find('=') != std::string::npos, "a page's entry is path=stamp");
    const FoundFile* file = files.AtPath(item.file);
    FUZZ_CHECK(file != nullptr, "a page is a file the search found");
    FUZZ_CHECK(IsShowable(*file), "a page is a file that may be shown");
    FUZZ_CHECK(StampOf(item.text) == FileStamp(*file), "a page carries its file's stamp");
    if (force)
      continue;
    const std::string record = std::string(kFilePrefix) + std::string(KeyOf(item.text));
    for (const std::string& entry : entries) {
      if (entry.find('=') != std::string::npos && SameTextAscii(KeyOf(entry), record)) {
        FUZZ_CHECK(StampOf(entry) != StampOf(item.text),
                   "a page whose file is as recorded is not shown");
        break;
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Stamps hold local times: the same input must give the same stamps wherever it runs.
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  InMemoryFiles files;
  MakeFiles(files, in);
  FakeNetWareClient directory;
  directory.values = StoredValues(in, files);
  const std::vector<std::string> before = directory.values;
  RecordingMessageBoxes boxes;
  for (int i = in.ConsumeIntegralInRange<int>(0, 3); i > 0; --i)
    boxes.answers.push_back(in.ConsumeBool());
  RecordingLauncher launcher;
  FixedClock clock({in.ConsumeIntegralInRange<int>(1980, 2107),
                    in.ConsumeIntegralInRange<int>(1, 12), in.ConsumeIntegralInRange<int>(1, 31),
                    in.ConsumeIntegralInRange<int>(0, 23), in.ConsumeIntegralInRange<int>(0, 59),
                    in.ConsumeIntegralInRange<int>(0, 59)});
  const DateTimeFormat format = Format(in);
  const std::vector<std::string> arguments = Arguments(in);

  const bool lockGranted = in.ConsumeIntegral<uint8_t>() < 224;
  FakeLock lock(lockGranted);
  bool heldAtAdd = false;
  int openBatches = 0;

  RunState state;
  StartUpServices services{
      files, launcher, clock, format,
      [&] { return std::make_unique<ObservedClient>(directory, lock, heldAtAdd, openBatches); }};
  services.userLock = &lock;
  const StartUpResult result = StartUp(arguments, state, services);
  FUZZ_CHECK(!lock.held, "start-up lets the user's lock go");
  FUZZ_CHECK(openBatches == 0, "every batch of changes is ended");

  const bool force = Given(arguments, "/f");
  const std::vector<std::string> entries = StateEntries(before);
  FUZZ_CHECK(result.exitCode == 0 || result.exitCode == 10, "start-up ends with 0 or 10");
  if (result.exitCode == 10) {
    FUZZ_CHECK(!boxes.shown.empty() && boxes.shown.back().text == UsageText(),
               "exit code 10 follows the usage text");
  }
  if (result.showWindow) {
    FUZZ_CHECK(result.exitCode == 0 && !state.DisplayList.Empty() && state.NetWareClient,
               "the window gets pages and the client");
  } else {
    FUZZ_CHECK(state.DisplayList.Empty() && state.StoredEntries.Empty() && !state.NetWareClient,
               "an early end releases the lists and the client");
  }
  CheckPages(state, files, entries, force);

  // The run-once promise.
  FUZZ_CHECK(launcher.started.size() <= 1, "one command at most");
  if (!launcher.started.empty()) {
    FUZZ_CHECK(Given(arguments, "/ro"), "a command runs only when /ro asks for it");
    FUZZ_CHECK(
        std::find(arguments.begin(), arguments.end(), launcher.started.front()) != arguments.end(),
        "the command runs as it was typed");
    FUZZ_CHECK(force || !RunOnceRecorded(entries), "a command that ran once does not run again");
  }

  // What start-up does to the state: in force mode nothing; otherwise it adds the run-once
  // record and removes only records that were there.
  if (force) {
    FUZZ_CHECK(directory.calls.empty(), "force mode neither reads nor changes the state");
    return 0;
  }
  size_t adds = 0;
  for (const FakeNetWareClient::Call& call : directory.calls) {
    if (call.operation == "add") {
      ++adds;
      FUZZ_CHECK(call.value.starts_with(std::string(kRunOnceKey) + "="),
                 "start-up stores only the run-once record");
      FUZZ_CHECK(call.value.size() <= kMaxEntry, "a stored record fits the directory");
    } else if (call.operation == "remove") {
      FUZZ_CHECK(std::find(entries.begin(), entries.end(), call.value) != entries.end(),
                 "only stored records are removed");
    }
  }
  FUZZ_CHECK(adds <= 1, "one run-once record at most");
  // Two logins at once must not both find no record and both run the command.
  if (adds == 1 && lock.acquired > 0)
    FUZZ_CHECK(heldAtAdd || !lockGranted, "the run-once record is stored under the lock");

  // /remove forgets every record, and nothing else, when each can be sent to the directory.
  const bool usage = arguments.empty() || arguments[0].find('?') != std::string::npos;
  const bool allFit = std::all_of(entries.begin(), entries.end(), [](const std::string& entry) {
    return entry.size() <= kMaxEntry;
  });
  if (!usage && Given(arguments, "/remove") && allFit) {
    std::vector<std::string> kept;
    for (const std::string& value : before) {
      if (!value.starts_with("Welcomer."))
        kept.push_back(value);
    }
    FUZZ_CHECK(directory.values == kept, "/remove forgets every record and nothing else");
  }
  return 0;
}
