#include "app/FileSelection.h"

#include <unordered_map>

#include "app/StateStore.h"
#include "netware/AsciiText.h"
#include "netware/Nwtools.h"
#include "platform/PackedTime.h"

namespace welcomer {
namespace {

using KeyIndex = std::unordered_map<std::string_view, size_t, AsciiCaseInsensitiveHash,
                                    AsciiCaseInsensitiveEqual>;

constexpr uint32_t kHiddenAttributes =
    kAttrHidden | kAttrSystem | kAttrVolumeLabel | kAttrDirectory;

}  // namespace

std::string FileStamp(const FoundFile& file) {
  const auto size = static_cast<int32_t>(static_cast<uint32_t>(file.size & 0xFFFFFFFFu));
  const int32_t packed = PackFatDateTime(ToLocalDateTime(file.lastWrite));
  return std::to_string(size) + " " + std::to_string(packed);
}

bool IsShowable(const FoundFile& file) {
  return (file.attributes & kHiddenAttributes) == 0;
}

void SelectBySearchPath(const std::string& searchPath, StringList& displayList,
                        FileSearcher& searcher) {
  displayList.Clear();
  std::string directoryPart;
  std::string pattern;
  if (FileCanOpen(searchPath) || HasWildcard(searchPath)) {
    const size_t delimiter = searchPath.rfind(kPathDelimiter);
    directoryPart = delimiter == std::string::npos ? "" : searchPath.substr(0, delimiter + 1);
    pattern = searchPath;
  } else {
    directoryPart = AddBackslash(searchPath);
    pattern = directoryPart + "*.*";
  }
  const std::string upperDirectory = UpperCaseAscii(directoryPart);

  // Setting a value looks the full key up among the entries' names; a name found again (letter
  // case aside) gets the later stamp.
  std::vector<StringList::Item> items;
  std::unordered_map<std::string, size_t, AsciiCaseInsensitiveHash, AsciiCaseInsensitiveEqual>
      indexByName;
  for (const FoundFile& file : searcher.Find(pattern)) {
    if (!IsShowable(file))
      continue;
    std::string key = upperDirectory + UpperCaseAscii(file.name);
    std::string text = key + "=" + FileStamp(file);
    const auto existing = indexByName.find(key);
    if (existing != indexByName.end()) {
      items[existing->second].text = std::move(text);
      continue;
    }
    indexByName.try_emplace(std::string(NameOf(text)), items.size());
    items.push_back({std::move(text), -1});
  }
  displayList.Assign(std::move(items));
}

void SelectByArguments(StringList& displayList, bool verbose, FileSearcher& searcher) {
  std::vector<StringList::Item> kept;
  for (const StringList::Item& item : displayList.Items()) {
    const FoundFile* first = nullptr;
    std::vector<FoundFile> found = searcher.Find(item.text);
    for (const FoundFile& file : found) {
      // Only the first result counts; a directory or hidden first result names nothing.
      first = &file;
      break;
    }
    if (first != nullptr && IsShowable(*first)) {
      kept.push_back({item.text + "=" + FileStamp(*first), item.tag});
    } else if (verbose) {
      ShowError("Could not find file " + item.text);
    }
  }
  displayList.Assign(std::move(kept));
}

void DetectChanges(StringList& displayList, const StringList& storedEntries, bool verbose,
                   DirectoryClient* client) {
  if (verbose)
    ShowInfo("Files to track:\r\n" + displayList.Text());

  // First entry per key, as a linear look-up from the front would find it.
  KeyIndex storedByKey;
  for (size_t i = 0; i < storedEntries.Count(); ++i) {
    const std::string_view text = storedEntries[i];
    if (text.find('=') != std::string_view::npos)
      storedByKey.try_emplace(NameOf(text), i);
  }

  // The current stamp of a name is the value of the first entry with that name still in the
  // list: an earlier kept entry, or the entry itself (earlier dropped ones are gone).
  KeyIndex firstKept;
  std::vector<StringList::Item> kept;
  kept.reserve(displayList.Count());
  const std::vector<StringList::Item>& items = displayList.Items();
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string_view name = NameOf(items[i].text);
    const std::string recordKey = std::string(kFileRecordPrefix) + std::string(name);
    const auto stored = storedByKey.find(recordKey);
    const std::string_view storedStamp =
        stored == storedByKey.end() ? std::string_view() : ValueOf(storedEntries[stored->second]);
    const auto earlier = firstKept.find(name);
    const std::string_view currentStamp =
        earlier == firstKept.end() ? ValueOf(items[i].text) : ValueOf(items[earlier->second].text);

    if (storedStamp == currentStamp)
      continue;
    if (!storedStamp.empty())
      RemoveStateEntry(client, storedEntries[stored->second]);
    firstKept.try_emplace(name, i);
    kept.push_back(items[i]);
  }
  displayList.Assign(std::move(kept));
}

std::string NoFileQuestion(bool atGiven) {
  std::string text =
      "No files remained after parsing & checking. It seems that\r\n"
      "you only gave invalid filenames, pathnames or patterns\r\n"
      "on the commandline. ";
  if (!atGiven)
    text += "Use /@ dir|pattern|file instead.";
  text += "\r\n\r\nDo you want to see the help screen ?";
  return text;
}

}  // namespace welcomer
