// The offline cache of the LDAP backend, in an SQLite file of its own beside the embedded
// directory's.

#include <string_view>
#include <utility>

#include "client/ClientErrors.h"
#include "client/DirectoryName.h"
#include "client/OfflineCache.h"
#include "client/SqliteDatabase.h"
#include "platform/StateFolder.h"

namespace welcomer::client {
namespace {

// "WelL": tells the cache from any other SQLite file, the embedded directory's included.
constexpr int kApplicationId = 0x57656C4C;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS users(
  source TEXT PRIMARY KEY,
  dn TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS known_values(
  id INTEGER PRIMARY KEY,
  source TEXT NOT NULL,
  value BLOB NOT NULL);
CREATE TABLE IF NOT EXISTS pending(
  id INTEGER PRIMARY KEY,
  source TEXT NOT NULL,
  is_add INTEGER NOT NULL,
  value BLOB NOT NULL);
)sql";

bool SameValue(const std::string& a, const std::string& b) {
  return AsciiLower(a) == AsciiLower(b);
}

// A change as the directory applies it to a case-ignoring attribute: an add of a value that is
// there, or a removal of one that is not, leaves the values as they are.
void ApplyTo(std::vector<std::string>& values, bool add, const std::string& value) {
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (SameValue(*it, value)) {
      if (!add)
        values.erase(it);
      return;
    }
  }
  if (add)
    values.push_back(value);
}

class SqliteOfflineCache : public OfflineCache {
 public:
  explicit SqliteOfflineCache(std::string source) : source_(std::move(source)) {}
  int32_t Open(const std::string& path, int busyMs, std::string& why);

  int32_t Recall(std::string& dn, std::vector<std::string>& values, bool& known) override;
  int32_t Remember(const std::string& dn, const std::vector<std::string>& values) override;
  int32_t Apply(bool add, const std::string& value) override;
  int32_t Queue(bool add, const std::string& value) override;
  int32_t Replay(const std::function<bool(const PendingChange&)>& send) override;

 private:
  int LoadValues(std::vector<std::string>& values);
  int StoreValues(const std::vector<std::string>& values);
  int LoadPending(std::vector<PendingChange>& changes);
  int ChangeValue(bool add, const std::string& value);

