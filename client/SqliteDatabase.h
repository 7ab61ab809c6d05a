#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

namespace welcomer::client {

/// The client's code (ClientErrors.h) for an SQLite result; 0 for SQLITE_OK.
int32_t FromSqlite(int rc);

/// One prepared statement. A failure to prepare or to bind is kept and given back by Step, so
/// that a caller can bind in a chain and look at one result.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool Ok() const { return rc_ == SQLITE_OK; }
  int PrepareResult() const { return rc_; }
  Statement& Bind(int index, sqlite3_int64 value);
  Statement& BindText(int index, const std::string& text);
  Statement& BindBlob(int index, const std::string& bytes);
  /// SQLITE_ROW, SQLITE_DONE or an error.
  int Step();
  sqlite3_int64 Int(int column);
  /// The column's bytes, text or blob alike.
  std::string Text(int column);
  void Reset();

 private:
  void Keep(int rc);

  sqlite3_stmt* stmt_ = nullptr;
  int rc_;
};

/// An open connection, closed with the object.
class Database {
 public:
  Database() = default;
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* Handle() const { return db_; }
  sqlite3** Out() { return &db_; }

  int Exec(const char* sql);
  /// The first column of the first row; SQLITE_CORRUPT when there is no row.
  int QueryInt(const char* sql, sqlite3_int64& value);
  int QueryText(const char* sql, std::string& value);

 private:
  sqlite3* db_ = nullptr;
};

/// Ends a transaction that is still open when a call leaves early.
class Transaction {
 public:
  explicit Transaction(Database& db) : db_(db) {}
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  /// BEGIN IMMEDIATE for `write`, else a deferred BEGIN.
  int Begin(bool write);
  int Commit();
  /// Leaves the transaction open for someone else to end.
  void Keep() { open_ = false; }

 private:
  Database& db_;
  bool open_ = false;
};

}  // namespace welcomer::client
