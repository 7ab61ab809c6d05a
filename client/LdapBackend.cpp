#include "client/LdapBackend.h"

#include <utility>

#include "client/ClientErrors.h"
#include "client/ClientNotices.h"

namespace welcomer::client {
namespace {

constexpr const char* kStateAttribute = "L";
constexpr const char* kFullNameAttribute = "Full Name";
// The program's names come back through NWDSWhoAmI's 128-byte buffer.
constexpr size_t kMaxUserNameLength = 127;

bool SameText(const std::string& a, const std::string& b) {
  return AsciiLower(a) == AsciiLower(b);
}

bool Contains(const std::vector<std::string>& values, const std::string& value) {
  for (const std::string& stored : values)
    if (SameText(stored, value))
      return true;
  return false;
}

// FNV-1a over the DN as the directory compares it: stable for as long as the entry keeps its
// name, and never 0, which the calls layer reads as "no object".
uint32_t IdFromDn(const std::string& dn) {
  uint32_t hash = 2166136261u;
  for (char c : AsciiLower(dn)) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return hash == 0 ? 1 : hash;
}

}  // namespace

LdapBackend::LdapBackend(DirectoryConfig config, Account account,
                         std::unique_ptr<DirectoryServer> server,
                         std::unique_ptr<OfflineCache> cache)
    : config_(std::move(config)),
      account_(std::move(account)),
      server_(std::move(server)),
      cache_(std::move(cache)) {}

std::string LdapBackend::TreeName() const {
  return "WELCOMER";
}

Deadline LdapBackend::CallDeadline() const {
  return std::chrono::steady_clock::now() + std::chrono::seconds(config_.timeoutSeconds);
}

int32_t LdapBackend::FindUser(Deadline deadline, std::string& dn, std::string& why) {
  ServerAnswer answer = server_->WhoAmI(deadline, dn);
  // A server without the extended operation refuses it; the search below still finds the user.
  if (answer.Lost())
    return GoOffline(answer);
  if (!dn.empty())
    return 0;
  const std::string filter = ExpandAccount(config_.userFilter, account_.name, true);
  std::vector<std::string> found;
  answer = server_->Search(deadline, server_->Base(), filter, found);
  if (answer.Lost())
    return GoOffline(answer);
  if (!answer.Ok()) {
    why = answer.text;
    return answer.code;
  }
  if (found.size() != 1) {
    why = (found.empty() ? "no entry matches " : "several entries match ") + filter + " below \"" +
          server_->Base() + "\"";
    return found.empty() ? kNWErrNoSuchEntry : kNWErrAmbiguousEntry;
  }
  dn = found.front();
  return 0;
}

int32_t LdapBackend::TakeIdentity(const std::string& dn, std::string& why) {
  DirectoryName name;
  if (!server_->ParseDn(dn, name)) {
    why = "the user's entry \"" + dn + "\" has no name the program can use";
    return kNWErrInvalidObjectName;
  }
  if (name.Text().size() > kMaxUserNameLength) {
    why = "the user's entry \"" + dn + "\" is named longer than 127 characters";
    return kNWErrNameTooLong;
  }
  dn_ = dn;
  user_ = name;
  return 0;
}

int32_t LdapBackend::GoOffline(const ServerAnswer& answer) {
  const std::string where = server_->Uri().empty() ? "the directory" : server_->Uri();
  if (cache_ != nullptr) {
    std::string dn;
    std::vector<std::string> values;
    bool known = false;
    std::string why;
    if (cache_->Recall(dn, values, known) == 0 && known && TakeIdentity(dn, why) == 0) {
      link_ = Link::kOffline;
      AddClientNotice("State from the offline cache: " + where + " did not answer (" + answer.text +
                      ")");
      return 0;
    }
  }
  link_ = Link::kFailed;
  failure_ = answer.code;
  linkWhy_ = where + " did not answer (" + answer.text + ")" +
             (cache_ != nullptr ? " and the offline cache knows nothing of this user" : "");
  return Fail(failure_, linkWhy_);
}

int32_t LdapBackend::Connect(Deadline deadline) {
  if (link_ == Link::kOnline || link_ == Link::kOffline)
    return 0;
  if (link_ == Link::kFailed)
    return Fail(failure_, linkWhy_);
  const ServerAnswer opened = server_->Open(deadline);
  if (opened.Lost())
    return GoOffline(opened);
  std::string why = opened.text;
  int32_t result = opened.code;
  std::string dn;
  if (result == 0)
    result = FindUser(deadline, dn, why);
  if (link_ != Link::kUntried)
    return link_ == Link::kOffline ? 0 : failure_;
  if (result == 0)
    result = TakeIdentity(dn, why);
  if (result != 0) {
    link_ = Link::kFailed;
    failure_ = result;
    linkWhy_ = why;
    return Fail(result, why);
  }
  link_ = Link::kOnline;
  ReplayQueued(deadline);
  return link_ == Link::kFailed ? Fail(failure_, linkWhy_) : 0;
}

void LdapBackend::ReplayQueued(Deadline deadline) {
  if (cache_ == nullptr)
    return;
  int replayed = 0;
  const int32_t result = cache_->Replay([&](const PendingChange& change) {
    const ServerAnswer answer =
        server_->ModifyValues(deadline, dn_, config_.attribute, {{change.add, change.value}});
    if (answer.Lost())
      return false;
    // The same change made by another workstation in the meantime leaves nothing to do.
    if (answer.Ok() || answer.code == kNWErrDuplicateValue || answer.code == kNWErrNoSuchValue) {
      ++replayed;
    } else {
      AddClientNotice(
          "A change made while the directory was out of reach was refused and "
          "dropped: " +
          answer.text);
    }
    return true;
  });
  if (replayed > 0)
    AddClientNotice("Sent " + std::to_string(replayed) +
                    " change(s) made while the directory was out of reach");
  if (result != 0)
    AddClientNotice("The offline cache could not be replayed (code " + std::to_string(result) +
                    ")");
  // A server that went away half-way leaves the rest queued for the next run.
  if (const ServerAnswer lost = server_->LostAnswer(); link_ == Link::kOnline && lost.Lost())
    GoOffline(lost);
}

int32_t LdapBackend::Fail(int32_t code, const std::string& why) {
  failureText_ = why;
  return code;
}

int32_t LdapBackend::FindUserObject(DirectoryName& user) {
  failureText_.clear();
  const int32_t result = Connect(CallDeadline());
  user = result == 0 ? user_ : DirectoryName();
  return result;
}

int32_t LdapBackend::CheckObject(Deadline deadline, const DirectoryName& object) {
  const int32_t result = Connect(deadline);
  if (result != 0)
    return result;
  return object.Key() == user_.Key() ? 0 : kNWErrNoSuchEntry;
}

int32_t LdapBackend::Read(const DirectoryName& object, const std::vector<std::string>& names,
                          std::vector<Attribute>& attributes) {
  attributes.clear();
  failureText_.clear();
  const Deadline deadline = CallDeadline();
  int32_t result = CheckObject(deadline, object);
  if (result != 0)
    return result;
  bool wantState = names.empty();
  bool wantFullName = names.empty();
  for (const std::string& name : names) {
    wantState = wantState || SameText(name, kStateAttribute);
    wantFullName = wantFullName || SameText(name, kFullNameAttribute);
  }
  std::vector<std::string> values;
  if (wantState && link_ == Link::kOnline) {
    const ServerAnswer answer = server_->ReadValues(deadline, dn_, config_.attribute, values);
    if (answer.Lost()) {
      result = GoOffline(answer);
      if (result != 0)
        return result;
    } else if (!answer.Ok()) {
      return Fail(answer.code, "the directory refused the " + answer.text);
    } else if (cache_ != nullptr && cache_->Remember(dn_, values) != 0) {
      AddClientNotice("The offline cache could not keep the state just read");
    }
  }
  if (wantState && link_ == Link::kOffline) {
    std::string dn;
    bool known = false;
    result = cache_->Recall(dn, values, known);
    if (result != 0)
      return result;
  }
  if (wantState && !values.empty())
    attributes.push_back({kStateAttribute, kSynCiString, std::move(values)});
  if (wantFullName && !account_.fullName.empty())
    attributes.push_back({kFullNameAttribute, kSynCiString, {account_.fullName}});
  if (!names.empty() && attributes.empty())
    return kNWErrNoSuchAttribute;
  return 0;
}

int32_t LdapBackend::Modify(const DirectoryName& object, const std::vector<Change>& changes) {
  failureText_.clear();
  std::vector<std::pair<bool, Value>> values;
  for (const Change& change : changes) {
    if (!SameText(change.attribute, kStateAttribute))
      return kNWErrNoAccess;
    if (change.type != kAddValue && change.type != kRemoveValue)
      return kNWErrInvalidRequest;
    if (!IsStringSyntax(change.syntax))
      return kNWErrInvalidAttrSyntax;
    for (const Value& value : change.values)
      values.emplace_back(change.type == kAddValue, value);
  }
  const Deadline deadline = CallDeadline();
  int32_t result = CheckObject(deadline, object);
  if (result != 0 || values.empty())
    return result;
  if (link_ == Link::kOnline) {
    const ServerAnswer answer = server_->ModifyValues(deadline, dn_, config_.attribute, values);
    if (answer.Ok()) {
      for (const auto& [add, value] : values)
        if (cache_ != nullptr && cache_->Apply(add, value) != 0)
          AddClientNotice("The offline cache could not keep a change the directory accepted");
      return 0;
    }
    if (!answer.Lost()) {
      // A refusal is the directory's answer: the program carries on, and /v shows it, also
      // for the writes whose failure the program itself does not report.
      if (answer.code != kNWErrDuplicateValue && answer.code != kNWErrNoSuchValue)
        AddClientNotice("The directory refused the " + answer.text);
      return Fail(answer.code, "the directory refused the " + answer.text);
    }
    result = GoOffline(answer);
    if (result != 0)
      return result;
  }
  return ModifyOffline(values);
}

int32_t LdapBackend::ModifyOffline(const std::vector<std::pair<bool, Value>>& changes) {
  std::string dn;
  std::vector<std::string> values;
  bool known = false;
  int32_t result = cache_->Recall(dn, values, known);
  if (result != 0)
    return result;
  // Judged against the values as last known, as the directory would judge them, so that a
  // queued change replays as what it was; the whole request or none of it.
  for (const auto& [add, value] : changes) {
    const bool present = Contains(values, value);
    if (add && present)
      return kNWErrDuplicateValue;
    if (!add && !present)
      return kNWErrNoSuchValue;
    if (add) {
      values.push_back(value);
    } else {
      for (auto it = values.begin(); it != values.end(); ++it) {
        if (SameText(*it, value)) {
          values.erase(it);
          break;
        }
      }
    }
  }
  for (const auto& [add, value] : changes) {
    result = cache_->Queue(add, value);
    if (result != 0)
      return result;
  }
  return 0;
}

int32_t LdapBackend::ObjectId(const DirectoryName& object, uint32_t& id) {
  failureText_.clear();
  const int32_t result = CheckObject(CallDeadline(), object);
  if (result == 0)
    id = IdFromDn(dn_);
  return result;
}

}  // namespace welcomer::client