  std::string source_;
  Database db_;
};

int32_t SqliteOfflineCache::Open(const std::string& path, int busyMs, std::string& why) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos ||
      PrepareStateFolder(path.substr(0, slash), true, why) != FolderState::kReady) {
    if (why.empty())
      why = "no state folder for the offline cache";
    return kNWErrStoreUnavailable;
  }
  constexpr std::string_view kHeader("SQLite format 3\0", 16);
  const StateFile file = PrepareStateFile(path, kHeader.size(), true);
  if (!file.usable) {
    why = file.reason;
    return kNWErrStoreUnavailable;
  }
  if (!file.head.empty() && file.head != kHeader) {
    why = path + " is not an SQLite file; it is left as it is";
    return kNWErrDatabaseFormat;
  }
  int rc = sqlite3_open_v2(path.c_str(), db_.Out(), SQLITE_OPEN_READWRITE, nullptr);
  if (rc == SQLITE_OK)
    rc = sqlite3_busy_timeout(db_.Handle(), busyMs);
  // A rollback journal works on network home folders, where WAL does not. The directory holds
  // the real state, so the cache does without the sync that only guards against a power cut in
  // the middle of a write; and a journal kept at zero length is not made and deleted each time.
  if (rc == SQLITE_OK)
    rc = db_.Exec("PRAGMA journal_mode = TRUNCATE");
  if (rc == SQLITE_OK)
    rc = db_.Exec("PRAGMA synchronous = NORMAL");
  sqlite3_int64 applicationId = 0;
  if (rc == SQLITE_OK)
    rc = db_.QueryInt("PRAGMA application_id", applicationId);
  if (rc == SQLITE_OK && applicationId != kApplicationId) {
    sqlite3_int64 tables = 0;
    rc = db_.QueryInt("SELECT count(*) FROM sqlite_master", tables);
    if (rc == SQLITE_OK && tables != 0) {
      why = path + " is not the offline cache; it is left as it is";
      return kNWErrDatabaseFormat;
    }
    Transaction setup(db_);
    if (rc == SQLITE_OK)
      rc = setup.Begin(true);
    if (rc == SQLITE_OK)
      rc = db_.Exec(kSchema);
    if (rc == SQLITE_OK)
      rc = db_.Exec(("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
    if (rc == SQLITE_OK)
      rc = setup.Commit();
  }
  if (rc != SQLITE_OK)
    why = path + ": " + sqlite3_errstr(rc);
  return FromSqlite(rc);
}

int SqliteOfflineCache::LoadValues(std::vector<std::string>& values) {
  values.clear();
  Statement select(db_.Handle(), "SELECT value FROM known_values WHERE source = ? ORDER BY id");
  select.BindText(1, source_);
  int rc;
  while ((rc = select.Step()) == SQLITE_ROW)
    values.push_back(select.Text(0));
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int SqliteOfflineCache::StoreValues(const std::vector<std::string>& values) {
  Statement clear(db_.Handle(), "DELETE FROM known_values WHERE source = ?");
  clear.BindText(1, source_);
  int rc = clear.Step();
  if (rc != SQLITE_DONE)
    return rc;
  Statement insert(db_.Handle(), "INSERT INTO known_values(source, value) VALUES (?, ?)");
  for (const std::string& value : values) {
    insert.Reset();
    insert.BindText(1, source_).BindBlob(2, value);
    if ((rc = insert.Step()) != SQLITE_DONE)
      return rc;
  }
  return SQLITE_OK;
}

int SqliteOfflineCache::LoadPending(std::vector<PendingChange>& changes) {
  changes.clear();
  Statement select(db_.Handle(),
                   "SELECT id, is_add, value FROM pending WHERE source = ? ORDER BY id");
  select.BindText(1, source_);
  int rc;
  while ((rc = select.Step()) == SQLITE_ROW)
    changes.push_back({select.Int(0), select.Int(1) != 0, select.Text(2)});
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int SqliteOfflineCache::ChangeValue(bool add, const std::string& value) {
  // One row in or out, never the whole list rewritten: a login may acknowledge many pages.
  Statement select(db_.Handle(), "SELECT id, value FROM known_values WHERE source = ?");
  select.BindText(1, source_);
  sqlite3_int64 match = 0;
  int rc;
  while ((rc = select.Step()) == SQLITE_ROW) {
    if (SameValue(select.Text(1), value)) {
      match = select.Int(0);
      break;
    }
  }
  if (rc != SQLITE_ROW && rc != SQLITE_DONE)
    return rc;
  if (add == (match != 0))
    return SQLITE_OK;
  Statement change(db_.Handle(), add ? "INSERT INTO known_values(source, value) VALUES (?, ?)"
                                     : "DELETE FROM known_values WHERE id = ?");
  if (add)
    change.BindText(1, source_).BindBlob(2, value);
  else
    change.Bind(1, match);
  rc = change.Step();
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int32_t SqliteOfflineCache::Recall(std::string& dn, std::vector<std::string>& values, bool& known) {
  known = false;
  Transaction snapshot(db_);
  int rc = snapshot.Begin(false);
  Statement select(db_.Handle(), "SELECT dn FROM users WHERE source = ?");
  select.BindText(1, source_);
  if (rc == SQLITE_OK)
    rc = select.Step();
  if (rc == SQLITE_ROW) {
    known = true;
    dn = select.Text(0);
    rc = LoadValues(values);
  } else if (rc == SQLITE_DONE) {
    rc = SQLITE_OK;
  }
  if (rc == SQLITE_OK)
    rc = snapshot.Commit();
  return FromSqlite(rc);
}

int32_t SqliteOfflineCache::Remember(const std::string& dn,
                                     const std::vector<std::string>& values) {
  // Changes still queued are part of what the user has done, whatever the server says now.
  std::vector<PendingChange> pending;
  int rc = LoadPending(pending);
  std::vector<std::string> expected = values;
  for (const PendingChange& change : pending)
    ApplyTo(expected, change.add, change.value);
  std::string knownDn;
  std::vector<std::string> known;
  bool any = false;
  if (rc == SQLITE_OK && Recall(knownDn, known, any) == 0 && any && knownDn == dn &&
      known == expected)
    return 0;  // a login that changes nothing writes nothing
  Transaction transaction(db_);
  if (rc == SQLITE_OK)
    rc = transaction.Begin(true);
  Statement upsert(db_.Handle(),
                   "INSERT INTO users(source, dn) VALUES (?, ?) "
                   "ON CONFLICT(source) DO UPDATE SET dn = excluded.dn");
  upsert.BindText(1, source_).BindText(2, dn);
  if (rc == SQLITE_OK)
    rc = upsert.Step() == SQLITE_DONE ? SQLITE_OK : upsert.PrepareResult();
  if (rc == SQLITE_OK)
    rc = StoreValues(expected);
  if (rc == SQLITE_OK)
    rc = transaction.Commit();
  return FromSqlite(rc);
}

int32_t SqliteOfflineCache::Apply(bool add, const std::string& value) {
  Transaction transaction(db_);
  int rc = transaction.Begin(true);
  if (rc == SQLITE_OK)
    rc = ChangeValue(add, value);
  if (rc == SQLITE_OK)
    rc = transaction.Commit();
  return FromSqlite(rc);
}

int32_t SqliteOfflineCache::Queue(bool add, const std::string& value) {
  Transaction transaction(db_);
  int rc = transaction.Begin(true);
  if (rc == SQLITE_OK)
    rc = ChangeValue(add, value);
  Statement insert(db_.Handle(), "INSERT INTO pending(source, is_add, value) VALUES (?, ?, ?)");
  insert.BindText(1, source_).Bind(2, add ? 1 : 0).BindBlob(3, value);
  if (rc == SQLITE_OK)
    rc = insert.Step() == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
  if (rc == SQLITE_OK)
    rc = transaction.Commit();
  return FromSqlite(rc);
}

int32_t SqliteOfflineCache::Replay(const std::function<bool(const PendingChange&)>& send) {
  // Held for the whole replay, so that two runs never send the same queue interleaved: an add
  // and a later removal of one value must reach the server in that order.
  Transaction transaction(db_);
  int rc = transaction.Begin(true);
  std::vector<PendingChange> pending;
  if (rc == SQLITE_OK)
    rc = LoadPending(pending);
  Statement remove(db_.Handle(), "DELETE FROM pending WHERE id = ?");
  for (const PendingChange& change : pending) {
    if (rc != SQLITE_OK || !send(change))
      break;
    remove.Reset();
    remove.Bind(1, change.id);
    rc = remove.Step() == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
  }
  if (rc == SQLITE_OK)
    rc = transaction.Commit();
  return FromSqlite(rc);
}

}  // namespace

std::unique_ptr<OfflineCache> OpenOfflineCache(const std::string& path, const std::string& source,
                                               int busyMs, std::string& why) {
  auto cache = std::make_unique<SqliteOfflineCache>(source);
  if (cache->Open(path, busyMs, why) != 0)
    return nullptr;
  return cache;
}

std::string OfflineCachePath() {
  const std::string folder = StateFolderPath();
  return folder.empty() ? std::string() : folder + "/ldap-cache.sqlite3";
}

}  // namespace welcomer::client
