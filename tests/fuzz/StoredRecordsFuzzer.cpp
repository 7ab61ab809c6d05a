// The user's stored values of "L" as the directory may hold them, against pages as start-up
// lists them: which values count as state, how a record splits into key and value, and which
// pages change detection drops. Its central promise: a page acknowledged once stays away until
// its file's stamp changes, whatever its path holds.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/FileSelection.h"
#include "app/StateStore.h"
#include "app/StringList.h"
#include "platform/AsciiText.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/FakeServices.h"

using namespace welcomer;
using namespace welcomer::testing;

namespace {

// Values from a directory and paths from a file system hold no NUL.
std::string Text(FuzzedDataProvider& in, size_t maxLength) {
  std::string text = in.ConsumeRandomLengthString(maxLength);
  text.resize(std::strlen(text.c_str()));
  return text;
}

// A page's key: its upper-cased path, which may hold "=", blanks and anything else a file name
// can.
std::string Key(FuzzedDataProvider& in) {
  static const char* const kKeys[] = {
      "/SRV/MOTD/A_WELCOME.TXT", "/SRV/MOTD/C=D.TXT", "/SRV/MOTD/=", "/SRV/MOTD/X=1 2", "", "A_*"};
  const uint8_t choice = in.ConsumeIntegral<uint8_t>();
  if (choice < 128)
    return kKeys[choice % std::size(kKeys)];
  return UpperCaseAscii(Text(in, 260));
}

// A file's stamp as FileStamp writes it: size and packed time in decimal; never "=".
std::string Stamp(FuzzedDataProvider& in) {
  return std::to_string(in.ConsumeIntegral<int32_t>() % 4) + " " +
         std::to_string(in.ConsumeIntegral<int32_t>() % 4);
}

// The stored value the window writes for an acknowledged page, sometimes in another letter case
// or stale, or any value at all.
std::string StoredValue(FuzzedDataProvider& in, const std::vector<std::string>& pages) {
  const uint8_t choice = in.ConsumeIntegral<uint8_t>();
  if (choice < 160 && !pages.empty()) {
    const std::string& page = pages[choice % pages.size()];
    std::string record = std::string(kFileRecordPrefix) + page;
    if (choice & 0x40)
      record = std::string(kFileRecordPrefix) + std::string(NameOf(page)) + "=" + Stamp(in);
    if (choice & 0x20)
      record =
          std::string(kFileRecordPrefix) + LowerCaseAscii(record.substr(kFileRecordPrefix.size()));
    return record;
  }
  if (choice < 192) {
    static const char* const kOthers[] = {"Welcomer.RunOnce=05/Dec/2026 12:39:52 (SETUP)",
                                          "Welcomer.RunOnce=",
                                          "welcomer.runonce=a=b",
                                          "Welcomer.RunOnce",
                                          "Welcomer.File.",
                                          "Building 4"};
    return kOthers[choice % std::size(kOthers)];
  }
  return Text(in, 300);
}

bool HasEquals(std::string_view text) {
  return text.find('=') != std::string_view::npos;
}

void CheckSplit(const StringList& entries) {
  for (size_t i = 0; i < entries.Count(); ++i) {
    const std::string& entry = entries[i];
    if (!HasEquals(entry)) {
      FUZZ_CHECK(NameOf(entry).empty() && ValueOf(entry).empty(),
                 "a text without \"=\" has neither name nor value");
      continue;
    }
    FUZZ_CHECK(std::string(NameOf(entry)) + "=" + std::string(ValueOf(entry)) == entry,
               "name, \"=\" and value make the entry");
    FUZZ_CHECK(!HasEquals(ValueOf(entry)), "the value is what follows the last \"=\"");
    const int first = entries.IndexOfName(NameOf(entry));
    FUZZ_CHECK(first >= 0 && static_cast<size_t>(first) <= i &&
                   SameTextAscii(NameOf(entries[static_cast<size_t>(first)]), NameOf(entry)),
               "a name finds its first entry");
    FUZZ_CHECK(entries.Value(NameOf(entry)) == ValueOf(entries[static_cast<size_t>(first)]),
               "a name's value is its first entry's");
  }
}

// The run-once record's key ends at its first "=": the command after it may hold more.
std::string RunOnceValue(const StringList& entries) {
  for (const StringList::Item& item : entries.Items()) {
    const size_t eq = item.text.find('=');
    if (eq != std::string::npos && SameTextAscii(item.text.substr(0, eq), kRunOnceKey))
      return item.text.substr(eq + 1);
  }
  return std::string();
}

void CheckChangeDetection(const std::vector<std::string>& pages, const StringList& stored,
                          bool verbose) {
  StringList display;
  for (size_t i = 0; i < pages.size(); ++i)
    display.Add(pages[i], static_cast<int>(i));
  FakeNetWareClient directory;
  for (const StringList::Item& item : stored.Items())
    directory.values.push_back(item.text);
  StringList kept = display;
  DetectChanges(kept, stored, verbose, &directory);

  // What is kept comes in the list's order, unchanged.
  size_t next = 0;
  for (const StringList::Item& item : kept.Items()) {
    while (next < pages.size() && static_cast<int>(next) != item.tag)
      ++next;
    FUZZ_CHECK(next < pages.size() && pages[next] == item.text,
               "change detection keeps pages in order and as they were");
    ++next;
  }

  for (const FakeNetWareClient::Call& call : directory.calls) {
    FUZZ_CHECK(call.operation == "remove", "change detection only removes");
    FUZZ_CHECK(stored.IndexOf(call.value) >= 0, "change detection removes stored records only");
  }

  for (size_t i = 0; i < pages.size(); ++i) {
    const std::string_view key = NameOf(pages[i]);
    // A key listed twice follows the rules for repeated pages; the promise here is about one.
    const size_t same =
        static_cast<size_t>(std::count_if(pages.begin(), pages.end(), [&](const std::string& page) {
          return SameTextAscii(NameOf(page), key);
        }));
    if (same != 1)
      continue;
    const int record = stored.IndexOfName(std::string(kFileRecordPrefix) + std::string(key));
    const bool seen =
        record >= 0 && ValueOf(stored[static_cast<size_t>(record)]) == ValueOf(pages[i]);
    const bool shown =
        std::any_of(kept.Items().begin(), kept.Items().end(),
                    [&](const StringList::Item& item) { return item.tag == static_cast<int>(i); });
    FUZZ_CHECK(shown != seen, "a page shows exactly when its stamp differs from its record's");
    // A record longer than the directory takes cannot be named to it, so it stays.
    const bool removable = record >= 0 && !ValueOf(stored[static_cast<size_t>(record)]).empty() &&
                           stored[static_cast<size_t>(record)].size() <= kMaxEntryLength;
    if (shown && removable) {
      FUZZ_CHECK(directory.CountOf("remove") > 0 &&
                     std::any_of(directory.calls.begin(), directory.calls.end(),
                                 [&](const FakeNetWareClient::Call& call) {
                                   return call.value == stored[static_cast<size_t>(record)];
                                 }),
                 "a stale record is removed");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  RecordingMessageBoxes boxes;

  std::vector<std::string> pages;
  for (int i = in.ConsumeIntegralInRange<int>(0, 6); i > 0; --i)
    pages.push_back(Key(in) + "=" + Stamp(in));
  FakeNetWareClient directory;
  for (int i = in.ConsumeIntegralInRange<int>(0, 10); i > 0; --i)
    directory.values.push_back(StoredValue(in, pages));

  StringList stored;
  ReadStateEntries(&directory, stored);
  std::vector<std::string> expected;
  for (const std::string& value : directory.values) {
    if (value.starts_with(kStatePrefix))
      expected.push_back(value);
  }
  FUZZ_CHECK(stored.Count() == expected.size(), "the state is every value with its prefix");
  for (size_t i = 0; i < expected.size(); ++i)
    FUZZ_CHECK(stored[i] == expected[i], "the state keeps the directory's order and spelling");

  CheckSplit(stored);
  FUZZ_CHECK(StoredRunOnceValue(stored) == RunOnceValue(stored),
             "the run-once record is the first whose key is the run-once key");
  // Start-up warns of the pages whose records the window could not store; the warning must
  // name exactly those.
  for (const std::string& page : pages) {
    FakeNetWareClient window;
    AddStateEntry(&window, std::string(kFileRecordPrefix) + page);
    FUZZ_CHECK(FileRecordFits(page) == (window.CountOf("add") == 1),
               "a record fits exactly when it can be stored");
  }
  CheckChangeDetection(pages, stored, in.ConsumeBool());
  return 0;
}
