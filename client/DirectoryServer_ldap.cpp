// The session with the directory server through OpenLDAP's libldap.

#include <ldap.h>
#include <sasl/sasl.h>
#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <cstring>

#include "client/ClientErrors.h"
#include "client/DirectoryServer.h"
#include "client/LdapModule.h"

namespace welcomer::client {
namespace {

// The shortest wait libldap is handed: a zero timeval means "no limit" to some of its calls.
constexpr long kMinimumWaitMicroseconds = 1000;

timeval Remaining(Deadline deadline) {
  auto left = std::chrono::duration_cast<std::chrono::microseconds>(
                  deadline - std::chrono::steady_clock::now())
                  .count();
  if (left < kMinimumWaitMicroseconds)
    left = kMinimumWaitMicroseconds;
  timeval tv;
  tv.tv_sec = static_cast<time_t>(left / 1000000);
  tv.tv_usec = static_cast<suseconds_t>(left % 1000000);
  return tv;
}

std::string TakeText(char* text) {
  std::string copy = text != nullptr ? text : "";
  if (text != nullptr)
    ldap_memfree(text);
  return copy;
}

// Both mechanisms ask only for the user to act as; the default (none) is the bound identity.
int Interact(LDAP*, unsigned, void*, void* prompts) {
  for (auto* prompt = static_cast<sasl_interact_t*>(prompts); prompt->id != SASL_CB_LIST_END;
       ++prompt) {
    const char* answer = prompt->defresult != nullptr ? prompt->defresult : "";
    prompt->result = answer;
    prompt->len = static_cast<unsigned>(std::strlen(answer));
  }
  return LDAP_SUCCESS;
}

class LdapServer : public DirectoryServer {
 public:
  LdapServer(DirectoryConfig config, std::string account, const LdapModuleHost& host)
      : config_(std::move(config)), account_(std::move(account)), host_(host) {}
  ~LdapServer() override { Close(); }

  ServerAnswer Open(Deadline deadline) override;
  std::string Uri() const override { return uri_; }
  std::string Base() const override { return base_; }
  ServerAnswer WhoAmI(Deadline deadline, std::string& dn) override;
  ServerAnswer Search(Deadline deadline, const std::string& base, const std::string& filter,
                      std::vector<std::string>& dns) override;
  ServerAnswer ReadValues(Deadline deadline, const std::string& dn, const std::string& attribute,
                          std::vector<std::string>& values) override;
  ServerAnswer ModifyValues(Deadline deadline, const std::string& dn, const std::string& attribute,
                            const std::vector<std::pair<bool, std::string>>& changes) override;
  ServerAnswer LostAnswer() const override { return lost_; }
  bool ParseDn(const std::string& dn, DirectoryName& name) const override {
    return NameFromDn(dn, name);
  }

 private:
  // Hands libldap what is left of the call's time, for the connection and for the answer.
  bool Prepare(Deadline deadline, ServerAnswer& answer);
  ServerAnswer Answer(int rc, const char* what);
  ServerAnswer Bind();
  void Close();

