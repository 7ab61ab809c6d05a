#include "client/SqliteDatabase.h"

#include "client/ClientErrors.h"

namespace welcomer::client {

int32_t FromSqlite(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_OK:
      return 0;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return kNWErrStoreBusy;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return kNWErrInconsistentDatabase;
    case SQLITE_READONLY:
      return kNWErrNoAccess;
    case SQLITE_NOMEM:
      return kNWErrNotEnoughMemory;
    case SQLITE_CONSTRAINT:
      return kNWErrDuplicateValue;
    default:
      return kNWErrStoreUnavailable;
  }
}

Statement::Statement(sqlite3* db, const char* sql)
    : rc_(sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr)) {}

Statement::~Statement() {
  sqlite3_finalize(stmt_);
}

Statement& Statement::Bind(int index, sqlite3_int64 value) {
  Keep(sqlite3_bind_int64(stmt_, index, value));
  return *this;
}

Statement& Statement::BindText(int index, const std::string& text) {
  Keep(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                         SQLITE_TRANSIENT));
  return *this;
}

Statement& Statement::BindBlob(int index, const std::string& bytes) {
  Keep(sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()),
                         SQLITE_TRANSIENT));
  return *this;
}

int Statement::Step() {
  if (rc_ != SQLITE_OK)
    return rc_;
  return sqlite3_step(stmt_);
}

sqlite3_int64 Statement::Int(int column) {
  return sqlite3_column_int64(stmt_, column);
}

std::string Statement::Text(int column) {
  const void* data = sqlite3_column_blob(stmt_, column);
  int size = sqlite3_column_bytes(stmt_, column);
  return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size))
              : std::string();
}

void Statement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

void Statement::Keep(int rc) {
  if (rc_ == SQLITE_OK && rc != SQLITE_OK)
    rc_ = rc;
}

Database::~Database() {
  if (db_ != nullptr)
    sqlite3_close_v2(db_);
}

int Database::Exec(const char* sql) {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
}

int Database::QueryInt(const char* sql, sqlite3_int64& value) {
  Statement statement(db_, sql);
  int rc = statement.Step();
  if (rc != SQLITE_ROW)
    return rc == SQLITE_DONE ? SQLITE_CORRUPT : rc;
  value = statement.Int(0);
  return SQLITE_OK;
}

int Database::QueryText(const char* sql, std::string& value) {
  Statement statement(db_, sql);
  int rc = statement.Step();
  if (rc != SQLITE_ROW)
    return rc == SQLITE_DONE ? SQLITE_CORRUPT : rc;
  value = statement.Text(0);
  return SQLITE_OK;
}

Transaction::~Transaction() {
  if (open_)
    db_.Exec("ROLLBACK");
}

int Transaction::Begin(bool write) {
  int rc = db_.Exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
  open_ = rc == SQLITE_OK;
  return rc;
}

int Transaction::Commit() {
  int rc = db_.Exec("COMMIT");
  if (rc == SQLITE_OK)
    open_ = false;
  return rc;
}

}  // namespace welcomer::client
