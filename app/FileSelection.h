#pragma once

#include <string>
#include <vector>

#include "app/NetWareClient.h"
#include "app/StringList.h"
#include "platform/FileSearch.h"

namespace welcomer {

/// The stamp of a found file: its size (low 32 bits, signed), a blank, and its last-write time
/// in local packed FAT form, both in decimal.
std::string FileStamp(const FoundFile& file);

/// True for a search result that may be shown: not hidden, system, volume label or directory,
/// and readable by the user.
bool IsShowable(const FoundFile& file);

/// Replaces `displayList` by one path=stamp entry per file that the `/@` search path (as typed)
/// finds: a file, a pattern, or a directory (all its files), in the search's order. Keys are the
/// upper-cased directory part of the search path followed by the found name; a key found twice
/// keeps one entry. Each entry carries the found file as its file to read. In verbose mode
/// names the files left out because the user may not read them.
void SelectBySearchPath(const std::string& searchPath, StringList& displayList, bool verbose,
                        FileSearcher& searcher);

/// Turns each file argument of `displayList` into argument=stamp of its first showable match,
/// which the entry carries as its file to read; drops the arguments that match nothing showable,
/// reporting each in verbose mode, and in verbose mode names the unreadable files passed over.
/// The arguments keep their order. Each is searched as typed: `arguments[tag]`, where that is
/// the entry's text but for letter case.
void SelectByArguments(StringList& displayList, const std::vector<std::string>& arguments,
                       bool verbose, FileSearcher& searcher);

/// Drops each entry whose stamp equals the one stored for its path, and removes from the
/// directory the stored record of each entry whose stamp differs. In verbose mode first lists
/// the files to track. Linear in the sizes of both lists.
void DetectChanges(StringList& displayList, const StringList& storedEntries, bool verbose,
                   NetWareClient* client);

/// The question asked when no file is left; `atGiven` leaves out the hint to use `/@`.
std::string NoFileQuestion(bool atGiven);

}  // namespace welcomer
