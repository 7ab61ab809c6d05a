#include "client/SqliteBackend.h"

#include <pwd.h>
#include <sys/stat.h>
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

constexpr std::string_view kHeader("SQLite format 3\0", 16);
// Bytes 18 and 19 of the header are 2 in a database that is in WAL mode.
constexpr size_t kHeadSize = 20;
constexpr size_t kWriteVersionOffset = 18;
// Side files a crashed or older run may have left; they must be writable for the next change.
constexpr const char* kSideFiles[] = {"-journal", "-wal", "-shm"};

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

// Leaving WAL needs the file to itself, and SQLite gives up at once instead of waiting when
// another run has it open, so the waiting happens here, within the busy timeout. A rollback
// journal is what SQLite supports on network filesystems with working locks.
int UseRollbackJournal(Database& db) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
  for (;;) {
    std::string mode;
    int rc = db.QueryText("PRAGMA journal_mode = DELETE", mode);
    if (rc == SQLITE_OK && mode != "delete")
      rc = SQLITE_BUSY;
    if ((rc & 0xFF) != SQLITE_BUSY || std::chrono::steady_clock::now() >= deadline)
      return rc;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// Read-only looks at a file that is not known to be ours: one that is not ours, or damaged,
// must not see a single write. They share one read transaction, since another run may be
// setting the file up right now. The header, application ID and version are cheap and looked at
// on every open; SQLite's quick check reads every page, which a login that only reads cannot
// afford, so it runs when `whole` asks, before a run's first write. 0 or the client's code, with
// `why`; `rc` keeps SQLite's answer. `ours` tells whether the file is set up already.
int32_t CheckFile(Database& db, bool whole, bool& ours, std::string& why, int& rc) {
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
  std::string check = "ok";
  if (rc == SQLITE_OK && whole)
    rc = db.QueryText("PRAGMA quick_check(1)", check);
  if (rc == SQLITE_OK)
    rc = snapshot.Commit();
  if (rc != SQLITE_OK) {
    why = sqlite3_errmsg(db.Handle());
    return FromSqlite(rc);
  }
  if ((applicationId != kApplicationId && !(applicationId == 0 && version == 0 && tables == 0)) ||
      (applicationId == kApplicationId && version != kSchemaVersion)) {
    why = "not a database of this client, or of a newer version";
    return kNWErrDatabaseFormat;
  }
  if (check != "ok") {
    why = "the database is damaged: " + check;
    return kNWErrInconsistentDatabase;
  }
  ours = applicationId == kApplicationId;
  return 0;
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

// The syntax of the attribute's values, and whether it has any. Each change looks values up
// through the unique index instead of loading them, so that thousands of single-value changes
// in a row cost each the same.
int AttributeSyntax(Database& db, sqlite3_int64 objectId, const std::string& attribute, bool& any,
                    uint32_t& syntax) {
  Statement select(db.Handle(),
                   "SELECT syntax FROM attribute_values WHERE object_id = ? AND attribute = ? "
                   "LIMIT 1");
  select.Bind(1, objectId).BindText(2, attribute);
  const int rc = select.Step();
  any = rc == SQLITE_ROW;
  syntax = any ? static_cast<uint32_t>(select.Int(0)) : 0;
  return rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// The row of the value that matches `key`, or 0.
int FindValue(Database& db, sqlite3_int64 objectId, const std::string& attribute,
              const std::string& key, sqlite3_int64& id) {
  Statement select(db.Handle(),
                   "SELECT id FROM attribute_values WHERE object_id = ? AND attribute = ? AND "
                   "match_key = ?");
  select.Bind(1, objectId).BindText(2, attribute).BindBlob(3, key);
  const int rc = select.Step();
  id = rc == SQLITE_ROW ? select.Int(0) : 0;
  return rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int Run(Statement& statement) {
  const int rc = statement.Step();
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// Applies one change inside the caller's transaction; returns 0 or an NWClientError.
int32_t ApplyChange(Database& db, sqlite3_int64 objectId, const Change& change) {
  bool any = false;
  uint32_t syntax = 0;
  int rc = AttributeSyntax(db, objectId, change.attribute, any, syntax);
  if (rc != SQLITE_OK)
    return FromSqlite(rc);
  if (!change.values.empty() && any && syntax != change.syntax)
    return kNWErrSyntaxViolation;

  switch (change.type) {
    case kAddAttribute:
      if (any)
        return kNWErrAttributeAlreadyExists;
      [[fallthrough]];
    case kAddValue:
    case kAdditionalValue:
    case kOverwriteValue:
      for (const Value& value : change.values) {
        sqlite3_int64 match = 0;
        rc = FindValue(db, objectId, change.attribute, MatchKey(change.syntax, value), match);
        if (rc == SQLITE_OK && match != 0) {
          if (change.type == kAddValue || change.type == kAddAttribute)
            return kNWErrDuplicateValue;
          if (change.type == kOverwriteValue) {
            Statement update(db.Handle(), "UPDATE attribute_values SET value = ? WHERE id = ?");
            update.BindBlob(1, value).Bind(2, match);
            rc = Run(update);
          }
        } else if (rc == SQLITE_OK) {
          rc = InsertValue(db, objectId, change.attribute, change.syntax, value);
        }
        if (rc != SQLITE_OK)
          return FromSqlite(rc);
      }
      return 0;
    case kRemoveValue:
    case kClearValue:
      for (const Value& value : change.values) {
        sqlite3_int64 match = 0;
        rc = FindValue(db, objectId, change.attribute, MatchKey(change.syntax, value), match);
        if (rc == SQLITE_OK && match == 0 && change.type == kRemoveValue)
          return kNWErrNoSuchValue;
        if (rc == SQLITE_OK && match != 0) {
          Statement remove(db.Handle(), "DELETE FROM attribute_values WHERE id = ?");
          remove.Bind(1, match);
          rc = Run(remove);
        }
        if (rc != SQLITE_OK)
          return FromSqlite(rc);
      }
      return 0;
    case kRemoveAttribute:
    case kClearAttribute: {
      if (!any && change.type == kRemoveAttribute)
        return kNWErrNoSuchAttribute;
      Statement remove(db.Handle(),
                       "DELETE FROM attribute_values WHERE object_id = ? AND attribute = ?");
      remove.Bind(1, objectId).BindText(2, change.attribute);
      rc = Run(remove);
      return rc == SQLITE_OK ? 0 : FromSqlite(rc);
    }
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

int32_t SqliteBackend::Fail(int32_t code, std::string text) {
  failure_ = std::move(text);
  return code;
}

int32_t SqliteBackend::FailSql(int rc) {
  const char* message = db_ ? sqlite3_errmsg(db_->Handle()) : sqlite3_errstr(rc);
  return Fail(FromSqlite(rc), openPath_ + ": " + (message ? message : sqlite3_errstr(rc)));
}

int32_t SqliteBackend::Connect(bool write) {
  failure_.clear();
  // A batch's transaction lives on this connection until EndChanges.
  if (batchOpen_)
    return 0;
  const std::string path = DatabasePath();
  struct stat info;
  const bool exists = !path.empty() && ::stat(path.c_str(), &info) == 0;
  // The same file as before: a user who deletes it, or a run in another folder, gets a new one.
  if (db_ && exists && path == openPath_ && info.st_dev == device_ && info.st_ino == inode_ &&
      (writable_ || !write))
    return 0;
  db_.reset();
  writable_ = false;
  // A file made afresh may get the number of one found damaged before.
  if (!exists)
    verdict_ = Verdict::kUnchecked;
  if (path.empty())
    return Fail(kNWErrStoreUnavailable, "no state folder: no home folder is known");
  // The first call of all makes the store, even when it only reads.
  return Open(path, write || !exists);
}

int32_t SqliteBackend::Open(const std::string& path, bool write) {
  openPath_ = path;
  std::string reason;
  if (PrepareStateFolder(path.substr(0, path.rfind('/')), write, reason) != FolderState::kReady)
    return Fail(kNWErrStoreUnavailable, reason);
  const StateFile file = PrepareStateFile(path, kHeadSize, write);
  if (!file.usable)
    return Fail(kNWErrStoreUnavailable, file.reason);
  bool empty = file.head.empty();
  if (!empty && file.head.substr(0, kHeader.size()) != kHeader)
    return Fail(kNWErrInconsistentDatabase, path + ": not an SQLite database");
  // Only a writer can set up an empty file.
  if (empty)
    write = true;
  // Reading a database in WAL mode would make its side files all the same: switch it now.
  if (!empty && file.head.size() > kWriteVersionOffset && file.head[kWriteVersionOffset] == 2)
    write = true;
  if (write) {
    for (const char* suffix : kSideFiles)
      TightenStateFile(path + suffix);
  }

  db_ = std::make_unique<Database>();
  int rc = sqlite3_open_v2(path.c_str(), db_->Out(),
                           write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr);
  if (rc != SQLITE_OK) {
    const int32_t result = FailSql(rc);
    db_.reset();
    return result;
  }
  sqlite3_extended_result_codes(db_->Handle(), 1);
  sqlite3_busy_timeout(db_->Handle(), kBusyTimeoutMs);
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    db_.reset();
    return Fail(kNWErrStoreUnavailable, path + ": gone while it was opened");
  }
  const bool sameFile = info.st_dev == device_ && info.st_ino == inode_;
  device_ = info.st_dev;
  inode_ = info.st_ino;
  if (!sameFile) {
    verdict_ = Verdict::kUnchecked;
    damage_.clear();
  }
  // A file found damaged stays refused for the rest of the run, reads included: they would
  // serve what survived of it.
  if (verdict_ == Verdict::kDamaged) {
    db_.reset();
    return Fail(kNWErrInconsistentDatabase, damage_);
  }
  const bool whole = write && verdict_ != Verdict::kWhole;
  if (!empty) {
    bool ours = false;
    std::string why;
    const int32_t result = CheckFile(*db_, whole, ours, why, rc);
    // A run that died in the middle of a change left a journal that only a writer can roll
    // back.
    if ((rc & 0xFF) == SQLITE_READONLY && !write)
      return Open(path, true);
    if (result != 0) {
      db_.reset();
      if (result == kNWErrInconsistentDatabase) {
        verdict_ = Verdict::kDamaged;
        damage_ = path + ": " + why;
      }
      return Fail(result, path + ": " + why);
    }
    if (whole)
      verdict_ = Verdict::kWhole;
    empty = !ours;
  }
  if (write) {
    rc = UseRollbackJournal(*db_);
    if (rc == SQLITE_OK)
      rc = db_->Exec("PRAGMA synchronous = FULL");
    if (rc == SQLITE_OK)
      rc = db_->Exec("PRAGMA foreign_keys = ON");
    int32_t result = rc == SQLITE_OK ? 0 : FailSql(rc);
    if (result == 0 && empty) {
      result = CreateSchema(*db_);
      if (result != 0)
        FailSql(SQLITE_ERROR);
    }
    if (result != 0) {
      db_.reset();
      return result;
    }
    verdict_ = Verdict::kWhole;
  }
  writable_ = write;

  // The user's object exists from the first call on; only a writer can make it.
  sqlite3_int64 userId = 0;
  rc = FindObject(*db_, UserObject(), userId);
  if (rc != SQLITE_OK) {
    const int32_t result = FailSql(rc);
    db_.reset();
    return result;
  }
  if (userId != 0)
    return 0;
  if (!write)
    return Open(path, true);
  const int32_t result = EnsureUserObject(*db_, UserObject(), account_);
  if (result != 0) {
    FailSql(SQLITE_ERROR);
    db_.reset();
  }
  return result;
}

int32_t SqliteBackend::FindObjectId(const DirectoryName& object, int64_t& id) {
  sqlite3_int64 found = 0;
  const int rc = FindObject(*db_, object, found);
  if (rc != SQLITE_OK)
    return FailSql(rc);
  id = found;
  return found == 0 ? kNWErrNoSuchEntry : 0;
}

int32_t SqliteBackend::Read(const DirectoryName& object, const std::vector<std::string>& names,
                            std::vector<Attribute>& attributes) {
  attributes.clear();
  if (int32_t result = Connect(false); result != 0)
    return result;
  // Inside a batch, reads see its changes in its own transaction.
  Transaction transaction(*db_);
  int rc = batchOpen_ ? SQLITE_OK : transaction.Begin(false);
  if (rc != SQLITE_OK)
    return FailSql(rc);
  int64_t objectId = 0;
  if (int32_t result = FindObjectId(object, objectId); result != 0)
    return result;

  Statement select(db_->Handle(),
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
    return FailSql(rc);
  rc = batchOpen_ ? SQLITE_OK : transaction.Commit();
  if (rc != SQLITE_OK)
    return FailSql(rc);

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
  if (batchOpen_) {
    // Inside the batch's transaction; a savepoint keeps this request all or nothing.
    failure_.clear();
    int rc = db_->Exec("SAVEPOINT request");
    if (rc != SQLITE_OK)
      return FailSql(rc);
    const int32_t result = ApplyChanges(object, changes);
    if (result != 0)
      db_->Exec("ROLLBACK TO request");
    db_->Exec("RELEASE request");
    return result;
  }
  if (int32_t result = Connect(true); result != 0)
    return result;
  const bool batch = batching_;
  Transaction transaction(*db_);
  int rc = transaction.Begin(true);
  if (rc != SQLITE_OK)
    return FailSql(rc);
  const int32_t result = ApplyChanges(object, changes);
  if (result != 0)
    return result;
  if (batch) {
    // The batch's first change keeps its transaction open for the rest; EndChanges commits.
    transaction.Keep();
    batchOpen_ = true;
    return 0;
  }
  rc = transaction.Commit();
  return rc == SQLITE_OK ? 0 : FailSql(rc);
}

int32_t SqliteBackend::ApplyChanges(const DirectoryName& object,
                                    const std::vector<Change>& changes) {
  int64_t objectId = 0;
  if (int32_t result = FindObjectId(object, objectId); result != 0)
    return result;
  for (const Change& change : changes) {
    const int32_t result = ApplyChange(*db_, objectId, change);
    if (result != 0)
      return result;
  }
  return 0;
}

int32_t SqliteBackend::BeginChanges() {
  batching_ = true;
  return 0;
}

int32_t SqliteBackend::EndChanges() {
  batching_ = false;
  if (!batchOpen_)
    return 0;
  batchOpen_ = false;
  const int rc = db_->Exec("COMMIT");
  if (rc == SQLITE_OK)
    return 0;
  const int32_t result = FailSql(rc);
  db_->Exec("ROLLBACK");
  return result;
}

int32_t SqliteBackend::ObjectId(const DirectoryName& object, uint32_t& id) {
  if (int32_t result = Connect(false); result != 0)
    return result;
  Transaction transaction(*db_);
  if (int rc = batchOpen_ ? SQLITE_OK : transaction.Begin(false); rc != SQLITE_OK)
    return FailSql(rc);
  int64_t found = 0;
  if (int32_t result = FindObjectId(object, found); result != 0)
    return result;
  id = static_cast<uint32_t>(found);
  return 0;
}

}  // namespace welcomer::client
