#include "app/PageMarks.h"

#include <vector>

#include "app/StateStore.h"
#include "app/StringList.h"

namespace welcomer {
namespace {

constexpr char kMark = 'X';

}  // namespace

std::string PageMarks::Path(int page) const {
  return std::string(NameOf(state_.DisplayList[static_cast<size_t>(page)]));
}

std::string PageMarks::Value(int page) const {
  return state_.DisplayList.Value(Path(page));
}

void PageMarks::SetValue(int page, const std::string& value) {
  const auto index = static_cast<size_t>(state_.DisplayList.IndexOfName(Path(page)));
  const std::string name(NameOf(state_.DisplayList[index]));
  state_.DisplayList.Set(index, name + "=" + value);
}

bool PageMarks::Marked(int page) const {
  const std::string value = Value(page);
  return !value.empty() && value[0] == kMark;
}

void PageMarks::LeavePage(int page, bool showNext) {
  if (state_.ForceMode)
    return;
  const bool marked = Marked(page);
  // What counts is the box as the user leaves the page: ticking it again takes the mark away.
  if (!showNext && !marked)
    SetValue(page, kMark + Value(page));
  else if (showNext && marked)
    SetValue(page, Value(page).substr(1));
}

void PageMarks::Commit() {
  std::vector<std::string> records;
  if (!state_.ForceMode) {
    StringList& list = state_.DisplayList;
    for (size_t i = 0; i < list.Count(); ++i) {
      const int page = static_cast<int>(i);
      if (!Marked(page))
        continue;
      SetValue(page, Value(page).substr(1));
      const int first = list.IndexOfName(Path(page));
      records.push_back(std::string(kFileRecordPrefix) + list[static_cast<size_t>(first)]);
    }
  }
  if (NetWareClient* client = state_.NetWareClient.get(); client && !records.empty()) {
    // Twenty acknowledged pages cost the directory one sync, not twenty. A failed store is not
    // reported: the page simply shows again next time.
    client->BeginChanges();
    for (const std::string& record : records)
      AddStateEntry(client, record);
    client->EndChanges();
  }
  state_.DisplayList.Clear();
  state_.StoredEntries.Clear();
}

}  // namespace welcomer
