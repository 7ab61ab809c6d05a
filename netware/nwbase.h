#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/PackedTime.h"

namespace welcomer {

/// NetWare object types. The calls library carries them as 16-bit numbers in high-low byte
/// order (a user, type 1, travels as 256); ObjectTypeNumber and ObjectTypeFromNumber map.
enum class TNWObjType : uint8_t {
  nwObjTypeNone = 0,
  nwObjTypeUser = 1,
  nwObjTypeGroup = 2,
  nwObjTypePrintQ = 3,
  nwObjTypeFileServer = 4,
  nwObjTypeJobServer = 5,
  nwObjTypeGateway = 6,
  nwObjTypePrintServer = 7,
  nwObjTypeArchiveQueue = 8,
  nwObjTypeArchiveServer = 9,
  nwObjTypeJobQueue = 10,
  nwObjTypeAdministration = 11,
  nwObjTypeNASSNAServer = 12,
  nwObjTypeRemoteBridge = 13,
  nwObjTypeTCPIPGateway = 14,
  nwObjTypeNDSTree = 15,
  nwObjTypeConnectedServer = 16,
};

/// The type number of `type`; 0 for the types that have none.
uint16_t ObjectTypeNumber(TNWObjType type);
/// The type whose number is `number`; false for 0 and for numbers no type has.
bool ObjectTypeFromNumber(uint16_t number, TNWObjType& type);

/// The client's error mode; the ordinal is what the client is given.
enum class TNWShellErrorMode : uint8_t { nwErrInteractive = 0, nwErrNetware = 1, nwErrDOS = 2 };

/// A connection's broadcast mode; the ordinal is the client's.
enum class TNWBroadcastMode : uint8_t {
  nwBroadcastOn = 0,
  nwBroadcastServerOnly = 1,
  nwBroadcastOff = 2,
  nwBroadcastStored = 3,
};

/// An error of the component itself, raised only when SilentExceptions is false.
class TNWObjError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The last error code of each client layer as upper-case hexadecimal text of at least four
/// digits ("0000" none, "FFFF" a library missing, "FFFFFFFF" for -1).
class TNWLastError {
 public:
  const std::string& NWLib() const { return nwLib_; }
  void SetNWLib(std::string value) { nwLib_ = std::move(value); }
  const std::string& NWServer() const { return nwServer_; }
  void SetNWServer(std::string value) { nwServer_ = std::move(value); }
  const std::string& NWProp() const { return nwProp_; }
  void SetNWProp(std::string value) { nwProp_ = std::move(value); }
  const std::string& NWNDS() const { return nwNds_; }
  void SetNWNDS(std::string value) { nwNds_ = std::move(value); }
  const std::string& NWPrint() const { return nwPrint_; }
  void SetNWPrint(std::string value) { nwPrint_ = std::move(value); }

 private:
  std::string nwLib_;
  std::string nwServer_;
  std::string nwProp_;
  std::string nwNds_;
  std::string nwPrint_;
};

/// The directory context flags as seven switches. Switching one on adds its bit to both
/// directory contexts; switching it off takes that bit, and only that bit, out of both.
class TNWDSContextFlags {
 public:
  /// The defaults: aliases dereferenced, strings translated, names canonicalized; nothing is
  /// sent to the contexts.
  TNWDSContextFlags() = default;

  bool DereferenceAliases() const { return dereferenceAliases_; }
  void SetDereferenceAliases(bool value);
  bool TranslateStrings() const { return translateStrings_; }
  void SetTranslateStrings(bool value);
  bool TypelessNames() const { return typelessNames_; }
  void SetTypelessNames(bool value);
  bool AsyncMode() const { return asyncMode_; }
  void SetAsyncMode(bool value);
  bool CanonicalizeNames() const { return canonicalizeNames_; }
  void SetCanonicalizeNames(bool value);
  bool DereferenceBaseClass() const { return dereferenceBaseClass_; }
  void SetDereferenceBaseClass(bool value);
  bool DisallowReferrals() const { return disallowReferrals_; }
  void SetDisallowReferrals(bool value);

 private:
  void Apply(bool& field, bool value, uint32_t bit);

  bool dereferenceAliases_ = true;
  bool translateStrings_ = true;
  bool typelessNames_ = false;
  bool asyncMode_ = false;
  bool canonicalizeNames_ = true;
  bool dereferenceBaseClass_ = false;
  bool disallowReferrals_ = false;
};

/// The notifications a component sends to its owner's listeners.
inline constexpr uint32_t kServerChangeNotification = 0xB841;
inline constexpr uint32_t kUserChangeNotification = 0xB842;

/// The NetWare component: creating it binds the whole client (calls, connection and directory
/// libraries), decides whether the network and the directory are there and fixes LoginID, the
/// user's directory name. Without the client it still constructs, with NetAvailable false and
/// LoginID empty. The layers' state is process-wide: one instance at a time.
class TNWBase {
 public:
  /// Called with the component as sender.
  using TNotifyEvent = std::function<void(TNWBase& sender)>;
  /// Receives the owner notifications (kServerChangeNotification, kUserChangeNotification).
  using NotificationListener = std::function<void(uint32_t notification)>;

