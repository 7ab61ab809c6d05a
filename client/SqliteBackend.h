#pragma once

#include <string>

#include "client/DirectoryBackend.h"

namespace welcomer::client {

/// The file that holds the current user's directory: $XDG_STATE_HOME/welcomer/directory.sqlite3,
/// where an unset, empty or relative XDG_STATE_HOME stands for ~/.local/state (the home folder
/// from $HOME, else from the account database).
std::string StateDatabasePath();

/// The embedded directory: one SQLite database per user with one container, O=LOCAL, that holds
/// the user's object CN=<account name>. Each call opens the database, does its work in one
/// transaction and closes it again, so that two runs of the same user interleave safely, a run
/// killed in the middle leaves the last committed state, and a user who deletes the file starts
/// afresh at the next call. The folder (0700) and the file (0600) are made on first use, and
/// with them the user's object, which starts with CN, Object Class and Full Name.
///
/// A file that is not this directory's database, or that fails SQLite's quick check, is never
/// written to: every call then reports kNWErrInconsistentDatabase or kNWErrDatabaseFormat and the
/// file stays as it is for the user to look at.
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

 private:
  std::string DatabasePath() const;

  Account account_;
  std::string path_;
};

/// The current process's account, from the account database.
Account CurrentProcessAccount();

}  // namespace welcomer::client
