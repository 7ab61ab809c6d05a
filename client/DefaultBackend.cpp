// The backend of this process, as welcomer/directory.conf chooses: the embedded directory when
// there is no file or it says `backend sqlite`, the organisation's LDAP directory for `backend
// ldap`. A file that cannot be read or parsed, or an LDAP module that cannot be loaded, gives a
// backend that serves no state and says why, rather than a guess.

#include "client/ClientErrors.h"
#include "client/ClientNotices.h"
#include "client/DirectoryBackend.h"
#include "client/DirectoryConfig.h"
#include "client/LdapBackend.h"
#include "client/LdapModule.h"
#include "client/SqliteBackend.h"

namespace welcomer::client {
namespace {

// Answers every call with the one reason there is no directory.
class UnavailableBackend : public DirectoryBackend {
 public:
  UnavailableBackend(Account account, int32_t code, std::string why)
      : account_(std::move(account)), code_(code), why_(std::move(why)) {}
  std::string TreeName() const override { return "WELCOMER"; }
  DirectoryName UserObject() const override { return DirectoryName(); }
  int32_t FindUserObject(DirectoryName& user) override {
    user = DirectoryName();
    return code_;
  }
  const Account& CurrentAccount() const override { return account_; }
  int32_t Read(const DirectoryName&, const std::vector<std::string>&,
               std::vector<Attribute>& attributes) override {
    attributes.clear();
    return code_;
  }
  int32_t Modify(const DirectoryName&, const std::vector<Change>&) override { return code_; }
  int32_t ObjectId(const DirectoryName&, uint32_t&) override { return code_; }
  std::string FailureText() const override { return why_; }

 private:
  Account account_;
  int32_t code_;
  std::string why_;
};

}  // namespace

std::unique_ptr<DirectoryBackend> CreateDefaultBackend() {
  DirectoryConfig config;
  std::string error;
  if (!LoadDirectoryConfig(config, error)) {
    return std::make_unique<UnavailableBackend>(CurrentProcessAccount(), kNWErrConfiguration,
                                                error);
  }
  if (config.backend == DirectoryConfig::Backend::kSqlite)
    return std::make_unique<SqliteBackend>(CurrentProcessAccount(), std::string());
  Account account = CurrentProcessAccount();
  std::string loadFailure;
  auto server = LoadLdapServer(config, account.name, loadFailure);
  // Without the module there is no directory to ask, and the offline cache alone must not
  // stand in for it: a broken installation should show, not be hidden by yesterday's state.
  if (server == nullptr)
    return std::make_unique<UnavailableBackend>(std::move(account), kNWErrStoreUnavailable,
                                                loadFailure);
  std::unique_ptr<OfflineCache> cache;
  if (config.cache) {
    // Keyed by what decides whose values these are, so that another directory, base or
    // attribute in the configuration never sees them.
    const std::string source =
        config.uri + "\n" + config.base + "\n" + AsciiLower(config.attribute) + "\n" + account.name;
    std::string why;
    cache = OpenOfflineCache(OfflineCachePath(), source, config.timeoutSeconds * 1000, why);
    if (cache == nullptr)
      AddClientNotice("The offline cache cannot be used: " + why);
  }
  return std::make_unique<LdapBackend>(std::move(config), std::move(account), std::move(server),
                                       std::move(cache));
}

}  // namespace welcomer::client
