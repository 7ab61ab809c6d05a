#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "client/DirectoryName.h"

namespace welcomer::client {

/// Syntax IDs whose values the client carries. String syntaxes travel as NUL-terminated text,
/// the numeric ones as one 32-bit word; values of any other syntax are refused.
enum Syntax : uint32_t {
  kSynDistName = 1,
  kSynCeString = 2,
  kSynCiString = 3,
  kSynPrString = 4,
  kSynNuString = 5,
  kSynBoolean = 7,
  kSynInteger = 8,
  kSynCounter = 22,
  kSynTime = 24,
  kSynClassName = 20,
  kSynInterval = 27,
};

bool IsStringSyntax(uint32_t syntax);
bool IsWordSyntax(uint32_t syntax);
/// Strings of every string syntax but the case-exact one compare without regard to case.
bool IgnoresCase(uint32_t syntax);

/// The longest string value, terminator included: one value always fits into a 4096-byte result
/// buffer together with its headers.
inline constexpr size_t kMaxStringValueSize = 2048;

/// Change types of a modify request.
enum ChangeType : uint32_t {
  kAddAttribute = 0,
  kRemoveAttribute = 1,
  kAddValue = 2,
  kRemoveValue = 3,
  kAdditionalValue = 4,
  kOverwriteValue = 5,
  kClearAttribute = 6,
  kClearValue = 7,
};

/// A value as stored: the text without its terminator, or the 4 bytes of a word.
using Value = std::string;

/// One attribute of an object with its values in the order they were added.
struct Attribute {
  std::string name;
  uint32_t syntax = 0;
  std::vector<Value> values;
};

/// One change of a modify request.
struct Change {
  uint32_t type = 0;
  std::string attribute;
  uint32_t syntax = 0;  ///< of the values; 0 while none was put
  std::vector<Value> values;
};

/// The user as the operating system knows them.
struct Account {
  std::string name;      ///< the account name ("alice")
  std::string fullName;  ///< the first field of the account's comment; may be empty
  bool privileged = false;
};

/// Where the directory's data lives. The entry points of the client speak to one backend and
/// know nothing of how it stores; every call reports 0 or a code of ClientErrors.h, and a failed
/// change leaves the data as it was.
class DirectoryBackend {
 public:
  virtual ~DirectoryBackend() = default;

  /// The name of the directory tree; never empty.
  virtual std::string TreeName() const = 0;
  /// The full name of the current user's object.
  virtual DirectoryName UserObject() const = 0;
  /// The current user's object, or the code that tells why it cannot be named: a directory on
  /// the network may be out of reach or may not know the user.
  virtual int32_t FindUserObject(DirectoryName& user) {
    user = UserObject();
    return 0;
  }
  /// The account behind the current user's object.
  virtual const Account& CurrentAccount() const = 0;

  /// Reads the attributes named in `names` (all of them when `names` is empty) of `object`, in
  /// the order their first values were added. kNWErrNoSuchEntry when the object does not exist,
  /// kNWErrNoSuchAttribute when names were given and none of them has a value.
  virtual int32_t Read(const DirectoryName& object, const std::vector<std::string>& names,
                       std::vector<Attribute>& attributes) = 0;

  /// Applies every change to `object`, all of them or none.
  virtual int32_t Modify(const DirectoryName& object, const std::vector<Change>& changes) = 0;

  /// The object's ID, stable for the life of the object.
  virtual int32_t ObjectId(const DirectoryName& object, uint32_t& id) = 0;

  /// Why the most recent call failed, in plain words for an administrator, when the code alone
  /// does not say it (the store's own message, a folder it would not use); else empty.
  virtual std::string FailureText() const { return std::string(); }

  /// Changes from here to EndChanges may be stored together, in one transaction that the first
  /// of them begins: each change still applies all or nothing and answers at once, but what it
  /// answers is kept only once EndChanges returns 0. Many small changes in a row then cost one
  /// sync instead of one each. A backend that cannot do this stores each change at once.
  virtual int32_t BeginChanges() { return 0; }
  virtual int32_t EndChanges() { return 0; }
};

/// The backend of this process: the embedded database of the current user, or the
/// organisation's directory when welcomer/directory.conf chooses it.
std::unique_ptr<DirectoryBackend> CreateDefaultBackend();

}  // namespace welcomer::client
