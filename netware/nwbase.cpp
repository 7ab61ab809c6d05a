#include "netware/nwbase.h"

#include <iterator>
#include <utility>

#include "nds/Nwnds.h"
#include "netware/ClientBinding.h"
#include "netware/NWServer.h"
#include "netware/NWprint.h"
#include "netware/NwProp.h"
#include "netware/nwlib.h"
#include "platform/AsciiText.h"

namespace welcomer {
namespace {

// The layer objects, shared by every instance: the layers' own state is process-wide too.
std::unique_ptr<TNWLib> nwLib;
std::unique_ptr<TNWNDS> nwNds;
std::unique_ptr<TNWServer> nwServer;
std::unique_ptr<TNWPrint> nwPrint;
std::unique_ptr<TNWProp> nwProp;
TNWServerInfo serverInfo;

constexpr uint16_t kTypeNumbers[] = {0,    256,  512,  768,  1024, 1280, 1536, 1792, 2048,
                                     2304, 2560, 2816, 8448, 9728, 9984, 0,    0};

}  // namespace

uint16_t ObjectTypeNumber(TNWObjType type) {
  const auto ordinal = static_cast<size_t>(type);
  return ordinal < std::size(kTypeNumbers) ? kTypeNumbers[ordinal] : 0;
}

bool ObjectTypeFromNumber(uint16_t number, TNWObjType& type) {
  if (number == 0)
    return false;
  for (size_t ordinal = 0; ordinal < std::size(kTypeNumbers); ++ordinal) {
    if (kTypeNumbers[ordinal] == number) {
      type = static_cast<TNWObjType>(ordinal);
      return true;
    }
  }
  return false;
}

// ---- TNWDSContextFlags -------------------------------------------------------------------

void TNWDSContextFlags::Apply(bool& field, bool value, uint32_t bit) {
  field = value;
  if (value) {
    GetContextFlags();
    AddContextFlags(bit);
  } else {
    RemoveContextFlags(bit);
  }
}

void TNWDSContextFlags::SetDereferenceAliases(bool value) {
  Apply(dereferenceAliases_, value, DCV_DEREF_ALIASES);
}
void TNWDSContextFlags::SetTranslateStrings(bool value) {
  Apply(translateStrings_, value, DCV_XLATE_STRINGS);
}
void TNWDSContextFlags::SetTypelessNames(bool value) {
  Apply(typelessNames_, value, DCV_TYPELESS_NAMES);
}
void TNWDSContextFlags::SetAsyncMode(bool value) {
  Apply(asyncMode_, value, DCV_ASYNC_MODE);
}
void TNWDSContextFlags::SetCanonicalizeNames(bool value) {
  Apply(canonicalizeNames_, value, DCV_CANONICALIZE_NAMES);
}
void TNWDSContextFlags::SetDereferenceBaseClass(bool value) {
  Apply(dereferenceBaseClass_, value, DCV_DEREF_BASE_CLASS);
}
void TNWDSContextFlags::SetDisallowReferrals(bool value) {
  Apply(disallowReferrals_, value, DCV_DISALLOW_REFERRALS);
}

// ---- TNWBase -----------------------------------------------------------------------------

TNWBase::TNWBase() {
  netAvailable_ = false;
  nwLib = std::make_unique<TNWLib>();
  nwNds = std::make_unique<TNWNDS>();
  nwServer = std::make_unique<TNWServer>();
  nwPrint = std::make_unique<TNWPrint>();
  nwProp = std::make_unique<TNWProp>();
  lastError_ = std::make_unique<TNWLastError>();
  ndsContextFlags_ = std::make_unique<TNWDSContextFlags>();

  broadcastMode_ = static_cast<TNWBroadcastMode>(GetBroadcastMode(0));
  silentExceptions_ = true;
  serverHandle_ = 0;
  loginName_.clear();
  serverName_.clear();
  directoryPresent_ = false;
  shellErrorMode_ = TNWShellErrorMode::nwErrInteractive;

  netAvailable_ = IsNetAvailable();
  if (netAvailable_ && InitUnicode()) {
    SetNDSMode(true);
    directoryPresent_ = IsDSServer(ServerHandle());
    SetNDSContextName("");
    // One call per bit, in this order; the flags object still holds its defaults.
    const TNWDSContextFlags& flags = *ndsContextFlags_;
    const std::pair<bool, uint32_t> bits[] = {
        {flags.DereferenceAliases(), DCV_DEREF_ALIASES},
        {flags.TranslateStrings(), DCV_XLATE_STRINGS},
        {flags.AsyncMode(), DCV_ASYNC_MODE},
        {flags.CanonicalizeNames(), DCV_CANONICALIZE_NAMES},
        {flags.DereferenceBaseClass(), DCV_DEREF_BASE_CLASS},
        {flags.DisallowReferrals(), DCV_DISALLOW_REFERRALS},
    };
    for (const auto& [set, bit] : bits) {
      if (set)
        AddContextFlags(bit);
    }
  }

  if (directoryPresent_) {
    // An empty name would canonicalize to a name of nobody's object.
    const std::string name = WhoAmI();
    loginName_ = name.empty() ? std::string() : CanonicalizeName(name);
  } else {
    loginName_ = GetConnectionLoginName(ServerHandle());
  }
}

TNWBase::~TNWBase() {
  if (NDSAvailable())
    FreeUnicode();
  nwNds.reset();
  nwLib.reset();
  nwServer.reset();
  nwPrint.reset();
  nwProp.reset();
  lastError_.reset();
  ndsContextFlags_.reset();
}

void TNWBase::AddNotificationListener(NotificationListener listener) {
  listeners_.push_back(std::move(listener));
}

void TNWBase::Notify(uint32_t notification) {
  for (const NotificationListener& listener : listeners_)
    listener(notification);
}

void TNWBase::ReportError(const char* message) {
  if (!silentExceptions_)
    throw TNWObjError(message);
}

std::string TNWBase::ServerVersion() {
  if (GetServerInfo(ServerHandle(), serverInfo))
    return serverInfo.versionText;
  return "0.0";
}

void TNWBase::SetNDSContextName(const std::string& value) {
  if (!NDSAvailable())
    return;
  std::string name = UpperCaseAscii(value);
  if (name.empty() || name == "[ROOT]") {
    ResetContext();
    name = GetNameContext();
  } else {
    SetNameContext(name);
  }
  ndsContextName_ = name;
  Notify(kServerChangeNotification);
}

void TNWBase::SetNDSContextFlags(std::unique_ptr<TNWDSContextFlags> flags) {
  if (flags)
    ndsContextFlags_ = std::move(flags);
}

bool TNWBase::NDSAvailable() {
  return directoryPresent_ && IsDSServer(ServerHandle());
}

std::string TNWBase::NDSPreferredTree() {
  if (!NDSAvailable())
    return std::string();
  return DSTreeName(PreferredDSServer());
}

void TNWBase::SetNDSPreferredTree(const std::string& value) {
  if (NDSAvailable())
    SetPreferredDSTree(value);
}

std::string TNWBase::DefaultServer() {
  return GetServerName(0);
}

void TNWBase::SetDefaultServer(const std::string& value) {
  if (value == defaultServer_)
    return;
  uint32_t connection = 0;
  if (SetPreferredServer(value, connection))
    defaultServer_ = value;
}

TNWLastError& TNWBase::LastError() {
  lastError_->SetNWLib(ErrorCodeText(TNWLib::LastErrorCode()));
  lastError_->SetNWServer(ErrorCodeText(TNWServer::LastErrorCode()));
  lastError_->SetNWProp(TNWProp().LastErrorText());
  lastError_->SetNWNDS(NDSErrorText());
  lastError_->SetNWPrint(TNWPrint().LastErrorText());
  return *lastError_;
}

void TNWBase::SetLastError(std::unique_ptr<TNWLastError> lastError) {
  if (lastError)
    lastError_ = std::move(lastError);
}

std::string TNWBase::Version() const {
  return "1.50 / " + GetLibVersion();
}

std::string TNWBase::FetchLoginName() {
  // Unlike at creation, a name fetched later is not canonicalized.
  if (NDSAvailable())
    return WhoAmI();
  return GetConnectionLoginName(ServerHandle());
}

std::string TNWBase::LoginID() {
  if (loginName_.empty())
    loginName_ = FetchLoginName();
  return loginName_;
}

void TNWBase::SetLoginID(const std::string& value) {
  if (!value.empty()) {
    loginName_ = UpperCaseAscii(value);
  } else {
    loginName_ = FetchLoginName();
  }
  Notify(kUserChangeNotification);
  if (OnUserChange)
    OnUserChange(*this);
}

std::string TNWBase::ServerName() {
  if (serverName_.empty())
    serverName_ = GetServerName(ServerHandle());
  return serverName_;
}

void TNWBase::SetServerName(const std::string& value) {
  const std::string name = UpperCaseAscii(value);
  if (name.empty()) {
    serverHandle_ = GetPrimaryConnection();
    serverName_ = GetServerName(serverHandle_);
  } else if (const uint32_t handle = OpenServerConnection(name); handle != 0) {
    serverHandle_ = handle;
    serverName_ = name;
  } else {
    ReportError("Invalid Server Handle");
  }
  Notify(kServerChangeNotification);
  if (OnServerChange)
    OnServerChange(*this);
}

LocalDateTime TNWBase::ServerDate() {
  const NWDate date = GetServerDate(ServerHandle());
  const NWTime time = GetServerTime(ServerHandle());
  return LocalDateTime{date.year, date.month, date.day, time.hour, time.minute, time.second};
}

void TNWBase::SetServerDate(const LocalDateTime& value) {
  SetServerDateTime(ServerHandle(), value);
}

void TNWBase::SetShellErrorMode(TNWShellErrorMode value) {
  shellErrorMode_ = value;
  SetErrorMode(static_cast<uint8_t>(value));
}

void TNWBase::SetBroadcastMode(TNWBroadcastMode value) {
  broadcastMode_ = value;
  welcomer::SetBroadcastMode(ServerHandle(), static_cast<uint16_t>(value));
}

uint32_t TNWBase::ServerHandle() {
  if (serverHandle_ == 0)
    serverHandle_ = GetPrimaryConnection();
  return serverHandle_;
}

std::string TNWBase::LoginFullName() {
  return GetFullName(ServerHandle(), loginName_);
}

std::string TNWBase::ObjectID() {
  if (NDSAvailable())
    return ObjectIDText(ServerHandle(), LoginID());
  const uint16_t type = ObjectTypeNumber(ObjectType());
  return GetObjectIDText(ServerHandle(), LoginID(), type);
}

uint16_t TNWBase::ConnectionID() {
  return GetConnectionNumber(ServerHandle());
}

TNWObjType TNWBase::ObjectType() {
  TNWObjType type = TNWObjType::nwObjTypeUser;
  if (!ObjectTypeFromNumber(NWObjectType(), type)) {
    ReportError("Invalid Netware Object Type");
    type = TNWObjType::nwObjTypeUser;
  }
  return type;
}

uint16_t TNWBase::NWObjectType() {
  return DetectObjectType(ServerHandle(), loginName_);
}

uint16_t TNWBase::MaxServerConns() {
  return GetMaxConnections();
}

bool TNWBase::ConsoleOperator() {
  return HasConsolePrivileges(ServerHandle());
}

bool TNWBase::Manager() {
  return IsManager(ServerHandle());
}

char TNWBase::FirstNetworkDrive() {
  return GetFirstNetworkDrive();
}

char TNWBase::NextNetworkDrive() {
  return GetNextFreeDrive();
}

}  // namespace welcomer
