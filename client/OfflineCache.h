#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace welcomer::client {

/// One change of the user's values made while the directory could not be reached.
struct PendingChange {
  int64_t id = 0;
  bool add = true;  ///< else a removal
  std::string value;
};

/// What the state looked like when the directory last answered, and the changes made since while
/// it did not, for one directory and user (`source`). Every call reports 0 or a code of
/// ClientErrors.h.
class OfflineCache {
 public:
  virtual ~OfflineCache() = default;

  /// The user's DN and values as last known, queued changes applied; `known` false when nothing
  /// was ever kept for this source.
  virtual int32_t Recall(std::string& dn, std::vector<std::string>& values, bool& known) = 0;
  /// Keeps what the directory has just answered.
  virtual int32_t Remember(const std::string& dn, const std::vector<std::string>& values) = 0;
  /// Applies a change the directory accepted to the values kept.
  virtual int32_t Apply(bool add, const std::string& value) = 0;
  /// Applies a change to the values kept and queues it for the directory.
  virtual int32_t Queue(bool add, const std::string& value) = 0;
  /// Hands the queued changes to `send`, oldest first, while no other run replays, and drops
  /// each one that `send` settles (true); stops at the first it does not settle.
  virtual int32_t Replay(const std::function<bool(const PendingChange&)>& send) = 0;
};

/// The cache in the SQLite file `path` (made 0600, in a folder made 0700), for `source`: the
/// directory and user it speaks of, so that a changed configuration never serves another
/// directory's state. Waits at most `busyMs` for another run that holds the file. Null, with
/// `why`, when the file cannot be used.
std::unique_ptr<OfflineCache> OpenOfflineCache(const std::string& path, const std::string& source,
                                               int busyMs, std::string& why);

/// Where the cache of the current user lives: ldap-cache.sqlite3 in the user's state folder.
std::string OfflineCachePath();

}  // namespace welcomer::client
