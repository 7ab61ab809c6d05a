#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "nds/AttributeTable.h"

namespace welcomer {

// Keys, values and sizes of the directory client's contract.
inline constexpr int32_t DCK_FLAGS = 1;
inline constexpr int32_t DCK_NAME_CONTEXT = 3;
inline constexpr uint32_t DSV_READ = 3;
inline constexpr uint32_t DSV_MODIFY_ENTRY = 9;
inline constexpr uint32_t DS_ATTRIBUTE_VALUES = 1;
inline constexpr int32_t NO_MORE_ITERATIONS = -1;
inline constexpr uint32_t DEFAULT_MESSAGE_LEN = 4096;

// Bits of a context's flag word.
inline constexpr uint32_t DCV_DEREF_ALIASES = 0x01;
inline constexpr uint32_t DCV_XLATE_STRINGS = 0x02;
inline constexpr uint32_t DCV_TYPELESS_NAMES = 0x04;
inline constexpr uint32_t DCV_ASYNC_MODE = 0x08;
inline constexpr uint32_t DCV_CANONICALIZE_NAMES = 0x10;
inline constexpr uint32_t DCV_DEREF_BASE_CLASS = 0x40;
inline constexpr uint32_t DCV_DISALLOW_REFERRALS = 0x80;

/// NDSLastError after a client library failed to load.
inline constexpr int32_t kLibraryMissingError = 0xFFFF;

// ---- Binding -----------------------------------------------------------------------------

/// Binds the directory client ("NETWIN32.DLL", "LOCWIN32.DLL") and makes GlobalContext and
/// RootContext. All state is the unit's, so only one instance may exist at a time. Construction
/// never fails: a missing library or entry point leaves the binding partial for good.
class TNWNDS {
 public:
  TNWNDS();
  /// Frees both contexts; the libraries and bound entry points stay.
  ~TNWNDS();
  TNWNDS(const TNWNDS&) = delete;
  TNWNDS& operator=(const TNWNDS&) = delete;
};

/// Loads the client's Unicode tables for the locale the client reports, making GlobalContext
/// first if there is none. True when the tables loaded and GlobalContext exists. Not recorded.
bool InitUnicode();

/// Releases the Unicode tables; a failure is recorded in NDSLastError.
bool FreeUnicode();

/// NDSLastError as upper-case hexadecimal of at least four digits ("FFFF", "FFFFFDA7").
std::string NDSErrorText();

/// The default context of every directory routine; 0 when there is none.
int32_t GlobalContext();
/// The context of object-ID look-ups; 0 when there is none.
int32_t RootContext();
/// The code of the last failing directory call: 0 none, 0xFFFF a library missing, -1 a server
/// that is no directory server. Only the binding sets it back to 0.
int32_t NDSLastError();

/// Puts the unit back as at program start (nothing bound, no contexts, no error), for tests that
/// bind different clients one after another. Frees nothing.
void ResetDirectoryUnit();

// ---- Contexts and identity ---------------------------------------------------------------

/// A new context: a duplicate of GlobalContext while that is above 0, else a fresh one. 0 when
/// the entry points are unbound.
int32_t NewContext();
/// Frees `context`; true when the client did. Never recorded.
bool FreeContext(int32_t context);
/// Gives `context` the (trimmed) name context and makes a duplicate of it GlobalContext, freeing
/// the old one. True when GlobalContext exists afterwards. A name of more than 127 characters is
/// refused.
bool SelectContext(int32_t context, const std::string& nameContext);
/// Sets the (trimmed) name context of GlobalContext; more than 127 characters are refused.
bool SetNameContext(const std::string& nameContext);
/// The name context of GlobalContext; empty on failure.
std::string GetNameContext();
/// Replaces GlobalContext by a fresh context with the name context "[Root]".
void ResetContext();
/// ORs `flags` into the flags of GlobalContext and sets the result on both contexts.
bool AddContextFlags(uint32_t flags);
/// Takes `flags` out of the flags of each context (read, clear, set back), leaving every other
/// bit as it was. A context whose flags cannot be read is left alone. True when both were set.
bool RemoveContextFlags(uint32_t flags);
/// The flags of GlobalContext; 0 on failure.
uint32_t GetContextFlags();
/// The authenticated user's name; empty on failure (not recorded).
std::string WhoAmI();
/// The full name with attribute types, GlobalContext's flags left as they were; empty on failure
/// or for a name of more than 255 characters.
std::string CanonicalizeName(const std::string& name);
/// The object's ID, byte-swapped, in hexadecimal without leading zeros; empty on failure.
/// Connection 0 is the primary connection. GlobalContext becomes a duplicate of RootContext.
std::string ObjectIDText(uint32_t connection, const std::string& objectName);
/// The object's ID as the client gives it, and in `connection` the connection it used; 0 on
/// failure. GlobalContext becomes a duplicate of RootContext.
uint32_t AuditObjectID(uint32_t& connection, const std::string& objectName);
/// True when the connection (0: the primary one) leads to a directory server with a tree name.
/// A server that is none sets NDSLastError to -1.
bool IsDSServer(uint32_t connection);
/// The tree name of the connection's server without trailing "_"; empty on failure.
std::string DSTreeName(uint32_t connection);
/// The preferred directory server's connection; 0 on failure.
uint32_t PreferredDSServer();
/// Makes `treeName` the preferred tree; more than 255 characters are refused.
bool SetPreferredDSTree(const std::string& treeName);
/// What the client has to tell the user about the state (where it came from, what the directory
/// refused), oldest first, each given once. Empty for a client without such notices.
std::vector<std::string> TakeClientNotices();

// ---- Attribute values --------------------------------------------------------------------

/// The kind of one value change.
enum class TNWDSValueChange : uint8_t {
  vcAddValue = 0,
  vcOverwriteValue = 1,
  vcRemoveValue = 2,
  vcRemoveAttribute = 3,
};

/// One value as read from the directory: at least as many bytes as the client said the value
/// needs, and one zero byte beyond them, so that a text value ends whatever the client wrote.
class AttributeValueBlock {
 public:
  /// A zero-filled block of `size` usable bytes.
  explicit AttributeValueBlock(size_t size) : bytes_(size + 1, '\0') {}
  void* data() { return bytes_.data(); }
  const void* data() const { return bytes_.data(); }
  /// The usable bytes, the guard byte not counted.
  size_t size() const { return bytes_.size() - 1; }
  /// The block read as NUL-terminated text.
  std::string Text() const;

