#pragma once

#include <string>

#include "app/NetWareClient.h"
#include "app/StringList.h"
#include "nds/AttributeTable.h"

namespace welcomer {

/// The attribute of the user's own object that holds the state entries: "L".
inline constexpr TNWDSAttribute kStateAttribute = TNWDSAttribute::ndsAttrL;

/// Every state entry begins with this, in this letter case.
inline constexpr std::string_view kStatePrefix = "Welcomer.";
/// The key of the run-once record.
inline constexpr std::string_view kRunOnceKey = "Welcomer.RunOnce";
/// The key of a file record is this followed by the file's path.
inline constexpr std::string_view kFileRecordPrefix = "Welcomer.File.";

/// The longest entry the directory takes in one add or remove (its 256-byte buffer less the
/// terminator). Longer entries are not sent at all: a cut entry would be a different entry.
inline constexpr size_t kMaxEntryLength = 255;

/// The value of the run-once record in `storedEntries`: the text after the first "=" of the
/// first entry whose key, the text before that "=", is kRunOnceKey (ASCII case ignored). Empty
/// when there is none. Its key ends at the first "=" because the command may hold more.
std::string StoredRunOnceValue(const StringList& storedEntries);

/// Whether the file record of a DisplayList entry (path=stamp) is short enough to be stored.
bool FileRecordFits(std::string_view displayEntry);

/// Fills `storedEntries` with the user's state entries: the values of "L" of the user's object
/// that begin with kStatePrefix, in the order the directory gave them. Left empty when the read
/// fails; nothing is reported. `client` may be null: nothing is read then.
void ReadStateEntries(NetWareClient* client, StringList& storedEntries);

/// Adds `entry` as one further value of "L" of the user's object; true when the directory
/// accepted it. An entry longer than kMaxEntryLength is refused without a directory call.
bool AddStateEntry(NetWareClient* client, const std::string& entry);

/// Removes the value of "L" equal to `entry`; true when the directory accepted the removal. An
/// entry longer than kMaxEntryLength is refused without a directory call.
bool RemoveStateEntry(NetWareClient* client, const std::string& entry);

/// In verbose mode, shows what the client has told about the state since the last call, in one
/// box; nothing when it told nothing. `client` may be null.
void ShowClientNotices(NetWareClient* client, bool verbose);

/// Removes `entries` one by one in list order and stops at the first failure. Shows the error
/// box on failure, the success box in verbose mode. Returns whether all were removed.
bool RemoveAllStateEntries(NetWareClient* client, const StringList& entries, bool verbose);

}  // namespace welcomer