  TNWBase();
  /// Releases the Unicode tables when the directory is available and frees the layers; the
  /// libraries stay loaded.
  ~TNWBase();
  TNWBase(const TNWBase&) = delete;
  TNWBase& operator=(const TNWBase&) = delete;

  TNotifyEvent OnServerChange;
  TNotifyEvent OnUserChange;

  /// Stands in for the owner's windowed controls: each listener receives every notification,
  /// in the order the listeners were added. The program adds none.
  void AddNotificationListener(NotificationListener listener);

  /// The version text of ServerHandle's server; "0.0" when it cannot be read.
  std::string ServerVersion();
  /// Whether a network connection was there at creation.
  bool NetAvailable() const { return netAvailable_; }
  const std::string& NDSContextName() const { return ndsContextName_; }
  /// Only while NDSAvailable: "" or "[ROOT]" (any case) resets the context to the root and
  /// stores the name context read back; any other value becomes the name context.
  void SetNDSContextName(const std::string& value);
  TNWDSContextFlags& NDSContextFlags() { return *ndsContextFlags_; }
  void SetNDSContextFlags(std::unique_ptr<TNWDSContextFlags> flags);
  /// The directory was seen at creation and ServerHandle's server still is a directory server.
  bool NDSAvailable();
  std::string NDSPreferredTree();
  void SetNDSPreferredTree(const std::string& value);
  /// The primary connection's server name.
  std::string DefaultServer();
  void SetDefaultServer(const std::string& value);
  /// Refreshes the five texts from the layers' codes first.
  TNWLastError& LastError();
  void SetLastError(std::unique_ptr<TNWLastError> lastError);
  bool SilentExceptions() const { return silentExceptions_; }
  void SetSilentExceptions(bool value) { silentExceptions_ = value; }
  /// "1.50 / " followed by the calls layer's version.
  std::string Version() const;
  /// The user's name: cached once found; fetched again while empty.
  std::string LoginID();
  /// A non-empty value is cached upper-cased; an empty one fetches the name again. Notifies.
  void SetLoginID(const std::string& value);
  std::string ServerName();
  /// Opens the named server and makes it ServerHandle; "" returns to the primary connection.
  /// A server that cannot be opened raises "Invalid Server Handle" unless SilentExceptions.
  void SetServerName(const std::string& value);
  /// The server's date and time, from two separate requests.
  LocalDateTime ServerDate();
  void SetServerDate(const LocalDateTime& value);
  TNWShellErrorMode ShellErrorMode() const { return shellErrorMode_; }
  void SetShellErrorMode(TNWShellErrorMode value);
  TNWBroadcastMode BroadcastMode() const { return broadcastMode_; }
  void SetBroadcastMode(TNWBroadcastMode value);
  /// The connection in use, fetched while it is 0.
  uint32_t ServerHandle();
  std::string LoginFullName();
  /// The user's object ID in hexadecimal without leading zeros.
  std::string ObjectID();
  uint16_t ConnectionID();
  /// The user's object type; "Invalid Netware Object Type" and nwObjTypeUser for an unknown one.
  TNWObjType ObjectType();
  /// The raw type number of the user's object; 0 when none matched.
  uint16_t NWObjectType();
  uint16_t MaxServerConns();
  bool ConsoleOperator();
  bool Manager();
  char FirstNetworkDrive();
  char NextNetworkDrive();

 private:
  void Notify(uint32_t notification);
  void ReportError(const char* message);
  std::string FetchLoginName();

  std::string loginName_;
  std::string serverName_;
  std::string defaultServer_;
  std::string ndsContextName_;
  bool netAvailable_ = false;
  bool directoryPresent_ = false;
  bool silentExceptions_ = true;
  TNWBroadcastMode broadcastMode_ = TNWBroadcastMode::nwBroadcastOn;
  TNWShellErrorMode shellErrorMode_ = TNWShellErrorMode::nwErrInteractive;
  uint32_t serverHandle_ = 0;
  std::unique_ptr<TNWLastError> lastError_;
  std::unique_ptr<TNWDSContextFlags> ndsContextFlags_;
  std::vector<NotificationListener> listeners_;
};

}  // namespace welcomer
