#pragma once

#include <memory>
#include <string>

#include "client/DirectoryBackend.h"
#include "client/DirectoryConfig.h"
#include "client/DirectoryServer.h"
#include "client/OfflineCache.h"

namespace welcomer::client {

/// The user's state in the organisation's directory. The program's attribute "L" is the
/// configured LDAP attribute of the user's own entry; the user's entry is the one the server
/// names in its "Who am I?" answer, else the one entry that `user_filter` finds under `base`.
/// Its DN is the user's object for the program, written as a directory name ("uid=alice,
/// dc=example,dc=org" is "UID=alice.DC=example.DC=org"); no other object is served.
///
/// One session serves the whole run: it is opened, bound and the user found at the first call,
/// and changes queued while the server could not be reached are replayed then. Every call gives
/// up after the configured timeout. A server that is gone or silent is not asked again in this
/// run; reads are then answered from `cache` and changes queued in it (when there is a cache).
class LdapBackend : public DirectoryBackend {
 public:
  /// `cache` may be null: without it a run without the server has no state.
  LdapBackend(DirectoryConfig config, Account account, std::unique_ptr<DirectoryServer> server,
              std::unique_ptr<OfflineCache> cache);

  std::string TreeName() const override;
  /// Empty until the user was found.
  DirectoryName UserObject() const override { return user_; }
  int32_t FindUserObject(DirectoryName& user) override;
  const Account& CurrentAccount() const override { return account_; }
  /// Serves "L" (and "Full Name", the account's) of the user's object.
  int32_t Read(const DirectoryName& object, const std::vector<std::string>& names,
               std::vector<Attribute>& attributes) override;
  /// Adds or removes values of "L" of the user's object; other changes are not served.
  int32_t Modify(const DirectoryName& object, const std::vector<Change>& changes) override;
  /// A number derived from the user's DN.
  int32_t ObjectId(const DirectoryName& object, uint32_t& id) override;
  /// What the server answered, or why there is no user or no session, for the last call.
  std::string FailureText() const override { return failureText_; }

 private:
  enum class Link { kUntried, kOnline, kOffline, kFailed };

  Deadline CallDeadline() const;
  int32_t Connect(Deadline deadline);
  int32_t FindUser(Deadline deadline, std::string& dn, std::string& why);
  int32_t TakeIdentity(const std::string& dn, std::string& why);
  void ReplayQueued(Deadline deadline);
  int32_t GoOffline(const ServerAnswer& answer);
  int32_t CheckObject(Deadline deadline, const DirectoryName& object);
  int32_t ModifyOffline(const std::vector<std::pair<bool, Value>>& changes);
  int32_t Fail(int32_t code, const std::string& why);

  DirectoryConfig config_;
  Account account_;
  std::unique_ptr<DirectoryServer> server_;
  std::unique_ptr<OfflineCache> cache_;
  Link link_ = Link::kUntried;
  int32_t failure_ = 0;
  std::string linkWhy_;  ///< why the run has no session and no cache to fall back on
  std::string failureText_;
  std::string dn_;
  DirectoryName user_;
};

}  // namespace welcomer::client
