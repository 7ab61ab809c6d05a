#include "client/SqliteBackend.h"

#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <string_view>
#include <thread>
#include <utility>

#include "client/ClientErrors.h"
#include "client/SqliteDatabase.h"
#include "platform/StateFolder.h"

namespace welcomer::client {
namespace {

// "WelC": tells our database from any other SQLite file that may sit at the same path.
constexpr int kApplicationId = 0x57656C43;
constexpr int kSchemaVersion = 1;
// Two logins of one user write a few values each; a writer holds the lock for milliseconds, so
// waiting this long only ever happens when something is really stuck.
constexpr int kBusyTimeoutMs = 5000;
constexpr size_t kMaxSeededFullName = 127;

constexpr const char* kSchema = R"sql(
CREATE TABLE objects(
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL,
  name_key TEXT NOT NULL UNIQUE);
CREATE TABLE attribute_values(
  id INTEGER PRIMARY KEY,
  object_id INTEGER NOT NULL REFERENCES objects(id) ON DELETE CASCADE,
  attribute TEXT NOT NULL COLLATE NOCASE,
  syntax INTEGER NOT NULL,
  value BLOB NOT NULL,
  match_key BLOB NOT NULL);
CREATE UNIQUE INDEX attribute_values_unique ON attribute_values(object_id, attribute, match_key);
)sql";

// Anything else at the database's path must look like an SQLite file before SQLite may open it
// for writing. `empty` tells whether the file holds no bytes yet, so that it may be set up.
int32_t PrepareFile(const std::string& path, bool& empty) {
  constexpr std::string_view kHeader("SQLite format 3\0", 16);
  const StateFile file = PrepareStateFile(path, kHeader.size());
  if (!file.usable)
    return kNWErrStoreUnavailable;
  empty = file.head.empty();
  if (!empty && file.head != kHeader)
    return kNWErrInconsistentDatabase;
  return 0;
}

int32_t CreateSchema(Database& db) {
  Transaction transaction(db);
  int rc = transaction.Begin(true);
  if (rc != SQLITE_OK)
    return FromSqlite(rc);
  // Another run may have set the file up while this one waited for the lock.
  sqlite3_int64 applicationId = 0;
  rc = db.QueryInt("PRAGMA application_id", applicationId);
  if (rc != SQLITE_OK)
    return FromSqlite(rc);
  if (applicationId == kApplicationId)
    return FromSqlite(transaction.Commit());
  rc = db.Exec(kSchema);
  if (rc == SQLITE_OK)
    rc = db.Exec(("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
  if (rc == SQLITE_OK)
    rc = db.Exec(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
  if (rc == SQLITE_OK)
    rc = transaction.Commit();
  return rc == SQLITE_OK ? 0 : FromSqlite(rc);
}

int32_t TryWal(Database& db) {
  std::string mode;
  int rc = db.QueryText("PRAGMA journal_mode", mode);
  if (rc != SQLITE_OK)
    return FromSqlite(rc);
  if (mode == "wal")
    return 0;
  rc = db.QueryText("PRAGMA journal_mode = WAL", mode);
  if (rc != SQLITE_OK)
    return FromSqlite(rc);
  if (mode == "wal" || sqlite3_db_readonly(db.Handle(), "main") == 1)
    return 0;
  return kNWErrStoreBusy;
}

// WAL lets a run read while the other one writes; it is kept in the file once set. Switching
// needs the file to itself, and SQLite gives up at once instead of waiting when two runs set up
// the same new file together, so the waiting happens here, within the busy timeout.
int32_t EnsureWal(Database& db) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
  for (;;) {
    const int32_t result = TryWal(db);
    if (result != kNWErrStoreBusy || std::chrono::steady_clock::now() >= deadline)
      return result;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

int32_t Open(const std::string& path, Database& db) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return kNWErrStoreUnavailable;
  std::string reason;
  if (!PrepareStateFolder(path.substr(0, slash), reason))
    return kNWErrStoreUnavailable;
  bool empty = false;
  int32_t result = PrepareFile(path, empty);
  if (result != 0)
    return result;

  int rc = sqlite3_open_v2(path.c_str(), db.Out(), SQLITE_OPEN_READWRITE, nullptr);
  if (rc != SQLITE_OK)
    return FromSqlite(rc);
  sqlite3_extended_result_codes(db.Handle(), 1);
  sqlite3_busy_timeout(db.Handle(), kBusyTimeoutMs);

  if (!empty) {
    // Read-only looks first: a file that is not ours, or damaged, must not see a single write.
    // They share one read transaction, since another run may be setting the file up right now.
    sqlite3_int64 applicationId = 0;
    sqlite3_int64 version = 0;
    sqlite3_int64 tables = 0;
    Transaction snapshot(db);
    rc = snapshot.Begin(false);
    if (rc == SQLITE_OK)
      rc = db.QueryInt("PRAGMA application_id", applicationId);
    if (rc == SQLITE_OK)
      rc = db.QueryInt("PRAGMA user_version", version);
    if (rc == SQLITE_OK)
      rc = db.QueryInt("SELECT count(*) FROM sqlite_master", tables);
    if (rc != SQLITE_OK)
      return FromSqlite(rc);
    if (applicationId != kApplicationId && !(applicationId == 0 && version == 0 && tables == 0))
      return kNWErrDatabaseFormat;
    if (applicationId == kApplicationId && version != kSchemaVersion)
      return kNWErrDatabaseFormat;
    std::string check;
    rc = db.QueryText("PRAGMA quick_check(1)", check);
    if (rc != SQLITE_OK)
      return FromSqlite(rc);
    if (check != "ok")
      return kNWErrInconsistentDatabase;
    rc = snapshot.Commit();
    if (rc != SQLITE_OK)
      return FromSqlite(rc);
    empty = applicationId != kApplicationId;
  }
  result = EnsureWal(db);
  if (result != 0)
    return result;
  if (db.Exec("PRAGMA synchronous = FULL") != SQLITE_OK ||
      db.Exec("PRAGMA foreign_keys = ON") != SQLITE_OK)
    return kNWErrStoreUnavailable;
  return empty ? CreateSchema(db) : 0;
}

std::string MatchKey(uint32_t syntax, const Value& value) {
  return IgnoresCase(syntax) ? AsciiLower(value) : value;
}

// The ID of the object, or 0 when there is none.
int FindObject(Database& db, const DirectoryName& object, sqlite3_int64& id) {
  Statement find(db.Handle(), "SELECT id FROM objects WHERE name_key = ?");
  find.BindText(1, object.Key());
  int rc = find.Step();
  id = rc == SQLITE_ROW ? find.Int(0) : 0;
  return rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int InsertValue(Database& db, sqlite3_int64 objectId, const std::string& attribute, uint32_t syntax,
                const Value& value) {
  Statement insert(db.Handle(),
                   "INSERT INTO attribute_values(object_id, attribute, syntax, value, match_key) "
                   "VALUES (?, ?, ?, ?, ?)");
  insert.Bind(1, objectId)
      .BindText(2, attribute)
      .Bind(3, syntax)
      .BindBlob(4, value)
      .BindBlob(5, MatchKey(syntax, value));
  int rc = insert.Step();
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// The user's object exists from the first call on; it is made in a transaction of its own so
// that a read never needs to write.
int32_t EnsureUserObject(Database& db, const DirectoryName& user, const Account& account) {
  sqlite3_int64 id = 0;
  int rc = FindObject(db, user, id);
  if (rc != SQLITE_OK)
    return FromSqlite(rc);
  if (id != 0)
    return 0;
  Transaction transaction(db);
  rc = transaction.Begin(true);
  if (rc == SQLITE_OK)
    rc = FindObject(db, user, id);
  if (rc != SQLITE_OK)
    return FromSqlite(rc);
  if (id != 0)
    return 0;
  Statement insert(db.Handle(), "INSERT INTO objects(name, name_key) VALUES (?, ?)");
  insert.BindText(1, user.Text()).BindText(2, user.Key());
  rc = insert.Step();
  if (rc != SQLITE_DONE)
    return FromSqlite(rc);
  id = sqlite3_last_insert_rowid(db.Handle());
  rc = InsertValue(db, id, "CN", kSynCiString, account.name);
  if (rc == SQLITE_OK)
    rc = InsertValue(db, id, "Object Class", kSynClassName, "User");
  if (rc == SQLITE_OK && !account.fullName.empty())
    rc = InsertValue(db, id, "Full Name", kSynCiString,
                     account.fullName.substr(0, kMaxSeededFullName));
  if (rc == SQLITE_OK)
    rc = transaction.Commit();
  return rc == SQLITE_OK ? 0 : FromSqlite(rc);
}

struct StoredValue {
  sqlite3_int64 id;
  uint32_t syntax;
  Value value;
  std::string matchKey;
};

int LoadValues(Database& db, sqlite3_int64 objectId, const std::string& attribute,
               std::vector<StoredValue>& values) {
  Statement select(db.Handle(),
                   "SELECT id, syntax, value, match_key FROM attribute_values "
                   "WHERE object_id = ? AND attribute = ? ORDER BY id");
  select.Bind(1, objectId).BindText(2, attribute);
  values.clear();
  int rc;
  while ((rc = select.Step()) == SQLITE_ROW)
    values.push_back(
        {select.Int(0), static_cast<uint32_t>(select.Int(1)), select.Text(2), select.Text(3)});
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int DeleteValue(Database& db, sqlite3_int64 id) {
  Statement remove(db.Handle(), "DELETE FROM attribute_values WHERE id = ?");
  remove.Bind(1, id);
  int rc = remove.Step();
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

const StoredValue* FindValue(const std::vector<StoredValue>& values, const std::string& key) {
  for (const StoredValue& stored : values)
    if (stored.matchKey == key)
      return &stored;
  return nullptr;
}

// Applies one change inside the caller's transaction; returns 0 or an NWClientError.
int32_t ApplyChange(Database& db, sqlite3_int64 objectId, const Change& change) {
  std::vector<StoredValue> stored;
  int rc = LoadValues(db, objectId, change.attribute, stored);
  if (rc != SQLITE_OK)
    return FromSqlite(rc);
  if (!change.values.empty() && !stored.empty() && stored.front().syntax != change.syntax)
    return kNWErrSyntaxViolation;

  switch (change.type) {
    case kAddAttribute:
      if (!stored.empty())
        return kNWErrAttributeAlreadyExists;
      [[fallthrough]];
    case kAddValue:
    case kAdditionalValue:
    case kOverwriteValue:
      for (const Value& value : change.values) {
        const std::string key = MatchKey(change.syntax, value);
        if (const StoredValue* match = FindValue(stored, key)) {
          if (change.type == kAddValue || change.type == kAddAttribute)
            return kNWErrDuplicateValue;
          if (change.type == kOverwriteValue) {
            Statement update(db.Handle(), "UPDATE attribute_values SET value = ? WHERE id = ?");
            update.BindBlob(1, value).Bind(2, match->id);
            rc = update.Step();
            if (rc != SQLITE_DONE)
              return FromSqlite(rc);
          }
          continue;
        }
        rc = InsertValue(db, objectId, change.attribute, change.syntax, value);
        if (rc != SQLITE_OK)
          return FromSqlite(rc);
        stored.push_back({sqlite3_last_insert_rowid(db.Handle()), change.syntax, value, key});
      }
      return 0;
    case kRemoveValue:
    case kClearValue:
      for (const Value& value : change.values) {
        const StoredValue* match = FindValue(stored, MatchKey(change.syntax, value));
        if (match == nullptr) {
          if (change.type == kRemoveValue)
            return kNWErrNoSuchValue;
          continue;
        }
        rc = DeleteValue(db, match->id);
        if (rc != SQLITE_OK)
          return FromSqlite(rc);
        stored.erase(stored.begin() + (match - stored.data()));
      }
      return 0;
    case kRemoveAttribute:
    case kClearAttribute:
      if (stored.empty() && change.type == kRemoveAttribute)
        return kNWErrNoSuchAttribute;
      for (const StoredValue& value : stored) {
        rc = DeleteValue(db, value.id);
        if (rc != SQLITE_OK)
          return FromSqlite(rc);
      }
      return 0;
    default:
      return kNWErrInvalidRequest;
  }
}

std::string FirstField(const char* comment) {
  if (comment == nullptr)
    return std::string();
  std::string text = comment;
  return text.substr(0, text.find(','));
}

// Opens the store with the user's object in place and finds `object` inside a transaction begun
// for reading or writing; kNWErrNoSuchEntry when the object is not there.
int32_t BeginOnObject(const std::string& path, const DirectoryName& user, const Account& account,
                      Database& db, Transaction& transaction, bool write,
                      const DirectoryName& object, sqlite3_int64& objectId) {
  int32_t result = Open(path, db);
  if (result == 0)
    result = EnsureUserObject(db, user, account);
  if (result != 0)
    return result;
  int rc = transaction.Begin(write);
  if (rc == SQLITE_OK)
    rc = FindObject(db, object, objectId);
  if (rc != SQLITE_OK)
    return FromSqlite(rc);
  return objectId == 0 ? kNWErrNoSuchEntry : 0;
}

}  // namespace

std::string StateDatabasePath() {
  const std::string folder = StateFolderPath();
  return folder.empty() ? std::string() : folder + "/directory.sqlite3";
}

Account CurrentProcessAccount() {
  Account account;
  const uid_t uid = ::getuid();
  struct passwd* entry = ::getpwuid(uid);
  if (entry != nullptr && entry->pw_name != nullptr && entry->pw_name[0] != '\0') {
    account.name = entry->pw_name;
    account.fullName = FirstField(entry->pw_gecos);
  } else {
    // An account without an entry (a container's bare uid) still needs a name of its own.
    account.name = "uid" + std::to_string(uid);
  }
  account.privileged = uid == 0;
  return account;
}

SqliteBackend::SqliteBackend(Account account, std::string databasePath)
    : account_(std::move(account)), path_(std::move(databasePath)) {}

std::string SqliteBackend::DatabasePath() const {
  return path_.empty() ? StateDatabasePath() : path_;
}

std::string SqliteBackend::TreeName() const {
  return "WELCOMER";
}

DirectoryName SqliteBackend::UserObject() const {
  return DirectoryName({{"CN", account_.name}, {"O", "LOCAL"}});
}

int32_t SqliteBackend::Read(const DirectoryName& object, const std::vector<std::string>& names,
                            std::vector<Attribute>& attributes) {
  attributes.clear();
  Database db;
  Transaction transaction(db);
  sqlite3_int64 objectId = 0;
  if (int32_t result = BeginOnObject(DatabasePath(), UserObject(), account_, db, transaction, false,
                                     object, objectId);
      result != 0)
    return result;
  int rc = SQLITE_OK;

  Statement select(db.Handle(),
                   "SELECT attribute, syntax, value FROM attribute_values WHERE object_id = ? "
                   "ORDER BY id");
  select.Bind(1, objectId);
  std::vector<Attribute> all;
  while ((rc = select.Step()) == SQLITE_ROW) {
    const std::string name = select.Text(0);
    Attribute* target = nullptr;
    for (Attribute& attribute : all)
      if (AsciiLower(attribute.name) == AsciiLower(name))
        target = &attribute;
    if (target == nullptr) {
      all.push_back({name, static_cast<uint32_t>(select.Int(1)), {}});
      target = &all.back();
    }
    target->values.push_back(select.Text(2));
  }
  if (rc != SQLITE_DONE)
    return FromSqlite(rc);
  rc = transaction.Commit();
  if (rc != SQLITE_OK)
    return FromSqlite(rc);

  for (Attribute& attribute : all) {
    bool wanted = names.empty();
    for (const std::string& name : names)
      wanted = wanted || AsciiLower(name) == AsciiLower(attribute.name);
    if (wanted)
      attributes.push_back(std::move(attribute));
  }
  if (!names.empty() && attributes.empty())
    return kNWErrNoSuchAttribute;
  return 0;
}

int32_t SqliteBackend::Modify(const DirectoryName& object, const std::vector<Change>& changes) {
  Database db;
  Transaction transaction(db);
  sqlite3_int64 objectId = 0;
  int32_t result = BeginOnObject(DatabasePath(), UserObject(), account_, db, transaction, true,
                                 object, objectId);
  if (result != 0)
    return result;
  for (const Change& change : changes) {
    result = ApplyChange(db, objectId, change);
    if (result != 0)
      return result;
  }
  const int rc = transaction.Commit();
  return rc == SQLITE_OK ? 0 : FromSqlite(rc);
}

int32_t SqliteBackend::ObjectId(const DirectoryName& object, uint32_t& id) {
  Database db;
  Transaction transaction(db);
  sqlite3_int64 found = 0;
  if (int32_t result = BeginOnObject(DatabasePath(), UserObject(), account_, db, transaction, false,
                                     object, found);
      result != 0)
    return result;
  id = static_cast<uint32_t>(found);
  return 0;
}

}  // namespace welcomer::client
