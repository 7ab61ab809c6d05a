#include "app/FileSelection.h"

#include <algorithm>
#include <unordered_map>

#include "app/StateStore.h"
#include "netware/Nwtools.h"
#include "platform/AsciiText.h"
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
  return (file.attributes & kHiddenAttributes) == 0 && file.readable;
}

namespace {

// A file the user may not read is left out like a hidden one; unlike a hidden one, it is most
// likely a mistake of whoever put it there, so verbose mode names it.
bool LeftOutAsUnreadable(const FoundFile& file) {
  return (file.attributes & kHiddenAttributes) == 0 && !file.readable;
}

void ReportUnreadable(const std::vector<std::string>& paths, bool verbose) {
  if (!verbose || paths.empty())
    return;
  std::string text = "Files left out, as they cannot be read:\r\n";
  for (const std::string& path : paths)
    text += path + "\r\n";
  ShowError(text);
}

// The directory part of a search path as typed (up to its last delimiter); AddBackslash's form
// when the path names a folder.
std::string DirectoryPart(const std::string& searchPath, bool namesFolder) {
  if (namesFolder) {
    std::string folder = AllTrim(searchPath);
    if (folder.empty() || folder.back() != kPathDelimiter)
      folder += kPathDelimiter;
    return folder;
  }
  const size_t delimiter = searchPath.rfind(kPathDelimiter);
  return delimiter == std::string::npos ? "" : searchPath.substr(0, delimiter + 1);
}

}  // namespace

void SelectBySearchPath(const std::string& searchPath, StringList& displayList, bool verbose,
                        FileSearcher& searcher) {
  displayList.Clear();
  // The search path's own entry tells a folder from a file; a path that names nothing is taken
  // for a folder, and finds nothing there either.
  std::vector<FoundFile> found = searcher.Find(searchPath);
  const bool namesFolder = !HasWildcard(searchPath) &&
                           (found.empty() || (found.front().attributes & kAttrDirectory) != 0);
  const std::string directoryPart = DirectoryPart(searchPath, namesFolder);
  if (namesFolder) {
    // Searched from where the folder was found on disk, so that resolving its letter case (a
    // listing of every folder on the way) is not done twice.
    const std::string folder =
        found.empty() ? directoryPart : found.front().path + std::string(1, kPathDelimiter);
    found = searcher.Find(folder + "*.*");
  }
  const std::string upperDirectory = UpperCaseAscii(directoryPart);

  // Setting a value looks the full key up among the entries' names; a name found again (letter
  // case aside) gets the later stamp.
  std::vector<StringList::Item> items;
  std::unordered_map<std::string, size_t, AsciiCaseInsensitiveHash, AsciiCaseInsensitiveEqual>
      indexByName;
  std::vector<std::string> unreadable;
  for (const FoundFile& file : found) {
    if (LeftOutAsUnreadable(file))
      unreadable.push_back(file.path);
    if (!IsShowable(file))
      continue;
    std::string key = upperDirectory + UpperCaseAscii(file.name);
    std::string text = key + "=" + FileStamp(file);
    const auto existing = indexByName.find(key);
    if (existing != indexByName.end()) {
      // Names that differ only in case share a key; the entry follows the last of them.
      items[existing->second].text = std::move(text);
      items[existing->second].file = file.path;
      continue;
    }
    indexByName.try_emplace(std::string(NameOf(text)), items.size());
    items.push_back({std::move(text), -1, file.path});
  }
  displayList.Assign(std::move(items));
  ReportUnreadable(unreadable, verbose);
}

void SelectByArguments(StringList& displayList, const std::vector<std::string>& arguments,
                       bool verbose, FileSearcher& searcher) {
  std::vector<StringList::Item> kept;
  std::vector<std::string> unreadable;
  for (const StringList::Item& item : displayList.Items()) {
    // Searched as typed: the upper-cased text reaches a file only through a listing of its
    // folder, which a folder that may be searched but not listed refuses.
    const bool typed = item.tag >= 0 && static_cast<size_t>(item.tag) < arguments.size() &&
                       SameTextAscii(arguments[static_cast<size_t>(item.tag)], item.text);
    const std::vector<FoundFile> found =
        searcher.Find(typed ? arguments[static_cast<size_t>(item.tag)] : item.text);
    // The first result of a search that leaves out what cannot be shown: a hidden file or a
    // folder that sorts first must not drop a pattern that matches a showable file as well.
    const auto first = std::find_if(found.begin(), found.end(), IsShowable);
    for (auto skipped = found.begin(); skipped != first; ++skipped) {
      if (LeftOutAsUnreadable(*skipped))
        unreadable.push_back(skipped->path);
    }
    if (first != found.end()) {
      kept.push_back({item.text + "=" + FileStamp(*first), item.tag, first->path});
    } else if (verbose) {
      ShowError("Could not find file " + item.text);
    }
  }
  displayList.Assign(std::move(kept));
  ReportUnreadable(unreadable, verbose);
}

void DetectChanges(StringList& displayList, const StringList& storedEntries, bool verbose,
                   NetWareClient* client) {
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
