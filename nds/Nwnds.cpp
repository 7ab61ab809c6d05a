#include "nds/Nwnds.h"

#include <algorithm>
#include <cstring>

#include "nds/DirectoryEntryPoints.h"
#include "netware/CallsBinding.h"
#include "netware/ClientBinding.h"
#include "netware/Nwtools.h"
#include "platform/AsciiText.h"

namespace welcomer {
namespace {

// A client that never ends an iteration must not hang a login. No user's state comes near this
// many 4096-byte result buffers (tens of thousands of entries), so a read that reaches it stops
// with what it has.
constexpr int kMaxReadPasses = 1000;

// A value can only come back inside one result buffer, so no honest size exceeds this; a larger
// answer is taken as a failure to size the value rather than allocated.
constexpr uint32_t kMaxValueSize = 1u << 16;

struct EntryPoints {
#define WELCOMER_NDS_SLOT(library, name) decltype(&::name) name = nullptr;
  WELCOMER_NDS_BOUND_AT_START(WELCOMER_NDS_SLOT)
  WELCOMER_NDS_BOUND_ON_USE(WELCOMER_NDS_SLOT)
#undef WELCOMER_NDS_SLOT
};

// The unit's state, shared by every directory routine.
void* netModule = nullptr;
void* localeModule = nullptr;
EntryPoints entry;
int32_t globalContext = 0;
int32_t rootContext = 0;
int32_t ndsLastError = 0;

void Record(int32_t code) {
  if (code != 0)
    ndsLastError = code;
}

bool BindAtStart() {
#define WELCOMER_NDS_BIND(library, name)                   \
  if (!BindEntryPoint(library##Module, #name, entry.name)) \
    return false;
  WELCOMER_NDS_BOUND_AT_START(WELCOMER_NDS_BIND)
#undef WELCOMER_NDS_BIND
  return true;
}

// A client that lacks either library is not used at all, late entry points included.
void* LateBindingModule() {
  return localeModule != nullptr ? netModule : nullptr;
}

#define WELCOMER_NDS_BIND_ON_USE(name) BindEntryPoint(LateBindingModule(), #name, entry.name)

// Everything the attribute routines call. The binding stops at the first missing entry point,
// so a partial binding may have left some of these empty.
bool AttributeEntryPointsBound() {
  return entry.NWDSCreateContext && entry.NWDSFreeContext && entry.NWDSSetContext &&
         entry.NWDSAllocBuf && entry.NWDSInitBuf && entry.NWDSFreeBuf &&
         entry.NWDSDuplicateContext && entry.NWDSPutAttrName && entry.NWDSPutAttrVal &&
         entry.NWDSGetAttrName && entry.NWDSGetAttrVal && entry.NWDSGetAttrCount &&
         entry.NWDSPutChange && entry.NWDSModifyObject && entry.NWDSComputeAttrValSize &&
         entry.NWDSRead;
}

}  // namespace

// ---- Binding -----------------------------------------------------------------------------

TNWNDS::TNWNDS() {
  ndsLastError = 0;
  globalContext = 0;
  try {
    ClientLibraryLoader& loader = CurrentClientLibraryLoader();
    netModule = loader.Load("NETWIN32.DLL");
    if (netModule == nullptr) {
      ndsLastError = kLibraryMissingError;
      return;
    }
    localeModule = loader.Load("LOCWIN32.DLL");
    if (localeModule == nullptr) {
      ndsLastError = kLibraryMissingError;
      return;
    }
    if (!BindAtStart())
      return;
    globalContext = entry.NWDSCreateContext();
    rootContext = entry.NWDSCreateContext();
    SetNameContext("[Root]");
  } catch (...) {
    // Forget the modules so that InitUnicode reports the directory unusable.
    netModule = nullptr;
    localeModule = nullptr;
  }
}

TNWNDS::~TNWNDS() {
  if (globalContext != 0) {
    FreeContext(globalContext);
    globalContext = 0;
  }
  if (rootContext != 0) {
    FreeContext(rootContext);
    rootContext = 0;
  }
}

bool InitUnicode() {
  if (netModule == nullptr || localeModule == nullptr)
    return false;
  if (globalContext == 0 && entry.NWDSCreateContext)
    globalContext = entry.NWDSCreateContext();
  if (!entry.NWLlocaleconv || !entry.NWInitUnicodeTables)
    return false;
  unsigned char localeRecord[132] = {};
  entry.NWLlocaleconv(localeRecord);
  int32_t codePage = 0;
  int32_t countryCode = 0;
  std::memcpy(&codePage, localeRecord + 56, sizeof codePage);
  std::memcpy(&countryCode, localeRecord + 60, sizeof countryCode);
  return entry.NWInitUnicodeTables(countryCode, codePage) == 0 && globalContext != 0;
}

bool FreeUnicode() {
  if (!entry.NWFreeUnicodeTables)
    return false;
  const int32_t result = entry.NWFreeUnicodeTables();
  Record(result);
  return result == 0;
}

std::string NDSErrorText() {
  return ErrorCodeText(ndsLastError);
}

int32_t GlobalContext() {
  return globalContext;
}

int32_t RootContext() {
  return rootContext;
}

int32_t NDSLastError() {
  return ndsLastError;
}

void ResetDirectoryUnit() {
  netModule = nullptr;
  localeModule = nullptr;
  entry = EntryPoints();
  globalContext = 0;
  rootContext = 0;
  ndsLastError = 0;
}

// ---- Contexts and identity ---------------------------------------------------------------

int32_t NewContext() {
  if (!entry.NWDSDuplicateContext || !entry.NWDSCreateContext)
    return 0;
  if (globalContext > 0)
    return entry.NWDSDuplicateContext(globalContext);
  return entry.NWDSCreateContext();
}

bool FreeContext(int32_t context) {
  if (!entry.NWDSFreeContext)
    return false;
  return entry.NWDSFreeContext(context) == 0;
}

namespace {

// Gives `context` the name context; a refusal by the client is recorded, a name too long for
// the client's 128-byte buffer is refused before the call.
bool PutNameContext(int32_t context, const std::string& nameContext) {
  char name[128];
  if (!CopyToBuffer(AllTrim(nameContext), name))
    return false;
  const int32_t result = entry.NWDSSetContext(context, DCK_NAME_CONTEXT, name);
  Record(result);
  return result == 0;
}

}  // namespace

bool SelectContext(int32_t context, const std::string& nameContext) {
  if (!entry.NWDSSetContext || !PutNameContext(context, nameContext))
    return false;
  FreeContext(globalContext);
  // The old handle is freed: a duplicate that fails must leave 0, not a handle that is gone.
  int32_t duplicate = 0;
  if (WELCOMER_NDS_BIND_ON_USE(NWDSDuplicateContextHandle)) {
    entry.NWDSDuplicateContextHandle(context, &duplicate);
  } else if (entry.NWDSDuplicateContext) {
    duplicate = entry.NWDSDuplicateContext(context);
  }
  globalContext = duplicate;
  return globalContext != 0;
}

bool SetNameContext(const std::string& nameContext) {
  return entry.NWDSSetContext && PutNameContext(globalContext, nameContext);
}

std::string GetNameContext() {
  if (!entry.NWDSGetContext)
    return std::string();
  char name[128] = {};
  const int32_t result = entry.NWDSGetContext(globalContext, DCK_NAME_CONTEXT, name);
  if (result != 0) {
    Record(result);
    return std::string();
  }
  return TextOf(name);
}

void ResetContext() {
  FreeContext(globalContext);
  globalContext = entry.NWDSCreateContext ? entry.NWDSCreateContext() : 0;
  SetNameContext("[Root]");
}

bool AddContextFlags(uint32_t flags) {
  if (!entry.NWDSGetContext || !entry.NWDSSetContext)
    return false;
  // A failed read leaves the word at 0: the given bits are then set on their own.
  uint32_t word = 0;
  entry.NWDSGetContext(globalContext, DCK_FLAGS, &word);
  word |= flags;
  entry.NWDSSetContext(globalContext, DCK_FLAGS, &word);
  const int32_t result = entry.NWDSSetContext(rootContext, DCK_FLAGS, &word);
  Record(result);
  return result == 0;
}

bool RemoveContextFlags(uint32_t flags) {
  if (!entry.NWDSGetContext || !entry.NWDSSetContext)
    return false;
  bool cleared = true;
  for (const int32_t context : {globalContext, rootContext}) {
    uint32_t word = 0;
    int32_t result = entry.NWDSGetContext(context, DCK_FLAGS, &word);
    // Without the current word, setting anything back would change bits we were not asked to.
    if (result == 0) {
      word &= ~flags;
      result = entry.NWDSSetContext(context, DCK_FLAGS, &word);
    }
    if (result != 0) {
      Record(result);
      cleared = false;
    }
  }
  return cleared;
}

uint32_t GetContextFlags() {
  if (!entry.NWDSGetContext)
    return 0;
  uint32_t word = 0;
  const int32_t result = entry.NWDSGetContext(globalContext, DCK_FLAGS, &word);
  if (result != 0) {
    Record(result);
    return 0;
  }
  return word;
}

std::string WhoAmI() {
  if (!WELCOMER_NDS_BIND_ON_USE(NWDSWhoAmI))
    return std::string();
  char name[128] = {};
  if (entry.NWDSWhoAmI(globalContext, name) != 0)
    return std::string();
  return TextOf(name);
}

std::string CanonicalizeName(const std::string& name) {
  if (!WELCOMER_NDS_BIND_ON_USE(NWDSCanonicalizeName))
    return std::string();
  if (!entry.NWDSGetContext || !entry.NWDSSetContext)
    return std::string();
  char source[256];
  if (!CopyToBuffer(name, source))
    return std::string();
  uint32_t savedFlags = 0;
  int32_t result = entry.NWDSGetContext(globalContext, DCK_FLAGS, &savedFlags);
  if (result != 0) {
    Record(result);
    return std::string();
  }
  // Typeless names off, so that the full name carries its attribute types.
  uint32_t canonicalFlags = DCV_DEREF_ALIASES | DCV_XLATE_STRINGS | DCV_CANONICALIZE_NAMES;
  entry.NWDSSetContext(globalContext, DCK_FLAGS, &canonicalFlags);
  char canonical[256] = {};
  result = entry.NWDSCanonicalizeName(globalContext, source, canonical);
  std::string fullName;
  if (result != 0) {
    Record(result);
  } else {
    fullName = TextOf(canonical);
  }
  entry.NWDSSetContext(globalContext, DCK_FLAGS, &savedFlags);
  return fullName;
}

std::string ObjectIDText(uint32_t connection, const std::string& objectName) {
  if (!WELCOMER_NDS_BIND_ON_USE(NWDSMapNameToID))
    return std::string();
  char name[256];
  if (!CopyToBuffer(objectName, name))
    return std::string();
  connection = PrimaryWhenZero(connection);
  if (!SelectContext(rootContext, "[root]"))
    return std::string();
  uint32_t id = 0;
  const int32_t result = entry.NWDSMapNameToID(rootContext, connection, name, &id);
  if (result != 0) {
    Record(result);
    return std::string();
  }
  return IdText(LongSwap(id));
}

uint32_t AuditObjectID(uint32_t& connection, const std::string& objectName) {
  connection = 0;
  if (!WELCOMER_NDS_BIND_ON_USE(NWDSAuditGetObjectID))
    return 0;
  char name[256];
  if (!CopyToBuffer(objectName, name))
    return 0;
  if (!SelectContext(rootContext, "[root]"))
    return 0;
  uint32_t id = 0;
  const int32_t result = entry.NWDSAuditGetObjectID(rootContext, name, &connection, &id);
  if (result != 0) {
    Record(result);
    return 0;
  }
  return id;
}

namespace {

// The tree name of the connection's server; false when the server is no directory server (then
// recorded as -1) or the entry point is missing.
bool AskDirectoryServer(uint32_t connection, std::string& treeName) {
  if (!WELCOMER_NDS_BIND_ON_USE(NWIsDSServer))
    return false;
  connection = PrimaryWhenZero(connection);
  char tree[256] = {};
  if (entry.NWIsDSServer(connection, tree) == 0) {
    ndsLastError = -1;
    return false;
  }
  treeName = TextOf(tree);
  return true;
}

}  // namespace

bool IsDSServer(uint32_t connection) {
  std::string tree;
  return AskDirectoryServer(connection, tree) && !tree.empty();
}

std::string DSTreeName(uint32_t connection) {
  std::string tree;
  if (!AskDirectoryServer(connection, tree))
    return std::string();
  while (!tree.empty() && tree.back() == '_')
    tree.pop_back();
  return tree;
}

uint32_t PreferredDSServer() {
  const auto preferred = LookUpEntryPoint<decltype(&::NWGetPreferredDSServer)>(
      LateBindingModule(), "NWGetPreferredDSServer");
  if (preferred == nullptr)
    return 0;
  uint32_t connection = 0;
  const int32_t result = preferred(&connection);
  if (result != 0) {
    Record(result);
    return 0;
  }
  return connection;
}

std::vector<std::string> TakeClientNotices() {
  // Our own client's addition: looked up afresh, and simply absent from other clients.
  const auto take = LookUpEntryPoint<decltype(&::NWWelcomerTakeNotice)>(LateBindingModule(),
                                                                        "NWWelcomerTakeNotice");
  std::vector<std::string> notices;
  char text[1024];
  while (take != nullptr && notices.size() < 64 && take(text, sizeof text) == 0)
    notices.push_back(TextOf(text));
  return notices;
}

bool SetPreferredDSTree(const std::string& treeName) {
  if (!WELCOMER_NDS_BIND_ON_USE(NWSetPreferredDSTree))
    return false;
  char tree[256];
  if (!CopyToBuffer(treeName, tree))
    return false;
  const int32_t result = entry.NWSetPreferredDSTree(static_cast<uint32_t>(treeName.size()), tree);
  Record(result);
  return result == 0;
}

// ---- Attribute values --------------------------------------------------------------------

std::string AttributeValueBlock::Text() const {
  return std::string(bytes_.data(), strnlen(bytes_.data(), bytes_.size()));
}

namespace {

// A working context for one request, freed when the request ends.
class WorkingContext {
 public:
  // An empty context name works on a duplicate of GlobalContext; any other on a new context that
  // SelectContext gives the name, which also makes it the unit's default from then on.
  explicit WorkingContext(const std::string& contextName) {
    if (contextName.empty()) {
      handle_ = entry.NWDSDuplicateContext(globalContext);
      return;
    }
    handle_ = NewContext();
    if (handle_ > 0 && !SelectContext(handle_, contextName)) {
      FreeContext(handle_);
      handle_ = 0;
    }
  }
  ~WorkingContext() {
    if (handle_ > 0)
      FreeContext(handle_);
  }
  WorkingContext(const WorkingContext&) = delete;
  WorkingContext& operator=(const WorkingContext&) = delete;

  bool ok() const { return handle_ > 0; }
  int32_t handle() const { return handle_; }

 private:
  int32_t handle_ = 0;
};

// A request or result buffer of DEFAULT_MESSAGE_LEN bytes, freed when the request ends.
class RequestBuffer {
 public:
  RequestBuffer() = default;
  ~RequestBuffer() {
    if (buffer_ != nullptr)
      entry.NWDSFreeBuf(buffer_);
  }
  RequestBuffer(const RequestBuffer&) = delete;
  RequestBuffer& operator=(const RequestBuffer&) = delete;

  bool Allocate() { return entry.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buffer_) == 0 && buffer_; }
  NWDSBuf* get() const { return buffer_; }

 private:
  NWDSBuf* buffer_ = nullptr;
};

// One read of one attribute of one object: the request buffer that names the attribute and the
// result buffer that each pass fills.
class AttributeRead {
 public:
  /// Allocates both buffers and names the attribute; a refusal of the name is recorded.
  bool Prepare(int32_t context, const char* attributeName) {
    if (!request_.Allocate() || !reply_.Allocate())
      return false;
    if (entry.NWDSInitBuf(context, DSV_READ, request_.get()) != 0)
      return false;
    return Recorded(entry.NWDSPutAttrName(context, request_.get(), attributeName));
  }

  /// Fills the result buffer with the next pass; false, recorded, when the client fails, and
  /// false when an earlier pass was the last or the pass bound is reached.
  bool Next(int32_t context, const char* object) {
    if (passes_ > 0 && (iteration_ == NO_MORE_ITERATIONS || passes_ >= kMaxReadPasses))
      return false;
    ++passes_;
    return Recorded(entry.NWDSRead(context, object, DS_ATTRIBUTE_VALUES, 0, request_.get(),
                                   &iteration_, reply_.get()));
  }

  NWDSBuf* reply() const { return reply_.get(); }

 private:
  static bool Recorded(int32_t result) {
    if (result != 0)
      Record(result);
    return result == 0;
  }

  RequestBuffer request_;
  RequestBuffer reply_;
  int32_t iteration_ = NO_MORE_ITERATIONS;
  int passes_ = 0;
};

// The size the next value of `buffer` needs, never below `minimum`; false when the client cannot
// say or names a size no result buffer could hold.
bool NextValueSize(int32_t context, NWDSBuf* buffer, uint32_t syntax, size_t minimum,
                   size_t& size) {
  uint32_t reported = 0;
  if (entry.NWDSComputeAttrValSize(context, buffer, syntax, &reported) != 0)
    return false;
  if (reported > kMaxValueSize)
    return false;
  size = std::max<size_t>(minimum, reported);
  return true;
}

bool PutValueChange(int32_t context, NWDSBuf* buffer, uint8_t syntax, const char* attributeName,
                    const void* value, TNWDSValueChange kind) {
  static constexpr uint32_t kChangeTypes[] = {2, 5, 3, 1};
  int32_t result =
      entry.NWDSPutChange(context, buffer, kChangeTypes[static_cast<uint8_t>(kind)], attributeName);
  if (result == 0)
    result = entry.NWDSPutAttrVal(context, buffer, syntax, value);
  Record(result);
  return result == 0;
}

bool ModifyAttributeValue(int32_t context, NWDSBuf* buffer, const char* objectName,
                          const char* attributeName, uint8_t syntax, const void* value,
                          TNWDSValueChange kind) {
  if (!PutValueChange(context, buffer, syntax, attributeName, value, kind))
    return false;
  const int32_t result = entry.NWDSModifyObject(context, objectName, nullptr, 0, buffer);
  Record(result);
  return result == 0;
}

// The object and attribute names of a request, in the buffers the client takes them in.
struct RequestNames {
  char object[256];
  char attribute[34];

  /// False, before any call, when a name does not fit its buffer.
  bool Fill(const std::string& objectName, TNWDSAttribute which) {
    return CopyToBuffer(objectName, object) && CopyToBuffer(AttributeName(which), attribute);
  }
};

bool ChangeAttributeValue(const std::string& contextName, const std::string& objectName,
                          TNWDSAttribute attribute, const void* value, TNWDSValueChange kind) {
  RequestNames names;
  if (!AttributeEntryPointsBound() || !names.Fill(objectName, attribute))
    return false;
  const char* object = names.object;
  const char* attributeName = names.attribute;
  RequestBuffer modify;
  if (!modify.Allocate())
    return false;
  WorkingContext context(contextName);
  if (!context.ok())
    return false;
  if (entry.NWDSInitBuf(context.handle(), DSV_MODIFY_ENTRY, modify.get()) != 0)
    return false;
  return ModifyAttributeValue(context.handle(), modify.get(), object, attributeName,
                              AttributeSyntax(attribute), value, kind);
}

// Scans the attributes of a result buffer for `attributeName` (compared without regard to ASCII
// case) and reads its first value into a block of its own size into `destination`.
bool TakeNamedAttributeValue(int32_t context, NWDSBuf* buffer, const std::string& attributeName,
                             AttributeValueBlock& destination) {
  uint32_t count = 0;
  int32_t result = entry.NWDSGetAttrCount(context, buffer, &count);
  if (result != 0) {
    Record(result);
    return false;
  }
  const std::string wanted = UpperCaseAscii(attributeName);
  bool taken = false;
  for (uint32_t i = 0; i < count; ++i) {
    char name[34] = {};
    uint32_t valueCount = 0;
    uint32_t syntax = 0;
    result = entry.NWDSGetAttrName(context, buffer, name, &valueCount, &syntax);
    if (result != 0) {
      Record(result);
      break;
    }
    if (UpperCaseAscii(TextOf(name)) != wanted)
      continue;
    size_t size = 0;
    if (!NextValueSize(context, buffer, syntax, kTextBlockSize, size))
      break;
    AttributeValueBlock block(size);
    result = entry.NWDSGetAttrVal(context, buffer, syntax, block.data());
    if (result != 0) {
      Record(result);
      break;
    }
    destination = std::move(block);
    taken = true;
  }
  return taken;
}

bool ReadFirstAttributeValue(int32_t context, const std::string& objectName,
                             TNWDSAttribute attribute, AttributeValueBlock& destination) {
  char object[256];
  if (!CopyToBuffer(objectName, object))
    return false;
  const std::string attributeName = AttributeName(attribute);
  AttributeRead read;
  if (!read.Prepare(context, attributeName.c_str()))
    return false;
  bool found = false;
  while (read.Next(context, object)) {
    if (TakeNamedAttributeValue(context, read.reply(), attributeName, destination))
      found = true;
  }
  return found;
}

}  // namespace

bool ReadAttributeValues(const std::string& contextName, const std::string& objectName,
                         TNWDSAttribute attribute, AttributeValueList& values) {
  RequestNames names;
  if (!AttributeEntryPointsBound() || !names.Fill(objectName, attribute))
    return false;
  const char* object = names.object;
  const char* attributeName = names.attribute;
  WorkingContext context(contextName);
  if (!context.ok())
    return false;
  const int32_t handle = context.handle();
  AttributeRead read;
  if (!read.Prepare(handle, attributeName))
    return false;
  // Values of earlier result buffers stay: a failing continuation is not a failed read.
  while (read.Next(handle, object)) {
    NWDSBuf* reply = read.reply();
    uint32_t count = 0;
    int32_t result = entry.NWDSGetAttrCount(handle, reply, &count);
    if (result != 0) {
      Record(result);
      return false;
    }
    char name[34] = {};
    uint32_t valueCount = 0;
    uint32_t syntax = 0;
    result = entry.NWDSGetAttrName(handle, reply, name, &valueCount, &syntax);
    if (result != 0) {
      Record(result);
      return false;
    }
    // Each value is sized before it is read, so that a long value arrives whole in a block of
    // its own size; a value the client cannot size ends this buffer's values.
    for (uint32_t i = 1; i <= valueCount; ++i) {
      size_t size = 0;
      if (!NextValueSize(handle, reply, syntax, kValueBlockSize, size))
        break;
      AttributeValueBlock block(size);
      result = entry.NWDSGetAttrVal(handle, reply, syntax, block.data());
      if (result != 0) {
        if (i == 1)
          Record(result);
        return false;
      }
      values.push_back(std::move(block));
    }
  }
  return !values.empty();
}

bool AddAttributeValue(const std::string& contextName, const std::string& objectName,
                       TNWDSAttribute attribute, const void* value) {
  return ChangeAttributeValue(contextName, objectName, attribute, value,
                              TNWDSValueChange::vcAddValue);
}

bool RemoveAttributeValue(const std::string& contextName, const std::string& objectName,
                          TNWDSAttribute attribute, const void* value) {
  return ChangeAttributeValue(contextName, objectName, attribute, value,
                              TNWDSValueChange::vcRemoveValue);
}

bool ReadAttributeText(const std::string& contextName, const std::string& objectName,
                       TNWDSAttribute attribute, std::string& text) {
  if (!AttributeEntryPointsBound())
    return false;
  WorkingContext context(contextName);
  if (!context.ok())
    return false;
  AttributeValueBlock value(kTextBlockSize);
  if (!ReadFirstAttributeValue(context.handle(), objectName, attribute, value))
    return false;
  text = value.Text();
  return true;
}

}  // namespace welcomer
