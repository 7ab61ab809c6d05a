#include "app/StateStore.h"

#include <vector>

#include "netware/Nwtools.h"
#include "platform/AsciiText.h"

namespace welcomer {
namespace {

// The state always lives in the default context: the context name stays empty.
const std::string kDefaultContext;

}  // namespace

std::string StoredRunOnceValue(const StringList& storedEntries) {
  for (const StringList::Item& item : storedEntries.Items()) {
    const size_t eq = item.text.find('=');
    if (eq != std::string::npos && SameTextAscii(item.text.substr(0, eq), kRunOnceKey))
      return item.text.substr(eq + 1);
  }
  return std::string();
}

bool FileRecordFits(std::string_view displayEntry) {
  return kFileRecordPrefix.size() + displayEntry.size() <= kMaxEntryLength;
}

void ReadStateEntries(NetWareClient* client, StringList& storedEntries) {
  storedEntries.Clear();
  if (client == nullptr)
    return;
  std::vector<std::string> values;
  if (!client->ReadAttributeValues(kDefaultContext, client->LoginID(), kStateAttribute, values)) {
    return;
  }
  for (std::string& value : values) {
    if (value.starts_with(kStatePrefix))
      storedEntries.Add(std::move(value));
  }
}

bool AddStateEntry(NetWareClient* client, const std::string& entry) {
  if (client == nullptr || entry.size() > kMaxEntryLength)
    return false;
  return client->AddAttributeValue(kDefaultContext, client->LoginID(), kStateAttribute, entry);
}

bool RemoveStateEntry(NetWareClient* client, const std::string& entry) {
  if (client == nullptr || entry.size() > kMaxEntryLength)
    return false;
  return client->RemoveAttributeValue(kDefaultContext, client->LoginID(), kStateAttribute, entry);
}

void ShowClientNotices(NetWareClient* client, bool verbose) {
  if (client == nullptr || !verbose)
    return;
  std::string text;
  for (const std::string& notice : client->TakeNotices())
    text += "\r\n" + notice;
  if (!text.empty())
    ShowInfo("Directory:" + text);
}

bool RemoveAllStateEntries(NetWareClient* client, const StringList& entries, bool verbose) {
  bool removed = true;
  for (size_t i = 0; i < entries.Count() && removed; ++i) {
    removed = RemoveStateEntry(client, entries[i]);
  }
  if (!removed) {
    ShowError("Error removing Welcomer entrys from NDS");
  } else if (verbose) {
    ShowInfo("Succesfully removed Welcomer entrys from NDS");
  }
  return removed;
}

}  // namespace welcomer
