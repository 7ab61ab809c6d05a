// The user's values of "L" as a directory may hold them, against pages as start-up lists them:
// which values are state, how a record splits at its last "=", and the promise of change
// detection: a page whose record holds its stamp stays away, any other shows and its stale
// record goes, whatever "=" and letter case its path holds.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/FileSelection.h"
#include "app/StateStore.h"
#include "platform/AsciiText.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/FakeServices.h"

using namespace welcomer;
using namespace welcomer::testing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  static const char* const kKeys[] = {"/SRV/MOTD/A.TXT", "/SRV/MOTD/C=D.TXT",
                                      "/SRV/MOTD/=", "/SRV/X=1 2", "A_*"};
  // Pages under keys of their own (a key listed twice follows the rules for repeated pages); a
  // stamp is a size and a time, never "=".
  StringList pages;
  for (int i = in.ConsumeIntegralInRange(0, 5); i > 0; --i) {
    const std::string key = in.ConsumeBool()
                                ? kKeys[in.ConsumeIntegral<uint8_t>() % std::size(kKeys)]
                                : UpperCaseAscii(TakeCString(in, 300));
    if (pages.IndexOfName(key) < 0)
      pages.Add(key + "=" + std::to_string(in.ConsumeIntegralInRange(0, 2)) + " 7");
  }
  // Records of those pages, as they are or stale, in any letter case; other values of any kind.
  FakeNetWareClient directory;
  std::string state;
  for (int i = in.ConsumeIntegralInRange(0, 8); i > 0; --i) {
    const uint8_t choice = in.ConsumeIntegral<uint8_t>();
    std::string value =
        choice < 160 || pages.Empty() ? TakeCString(in, 300) : pages[choice % pages.Count()];
    if (choice >= 160 && (choice & 1))
      value = std::string(NameOf(value)) + "=1 7";
    if (choice >= 160)
      value = std::string(kFileRecordPrefix) + ((choice & 2) ? LowerCaseAscii(value) : value);
    directory.values.push_back(value);
    if (value.starts_with(kStatePrefix))
      state += value + "\r\n";
  }

  StringList stored;
  ReadStateEntries(&directory, stored);
  FuzzCheck(stored.Text() == state, "the state is every value with its prefix, in order");
  for (const StringList::Item& entry : stored.Items()) {
    const std::string_view value = ValueOf(entry.text);
    FuzzCheck(entry.text.find('=') == std::string::npos ||
                  (std::string(NameOf(entry.text)) + "=" + std::string(value) == entry.text &&
                   value.find('=') == std::string_view::npos),
              "a record splits at its last \"=\"");
  }

  StringList kept = pages;
  directory.calls.clear();
  DetectChanges(kept, stored, false, &directory);
  for (const FakeNetWareClient::Call& call : directory.calls)
    FuzzCheck(call.operation == "remove" && stored.IndexOf(call.value) >= 0,
              "change detection removes stored records only");
  for (const StringList::Item& page : pages.Items()) {
    const int record =
        stored.IndexOfName(std::string(kFileRecordPrefix) + std::string(NameOf(page.text)));
    const std::string recorded = record < 0 ? std::string() : stored[static_cast<size_t>(record)];
    const bool shown = kept.IndexOf(page.text) >= 0;
    FuzzCheck(shown != (record >= 0 && ValueOf(recorded) == ValueOf(page.text)),
              "a page shows exactly when its stamp differs from its record's");
    // A record too long to name to the directory cannot be removed.
    if (shown && !ValueOf(recorded).empty() && recorded.size() <= kMaxEntryLength)
      FuzzCheck(
          std::any_of(directory.calls.begin(), directory.calls.end(),
                      [&](const FakeNetWareClient::Call& call) { return call.value == recorded; }),
          "a stale record is removed");
  }
  return 0;
}