 private:
  std::vector<char> bytes_;
};

/// Values in the order the directory delivered them; the list owns every block.
using AttributeValueList = std::vector<AttributeValueBlock>;

/// The smallest block a value of ReadAttributeValues is read into.
inline constexpr size_t kValueBlockSize = 255;
/// The smallest block the value of ReadAttributeText is read into.
inline constexpr size_t kTextBlockSize = 128;

/// Appends every value of `attribute` of `objectName` to `values`. True when `values` holds at
/// least one entry afterwards, earlier entries included. An empty `contextName` works on a
/// duplicate of GlobalContext; any other makes it GlobalContext's name context for good.
bool ReadAttributeValues(const std::string& contextName, const std::string& objectName,
                         TNWDSAttribute attribute, AttributeValueList& values);

/// Adds one value (of the attribute's syntax; NUL-terminated text for a string syntax). True
/// when the directory applied the change.
bool AddAttributeValue(const std::string& contextName, const std::string& objectName,
                       TNWDSAttribute attribute, const void* value);

/// Removes one value; true when the directory applied the change.
bool RemoveAttributeValue(const std::string& contextName, const std::string& objectName,
                          TNWDSAttribute attribute, const void* value);

/// The first value of `attribute` as text; `text` is set only when the result is true.
bool ReadAttributeText(const std::string& contextName, const std::string& objectName,
                       TNWDSAttribute attribute, std::string& text);

}  // namespace welcomer