  DirectoryConfig config_;
  std::string account_;
  LdapModuleHost host_;
  std::string uri_;
  std::string base_;
  LDAP* ld_ = nullptr;
  // Once lost, the session stays lost for the rest of the run: the same answer, at once.
  ServerAnswer lost_;
};

bool LdapServer::Prepare(Deadline deadline, ServerAnswer& answer) {
  if (lost_.code != 0) {
    answer = lost_;
    return false;
  }
  if (ld_ == nullptr) {
    answer = {kNWErrServerDown, "the directory session is not open"};
    return false;
  }
  if (std::chrono::steady_clock::now() >= deadline) {
    answer = {kNWErrTimeout, "no time left for the directory"};
    lost_ = answer;
    Close();
    return false;
  }
  timeval tv = Remaining(deadline);
  ldap_set_option(ld_, LDAP_OPT_NETWORK_TIMEOUT, &tv);
  ldap_set_option(ld_, LDAP_OPT_TIMEOUT, &tv);
  return true;
}

ServerAnswer LdapServer::Answer(int rc, const char* what) {
  ServerAnswer answer;
  answer.code = FromLdapResult(rc);
  if (answer.code == 0)
    return answer;
  answer.text = std::string(what) + ": " + ldap_err2string(rc) + " (" + std::to_string(rc) + ")";
  char* diagnostic = nullptr;
  if (ld_ != nullptr && ldap_get_option(ld_, LDAP_OPT_DIAGNOSTIC_MESSAGE, &diagnostic) == 0) {
    const std::string said = TakeText(diagnostic);
    if (!said.empty())
      answer.text += ", " + said;
  }
  if (answer.Lost()) {
    // libldap keeps a timed-out handle alive and would wait the full time again at every call.
    lost_ = answer;
    Close();
  }
  return answer;
}

void LdapServer::Close() {
  if (ld_ != nullptr)
    ldap_unbind_ext_s(ld_, nullptr, nullptr);
  ld_ = nullptr;
}

ServerAnswer LdapServer::Open(Deadline deadline) {
  if (ld_ != nullptr || lost_.code != 0)
    return lost_;
  int rc = ldap_initialize(&ld_, config_.uri.empty() ? nullptr : config_.uri.c_str());
  if (rc != LDAP_SUCCESS || ld_ == nullptr) {
    ld_ = nullptr;
    lost_ = {kNWErrConfiguration,
             "the directory URI is not usable: " + std::string(ldap_err2string(rc))};
    return lost_;
  }
  const int version = LDAP_VERSION3;
  ldap_set_option(ld_, LDAP_OPT_PROTOCOL_VERSION, &version);
  // A referral would lead to a server nobody configured, outside the time this call may take.
  ldap_set_option(ld_, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  char* text = nullptr;
  uri_ = ldap_get_option(ld_, LDAP_OPT_URI, &text) == 0 ? TakeText(text) : config_.uri;
  text = nullptr;
  base_ = config_.base;
  if (base_.empty() && ldap_get_option(ld_, LDAP_OPT_DEFBASE, &text) == 0)
    base_ = TakeText(text);
  if (uri_.empty()) {
    lost_ = {kNWErrConfiguration,
             "no directory URI: set uri in directory.conf or URI in ldap.conf"};
    Close();
    return lost_;
  }
  ServerAnswer answer;
  if (!Prepare(deadline, answer))
    return answer;
  answer = Bind();
  // An unbound session would go on as anonymous, whom the directory tells nothing.
  if (!answer.Ok() && lost_.code == 0) {
    lost_ = answer;
    Close();
  }
  return answer;
}

ServerAnswer LdapServer::Bind() {
  if (config_.bind == DirectoryConfig::Bind::kSimple) {
    std::string password;
    std::string why;
    if (!host_.readPasswordFile(config_.bindPasswordFile, ::getuid(), password, why)) {
      lost_ = {kNWErrConfiguration, why};
      Close();
      return lost_;
    }
    const std::string dn = host_.expandAccount(config_.bindDn, account_, false);
    berval credentials{static_cast<ber_len_t>(password.size()), password.data()};
    const int rc = ldap_sasl_bind_s(ld_, dn.c_str(), LDAP_SASL_SIMPLE, &credentials, nullptr,
                                    nullptr, nullptr);
    // The password is not needed again; do not leave it lying in freed memory.
    explicit_bzero(password.data(), password.size());
    return Answer(rc, ("simple bind as " + dn).c_str());
  }
  std::string mechanism = config_.saslMech;
  char* configured = nullptr;
  if (mechanism.empty() && ldap_get_option(ld_, LDAP_OPT_X_SASL_MECH, &configured) == 0)
    mechanism = TakeText(configured);
  if (mechanism.empty())
    mechanism = "GSSAPI";
  const int rc = ldap_sasl_interactive_bind_s(ld_, nullptr, mechanism.c_str(), nullptr, nullptr,
                                              LDAP_SASL_QUIET, Interact, nullptr);
  return Answer(rc, ("SASL " + mechanism + " bind").c_str());
}

ServerAnswer LdapServer::WhoAmI(Deadline deadline, std::string& dn) {
  dn.clear();
  ServerAnswer answer;
  if (!Prepare(deadline, answer))
    return answer;
  berval* authzid = nullptr;
  const int rc = ldap_whoami_s(ld_, &authzid, nullptr, nullptr);
  if (authzid != nullptr) {
    const std::string said(authzid->bv_val, authzid->bv_len);
    if (said.size() > 3 && said.compare(0, 3, "dn:") == 0)
      dn = said.substr(3);
    ber_bvfree(authzid);
  }
  return Answer(rc, "who am I");
}

ServerAnswer LdapServer::Search(Deadline deadline, const std::string& base,
                                const std::string& filter, std::vector<std::string>& dns) {
  dns.clear();
  ServerAnswer answer;
  if (!Prepare(deadline, answer))
    return answer;
  char noAttributes[] = LDAP_NO_ATTRS;
  char* attributes[] = {noAttributes, nullptr};
  timeval tv = Remaining(deadline);
  LDAPMessage* result = nullptr;
  int rc = ldap_search_ext_s(ld_, base.c_str(), LDAP_SCOPE_SUBTREE, filter.c_str(), attributes, 0,
                             nullptr, nullptr, &tv, 2, &result);
  // Two entries and "size limit exceeded" is all it takes to know there are several.
  if (rc == LDAP_SIZELIMIT_EXCEEDED)
    rc = LDAP_SUCCESS;
  if (rc == LDAP_SUCCESS) {
    for (LDAPMessage* entry = ldap_first_entry(ld_, result); entry != nullptr;
         entry = ldap_next_entry(ld_, entry))
      dns.push_back(TakeText(ldap_get_dn(ld_, entry)));
  }
  ldap_msgfree(result);
  return Answer(rc, ("search for " + filter).c_str());
}

ServerAnswer LdapServer::ReadValues(Deadline deadline, const std::string& dn,
                                    const std::string& attribute,
                                    std::vector<std::string>& values) {
  values.clear();
  ServerAnswer answer;
  if (!Prepare(deadline, answer))
    return answer;
  std::string wanted = attribute;
  char* attributes[] = {wanted.data(), nullptr};
  timeval tv = Remaining(deadline);
  LDAPMessage* result = nullptr;
  const int rc = ldap_search_ext_s(ld_, dn.c_str(), LDAP_SCOPE_BASE, "(objectClass=*)", attributes,
                                   0, nullptr, nullptr, &tv, 0, &result);
  if (rc == LDAP_SUCCESS) {
    LDAPMessage* entry = ldap_first_entry(ld_, result);
    BerElement* position = nullptr;
    for (char* name = entry != nullptr ? ldap_first_attribute(ld_, entry, &position) : nullptr;
         name != nullptr; name = ldap_next_attribute(ld_, entry, position)) {
      // Subtypes with options ("l;lang-de") are other attributes to this client.
      const bool ours = strcasecmp(name, attribute.c_str()) == 0;
      berval** found = ours ? ldap_get_values_len(ld_, entry, name) : nullptr;
      for (int i = 0; found != nullptr && found[i] != nullptr; ++i)
        values.emplace_back(found[i]->bv_val, found[i]->bv_len);
      ldap_value_free_len(found);
      ldap_memfree(name);
    }
    ber_free(position, 0);
    if (entry == nullptr) {
      ldap_msgfree(result);
      return {kNWErrNoSuchEntry, "read of " + dn + ": no such entry"};
    }
  }
  ldap_msgfree(result);
  return Answer(rc, ("read of " + attribute + " of " + dn).c_str());
}

ServerAnswer LdapServer::ModifyValues(Deadline deadline, const std::string& dn,
                                      const std::string& attribute,
                                      const std::vector<std::pair<bool, std::string>>& changes) {
  ServerAnswer answer;
  if (!Prepare(deadline, answer))
    return answer;
  std::string type = attribute;
  std::vector<std::string> bytes;
  std::vector<berval> values(changes.size());
  std::vector<berval*> lists(changes.size() * 2, nullptr);
  std::vector<LDAPMod> mods(changes.size());
  std::vector<LDAPMod*> modList(changes.size() + 1, nullptr);
  std::string what;
  for (size_t i = 0; i < changes.size(); ++i) {
    bytes.push_back(changes[i].second);
  }
  for (size_t i = 0; i < changes.size(); ++i) {
    values[i] = berval{static_cast<ber_len_t>(bytes[i].size()), bytes[i].data()};
    lists[2 * i] = &values[i];
    mods[i].mod_op = (changes[i].first ? LDAP_MOD_ADD : LDAP_MOD_DELETE) | LDAP_MOD_BVALUES;
    mods[i].mod_type = type.data();
    mods[i].mod_bvalues = &lists[2 * i];
    modList[i] = &mods[i];
    what += std::string(what.empty() ? "" : ", ") + (changes[i].first ? "add" : "removal") +
            " of \"" + changes[i].second + "\"";
  }
  const int rc = ldap_modify_ext_s(ld_, dn.c_str(), modList.data(), nullptr, nullptr);
  return Answer(rc, what.c_str());
}

}  // namespace

bool NameFromDn(const std::string& dn, DirectoryName& name) {
  LDAPDN parsed = nullptr;
  if (dn.empty() || ldap_str2dn(dn.c_str(), &parsed, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS)
    return false;
  std::vector<NamePart> parts;
  bool usable = parsed != nullptr;
  for (int i = 0; usable && parsed[i] != nullptr; ++i) {
    LDAPRDN rdn = parsed[i];
    // "cn=a+sn=b" has no form among the program's names, which hold one type and value a part.
    if (rdn[0] == nullptr || rdn[1] != nullptr || (rdn[0]->la_flags & LDAP_AVA_BINARY) != 0) {
      usable = false;
      break;
    }
    NamePart part;
    part.type.assign(rdn[0]->la_attr.bv_val, rdn[0]->la_attr.bv_len);
    part.value.assign(rdn[0]->la_value.bv_val, rdn[0]->la_value.bv_len);
    for (char& c : part.type) {
      const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
      usable = usable && alnum;
      if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    }
    usable = usable && !part.type.empty() && !part.value.empty() &&
             part.value.find('\0') == std::string::npos;
    parts.push_back(std::move(part));
  }
  ldap_dnfree(parsed);
  if (!usable || parts.empty())
    return false;
  name = DirectoryName(std::move(parts));
  return true;
}

int32_t FromLdapResult(int rc) {
  switch (rc) {
    case LDAP_SUCCESS:
      return 0;
    case LDAP_TYPE_OR_VALUE_EXISTS:
      return kNWErrDuplicateValue;
    case LDAP_NO_SUCH_ATTRIBUTE:
      return kNWErrNoSuchValue;
    case LDAP_NO_SUCH_OBJECT:
      return kNWErrNoSuchEntry;
    case LDAP_INSUFFICIENT_ACCESS:
    case LDAP_STRONG_AUTH_REQUIRED:
      return kNWErrNoAccess;
    case LDAP_INVALID_SYNTAX:
      return kNWErrSyntaxViolation;
    case LDAP_INVALID_CREDENTIALS:
    case LDAP_INAPPROPRIATE_AUTH:
    case LDAP_AUTH_UNKNOWN:
    case LDAP_LOCAL_ERROR:
      return kNWErrFailedAuthentication;
    case LDAP_TIMEOUT:
    case LDAP_TIMELIMIT_EXCEEDED:
      return kNWErrTimeout;
    case LDAP_SERVER_DOWN:
    case LDAP_CONNECT_ERROR:
    case LDAP_BUSY:
    case LDAP_UNAVAILABLE:
      return kNWErrServerDown;
    case LDAP_NO_MEMORY:
      return kNWErrNotEnoughMemory;
    default:
      return kNWErrDirectoryRefused;
  }
}

std::unique_ptr<DirectoryServer> CreateLdapServer(const DirectoryConfig& config,
                                                  const std::string& account,
                                                  const LdapModuleHost& host) {
  // A server that drops the connection while we write must not end the login with SIGPIPE. A
  // handler the program installed itself is left alone.
  struct sigaction current {};
  if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
    signal(SIGPIPE, SIG_IGN);
  // libldap sets SASL up at its first call, whatever the bind, and SASL then loads every
  // mechanism installed, Kerberos's libraries with GSSAPI: milliseconds of every login. A simple
  // bind needs no mechanism, and EXTERNAL is built into SASL itself, so those runs point SASL at
  // no folder of mechanisms. Nothing else in the process uses SASL.
  const bool external = strcasecmp(config.saslMech.c_str(), "EXTERNAL") == 0;
  if (config.bind == DirectoryConfig::Bind::kSimple || external) {
    static char noFolder[] = "";
    sasl_set_path(SASL_PATH_TYPE_PLUGIN, noFolder);
  }
  return std::make_unique<LdapServer>(config, account, host);
}

}  // namespace welcomer::client
