#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "client/DirectoryBackend.h"
#include "client/SqliteDatabase.h"

namespace welcomer::client {

/// The file that holds the current user's directory: $XDG_STATE_HOME/welcomer/directory.sqlite3,
/// where an unset, empty or relative XDG_STATE_HOME stands for ~/.local/state (the home folder
/// from $HOME, else from the account database).
std::string StateDatabasePath();

/// The embedded directory: one SQLite database per user with one container, O=LOCAL, that holds
/// the user's object CN=<account name>. Each call does its work in one transaction on one
/// connection that the process keeps, so that two runs of the same user interleave safely and a
/// run killed in the middle leaves the last committed state. The connection is read-only until
/// the first change, so a run that only reads writes nothing at all; a rollback journal with
/// full sync (never WAL, which network filesystems cannot carry) guards every change, and a
/// database left in WAL mode is switched over when it is first opened for writing. A user who
/// deletes the file starts afresh at the next call. The folder (0700) and the file (0600) are
/// made on first use, and with them the user's object, which starts with CN, Object Class and
/// Full Name. A folder or file that belongs to someone else is not used.
///
/// Every open checks the file's header, application ID and version; a file that is not this
/// directory's database is never read or written: every call reports kNWErrInconsistentDatabase
/// or kNWErrDatabaseFormat. SQLite's quick check runs once per file and run, before its first
/// write; a file that fails it is never written to, and every later call of the run, reads
/// included, reports kNWErrInconsistentDatabase. Before that, a read fails with that code when a
/// page it reads is one SQLite finds malformed; damage in pages a read does not touch is found at
/// the first write. The file stays as it is for the user to look at. FailureText says why the last
/// call failed.
class SqliteBackend : public DirectoryBackend {
 public:
  /// An empty `databasePath` stands for StateDatabasePath(), looked up afresh at each call so
  /// that the folder follows the environment the caller runs in.
  SqliteBackend(Account account, std::string databasePath);

  std::string TreeName() const override;
  DirectoryName UserObject() const override;
  const Account& CurrentAccount() const override { return account_; }
  int32_t Read(const DirectoryName& object, const std::vector<std::string>& names,
               std::vector<Attribute>& attributes) override;
  int32_t Modify(const DirectoryName& object, const std::vector<Change>& changes) override;
  int32_t ObjectId(const DirectoryName& object, uint32_t& id) override;
  std::string FailureText() const override { return failure_; }
  int32_t BeginChanges() override;
  int32_t EndChanges() override;

 private:
  /// Applies every change to `object` inside the open transaction.
  int32_t ApplyChanges(const DirectoryName& object, const std::vector<Change>& changes);
  std::string DatabasePath() const;
  /// Makes sure the connection is open on the file now at the path, writable when `write`
  /// asks, with the user's object in place; 0 or a code, with failure_ set.
  int32_t Connect(bool write);
  int32_t Open(const std::string& path, bool write);
  /// Records why a call failed and gives `code` back.
  int32_t Fail(int32_t code, std::string text);
  /// As Fail, in SQLite's words for `rc`.
  int32_t FailSql(int rc);
  /// The object's row ID inside an open transaction, or kNWErrNoSuchEntry.
  int32_t FindObjectId(const DirectoryName& object, int64_t& id);

  Account account_;
  std::string path_;
  std::unique_ptr<Database> db_;
  bool writable_ = false;
  std::string openPath_;
  uint64_t device_ = 0;
  uint64_t inode_ = 0;
  /// What SQLite's quick check found of the file at device_ and inode_.
  enum class Verdict { kUnchecked, kWhole, kDamaged };
  Verdict verdict_ = Verdict::kUnchecked;
  std::string damage_;      ///< why the file is damaged, while it is
  bool batching_ = false;   ///< between BeginChanges and EndChanges
  bool batchOpen_ = false;  ///< the batch's transaction is open
  std::string failure_;
};

/// The current process's account, from the account database.
Account CurrentProcessAccount();

}  // namespace welcomer::client
