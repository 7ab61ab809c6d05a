// The directory entry points: contexts, buffers, reads and modifications of the local directory.

#include <algorithm>
#include <cstring>
#include <utility>

#include "client/EntryPoint.h"
#include "netware/ClientAbi.h"

using namespace welcomer::client;

namespace {

constexpr int32_t kKeyFlags = 1;
constexpr int32_t kKeyNameContext = 3;
constexpr uint32_t kVerbRead = 3;
constexpr uint32_t kVerbModifyEntry = 9;
constexpr uint32_t kInfoNames = 0;
constexpr uint32_t kInfoValues = 1;
constexpr uint32_t kFlagTypelessNames = 0x04;
// Dereference aliases, translate strings, canonicalize names: what a fresh context starts with.
constexpr uint32_t kDefaultFlags = 0x13;
constexpr size_t kNameBuffer = 256;
constexpr size_t kNameContextBuffer = 128;
constexpr size_t kWhoAmIBuffer = 128;
constexpr size_t kAttributeNameBuffer = 34;
constexpr size_t kMaxAttributeName = 32;

bool Typeless(const Context& context) {
  return (context.flags & kFlagTypelessNames) != 0;
}

int32_t TakeAttributeName(const char* text, std::string& name) {
  int32_t result = CopyIn(text, kMaxAttributeName + 1, name, kNWErrAttrNameTooLong);
  if (result == 0 && name.empty())
    result = kNWErrNoSuchAttribute;
  return result;
}

int32_t TakeObjectName(const Context& context, const char* text, DirectoryName& object) {
  std::string name;
  int32_t result = CopyIn(text, kNameBuffer, name);
  if (result != 0)
    return result;
  return ResolveName(name, context.nameContext, object);
}

bool TakesValues(uint32_t changeType) {
  return changeType != kRemoveAttribute && changeType != kClearAttribute;
}

bool NeedsValues(uint32_t changeType) {
  return changeType != kAddAttribute && TakesValues(changeType);
}

// Puts as much of the read as fits into the result buffer. A value never straddles two buffers;
// an attribute whose values do not all fit continues, under its name again, in the next one.
int32_t FillResult(NWDSBuf& buffer, ReadProgress& progress) {
  buffer.use = BufferUse::kResult;
  buffer.items.clear();
  buffer.namesOnly = progress.namesOnly;
  buffer.nextAttribute = 0;
  buffer.nextValue = 0;
  buffer.attributeTaken = false;
  buffer.used = ResultHeaderSize();
  while (!progress.Done()) {
    const Attribute& source = progress.attributes[progress.attribute];
    size_t need = AttributeEntrySize(source.name);
    const bool hasValues = !progress.namesOnly && progress.value < source.values.size();
    if (hasValues)
      need += ValueEntrySize(source.values[progress.value], source.syntax);
    if (buffer.used + need > buffer.size)
      break;
    buffer.used += AttributeEntrySize(source.name);
    Attribute& item = buffer.items.emplace_back();
    item.name = source.name;
    item.syntax = source.syntax;
    if (!progress.namesOnly) {
      while (progress.value < source.values.size()) {
        const size_t size = ValueEntrySize(source.values[progress.value], source.syntax);
        if (buffer.used + size > buffer.size)
          break;
        buffer.used += size;
        item.values.push_back(source.values[progress.value++]);
      }
      if (progress.value < source.values.size())
        break;
    }
    ++progress.attribute;
    progress.value = 0;
  }
  if (buffer.items.empty() && !progress.Done())
    return kNWErrInsufficientBuffer;
  return 0;
}

// The attribute whose values the caller takes now, or null.
const Attribute* CurrentAttribute(const NWDSBuf& buffer) {
  if (!buffer.attributeTaken || buffer.nextAttribute == 0)
    return nullptr;
  return &buffer.items[buffer.nextAttribute - 1];
}

int32_t CheckResultBuffer(ClientState& state, int32_t context, NWDSBuf* buffer) {
  if (state.FindContext(context) == nullptr)
    return kNWErrBadContext;
  if (!state.IsBuffer(buffer))
    return kNWErrInvalidHandle;
  if (buffer->use != BufferUse::kResult)
    return kNWErrBadVerb;
  return 0;
}

// The value NWDSComputeAttrValSize and NWDSGetAttrVal deal with next, after the checks they
// share.
int32_t NextValue(ClientState& state, int32_t context, NWDSBuf* buffer, uint32_t syntaxId,
                  const Value*& value) {
  int32_t result = CheckResultBuffer(state, context, buffer);
  if (result != 0)
    return result;
  const Attribute* attribute = CurrentAttribute(*buffer);
  if (attribute == nullptr || buffer->nextValue >= attribute->values.size())
    return kNWErrBufferEmpty;
  if (syntaxId != attribute->syntax)
    return kNWErrInvalidAttrSyntax;
  value = &attribute->values[buffer->nextValue];
  return 0;
}

int32_t CheckRequestBuffer(ClientState& state, int32_t context, NWDSBuf* buffer, BufferUse use) {
  if (state.FindContext(context) == nullptr)
    return kNWErrBadContext;
  if (!state.IsBuffer(buffer))
    return kNWErrInvalidHandle;
  if (buffer->use != use)
    return kNWErrBadVerb;
  return 0;
}

}  // namespace

extern "C" {

int32_t NWDSCreateContext(void) {
  return Guarded([](ClientState& state) -> int32_t {
    Context context;
    context.flags = kDefaultFlags;
    // A fresh context reads names in the user's own container, as a workstation would; while
    // the user cannot be found the context still serves, from the root.
    DirectoryName user;
    if (state.Backend().FindUserObject(user) == 0 && !user.IsRoot())
      context.nameContext =
          DirectoryName(std::vector<NamePart>(user.Parts().begin() + 1, user.Parts().end()));
    return state.AddContext(context);
  });
}

int32_t NWDSDuplicateContext(int32_t context) {
  return Guarded([&](ClientState& state) -> int32_t {
    const Context* source = state.FindContext(context);
    if (source == nullptr)
      return kNWErrBadContext;
    return state.AddContext(*source);
  });
}

int32_t NWDSDuplicateContextHandle(int32_t src, int32_t* dest) {
  if (dest == nullptr)
    return kNWErrNullPointer;
  const int32_t handle = NWDSDuplicateContext(src);
  // A failure leaves no stale handle behind in the caller's variable.
  *dest = handle > 0 ? handle : 0;
  return handle > 0 ? 0 : handle;
}

int32_t NWDSFreeContext(int32_t context) {
  return Guarded([&](ClientState& state) -> int32_t { return state.RemoveContext(context); });
}

int32_t NWDSSetContext(int32_t context, int32_t key, const void* value) {
  return Guarded([&](ClientState& state) -> int32_t {
    Context* target = state.FindContext(context);
    if (target == nullptr)
      return kNWErrBadContext;
    if (value == nullptr)
      return kNWErrNullPointer;
    if (key == kKeyFlags) {
      std::memcpy(&target->flags, value, sizeof target->flags);
      return 0;
    }
    if (key != kKeyNameContext)
      return kNWErrBadKey;
    // Read back through a buffer of kNameContextBuffer bytes, so no longer when set either.
    std::string text;
    int32_t result = CopyIn(static_cast<const char*>(value), kNameContextBuffer, text);
    if (result != 0)
      return result;
    DirectoryName parsed;
    result = ParseContextName(text, parsed);
    if (result != 0)
      return result;
    // Default types can make the name longer than it was given.
    if (parsed.Text().size() >= kNameContextBuffer)
      return kNWErrNameTooLong;
    target->nameContext = parsed;
    return 0;
  });
}

int32_t NWDSGetContext(int32_t context, int32_t key, void* value) {
  return Guarded([&](ClientState& state) -> int32_t {
    const Context* source = state.FindContext(context);
    if (source == nullptr)
      return kNWErrBadContext;
    if (value == nullptr)
      return kNWErrNullPointer;
    if (key == kKeyFlags) {
      std::memcpy(value, &source->flags, sizeof source->flags);
      return 0;
    }
    if (key != kKeyNameContext)
      return kNWErrBadKey;
    return CopyOut(source->nameContext.Text(Typeless(*source)), static_cast<char*>(value),
                   kNameContextBuffer);
  });
}

int32_t NWDSAllocBuf(uint32_t size, NWDSBuf** buf) {
  return Guarded([&](ClientState& state) -> int32_t { return state.AddBuffer(size, buf); });
}

int32_t NWDSInitBuf(int32_t context, uint32_t operation, NWDSBuf* buf) {
  return Guarded([&](ClientState& state) -> int32_t {
    if (state.FindContext(context) == nullptr)
      return kNWErrBadContext;
    if (!state.IsBuffer(buf))
      return kNWErrInvalidHandle;
    if (operation != kVerbRead && operation != kVerbModifyEntry)
      return kNWErrBadVerb;
    const uint32_t size = buf->size;
    *buf = NWDSBuf();
    buf->size = size;
    buf->use = operation == kVerbRead ? BufferUse::kReadRequest : BufferUse::kModifyRequest;
    buf->used = RequestHeaderSize();
    return 0;
  });
}

int32_t NWDSFreeBuf(NWDSBuf* buf) {
  return Guarded([&](ClientState& state) -> int32_t { return state.RemoveBuffer(buf); });
}

int32_t NWDSPutAttrName(int32_t context, NWDSBuf* buf, const char* attrName) {
  return Guarded([&](ClientState& state) -> int32_t {
    int32_t result = CheckRequestBuffer(state, context, buf, BufferUse::kReadRequest);
    std::string name;
    if (result == 0)
      result = TakeAttributeName(attrName, name);
    if (result != 0)
      return result;
    const size_t need = RequestNameSize(name);
    if (buf->used + need > buf->size)
      return kNWErrBufferFull;
    buf->used += need;
    buf->names.push_back(name);
    return 0;
  });
}

int32_t NWDSPutChange(int32_t context, NWDSBuf* buf, uint32_t changeType, const char* attrName) {
  return Guarded([&](ClientState& state) -> int32_t {
    int32_t result = CheckRequestBuffer(state, context, buf, BufferUse::kModifyRequest);
    std::string name;
    if (result == 0)
      result = TakeAttributeName(attrName, name);
    if (result != 0)
      return result;
    if (changeType > kClearValue)
      return kNWErrInvalidRequest;
    const size_t need = ChangeEntrySize(name);
    if (buf->used + need > buf->size)
      return kNWErrBufferFull;
    buf->used += need;
    Change change;
    change.type = changeType;
    change.attribute = name;
    buf->changes.push_back(change);
    return 0;
  });
}

int32_t NWDSPutAttrVal(int32_t context, NWDSBuf* buf, uint32_t syntaxId, const void* value) {
  return Guarded([&](ClientState& state) -> int32_t {
    int32_t result = CheckRequestBuffer(state, context, buf, BufferUse::kModifyRequest);
    if (result != 0)
      return result;
    if (buf->changes.empty() || !TakesValues(buf->changes.back().type))
      return kNWErrBadVerb;
    if (value == nullptr)
      return kNWErrNullPointer;
    Change& change = buf->changes.back();
    if (!change.values.empty() && change.syntax != syntaxId)
      return kNWErrSyntaxViolation;
    Value taken;
    if (IsStringSyntax(syntaxId)) {
      result = CopyIn(static_cast<const char*>(value), kMaxStringValueSize, taken,
                      kNWErrSyntaxViolation);
      if (result != 0)
        return result;
    } else if (IsWordSyntax(syntaxId)) {
      taken.assign(static_cast<const char*>(value), sizeof(uint32_t));
    } else {
      return kNWErrInvalidAttrSyntax;
    }
    const size_t need = ValueEntrySize(taken, syntaxId);
    if (buf->used + need > buf->size)
      return kNWErrBufferFull;
    buf->used += need;
    change.syntax = syntaxId;
    change.values.push_back(std::move(taken));
    return 0;
  });
}

int32_t NWDSModifyObject(int32_t context, const char* objectName, int32_t* iterationHandle,
                         int32_t more, NWDSBuf* changes) {
  return Guarded([&](ClientState& state) -> int32_t {
    int32_t result = CheckRequestBuffer(state, context, changes, BufferUse::kModifyRequest);
    if (result != 0)
      return result;
    // Every request fits one buffer here, so there is nothing to continue.
    if (more != 0)
      return kNWErrInvalidRequest;
    if (iterationHandle != nullptr && *iterationHandle != kNoMoreIterations)
      return kNWErrInvalidIteration;
    DirectoryName object;
    result = TakeObjectName(*state.FindContext(context), objectName, object);
    if (result != 0)
      return result;
    for (const Change& change : changes->changes)
      if (NeedsValues(change.type) && change.values.empty())
        return kNWErrInvalidRequest;
    return state.Backend().Modify(object, changes->changes);
  });
}

int32_t NWDSRead(int32_t context, const char* objectName, uint32_t infoType, int32_t allAttrs,
                 NWDSBuf* attrNames, int32_t* iterationHandle, NWDSBuf* objectInfo) {
  return Guarded([&](ClientState& state) -> int32_t {
    const Context* source = state.FindContext(context);
    if (source == nullptr)
      return kNWErrBadContext;
    if (iterationHandle == nullptr)
      return kNWErrNullPointer;
    if (!state.IsBuffer(objectInfo))
      return kNWErrInvalidHandle;
    if (infoType != kInfoNames && infoType != kInfoValues)
      return kNWErrInvalidRequest;
    if (!allAttrs) {
      if (attrNames == nullptr)
        return kNWErrNullPointer;
      if (!state.IsBuffer(attrNames))
        return kNWErrInvalidHandle;
      if (attrNames->use != BufferUse::kReadRequest)
        return kNWErrBadVerb;
      if (attrNames == objectInfo)
        return kNWErrInvalidRequest;
    }
    DirectoryName object;
    int32_t result = TakeObjectName(*source, objectName, object);
    if (result != 0)
      return result;

    if (*iterationHandle != kNoMoreIterations) {
      Iteration* iteration = state.FindIteration(*iterationHandle);
      if (iteration == nullptr || iteration->context != context ||
          iteration->objectKey != object.Key() ||
          iteration->progress.namesOnly != (infoType == kInfoNames))
        return kNWErrInvalidIteration;
      result = FillResult(*objectInfo, iteration->progress);
      if (result == 0 && iteration->progress.Done()) {
        state.RemoveIteration(*iterationHandle);
        *iterationHandle = kNoMoreIterations;
      }
      return result;
    }

    ReadProgress progress;
    progress.namesOnly = infoType == kInfoNames;
    const std::vector<std::string> none;
    result = state.Backend().Read(object, allAttrs ? none : attrNames->names, progress.attributes);
    if (result != 0)
      return result;
    result = FillResult(*objectInfo, progress);
    if (result != 0)
      return result;
    if (!progress.Done()) {
      Iteration iteration;
      iteration.context = context;
      iteration.objectKey = object.Key();
      iteration.progress = std::move(progress);
      *iterationHandle = state.AddIteration(std::move(iteration));
    }
    return 0;
  });
}

int32_t NWDSGetAttrCount(int32_t context, NWDSBuf* buf, uint32_t* count) {
  return Guarded([&](ClientState& state) -> int32_t {
    int32_t result = CheckResultBuffer(state, context, buf);
    if (result != 0)
      return result;
    if (count == nullptr)
      return kNWErrNullPointer;
    *count = static_cast<uint32_t>(buf->items.size());
    buf->nextAttribute = 0;
    buf->nextValue = 0;
    buf->attributeTaken = false;
    return 0;
  });
}

int32_t NWDSGetAttrName(int32_t context, NWDSBuf* buf, char* attrName34, uint32_t* valueCount,
                        uint32_t* syntaxId) {
  return Guarded([&](ClientState& state) -> int32_t {
    int32_t result = CheckResultBuffer(state, context, buf);
    if (result != 0)
      return result;
    if (attrName34 == nullptr)
      return kNWErrNullPointer;
    if (buf->nextAttribute >= buf->items.size())
      return kNWErrBufferEmpty;
    const Attribute& attribute = buf->items[buf->nextAttribute];
    result = CopyOut(attribute.name, attrName34, kAttributeNameBuffer);
    if (result != 0)
      return result;
    if (valueCount != nullptr)
      *valueCount = static_cast<uint32_t>(attribute.values.size());
    if (syntaxId != nullptr)
      *syntaxId = attribute.syntax;
    ++buf->nextAttribute;
    buf->nextValue = 0;
    buf->attributeTaken = true;
    return 0;
  });
}

int32_t NWDSComputeAttrValSize(int32_t context, NWDSBuf* buf, uint32_t syntaxId, uint32_t* size) {
  return Guarded([&](ClientState& state) -> int32_t {
    const Value* value = nullptr;
    int32_t result = NextValue(state, context, buf, syntaxId, value);
    if (result != 0)
      return result;
    if (size == nullptr)
      return kNWErrNullPointer;
    *size = static_cast<uint32_t>(ValueSizeForCaller(*value, syntaxId));
    return 0;
  });
}

int32_t NWDSGetAttrVal(int32_t context, NWDSBuf* buf, uint32_t syntaxId, void* value) {
  return Guarded([&](ClientState& state) -> int32_t {
    const Value* next = nullptr;
    int32_t result = NextValue(state, context, buf, syntaxId, next);
    if (result != 0)
      return result;
    if (value == nullptr)
      return kNWErrNullPointer;
    // Exactly the size NWDSComputeAttrValSize reported: the text and its terminator, or a word
    // (also when the store holds a word of another length).
    char* out = static_cast<char*>(value);
    if (IsStringSyntax(syntaxId)) {
      std::memcpy(out, next->data(), next->size());
      out[next->size()] = '\0';
    } else {
      uint32_t word = 0;
      std::memcpy(&word, next->data(), std::min(next->size(), sizeof word));
      std::memcpy(out, &word, sizeof word);
    }
    ++buf->nextValue;
    return 0;
  });
}

int32_t NWDSCanonicalizeName(int32_t context, const char* name256, char* canonical256) {
  return Guarded([&](ClientState& state) -> int32_t {
    const Context* source = state.FindContext(context);
    if (source == nullptr)
      return kNWErrBadContext;
    DirectoryName full;
    int32_t result = TakeObjectName(*source, name256, full);
    if (result != 0)
      return result;
    return CopyOut(full.Text(Typeless(*source)), canonical256, kNameBuffer);
  });
}

int32_t NWDSWhoAmI(int32_t context, char* objectName128) {
  return Guarded([&](ClientState& state) -> int32_t {
    const Context* source = state.FindContext(context);
    if (source == nullptr)
      return kNWErrBadContext;
    DirectoryName user;
    if (const int32_t result = state.Backend().FindUserObject(user); result != 0) {
      if (objectName128 != nullptr)
        objectName128[0] = '\0';
      return result;
    }
    return CopyOut(user.Text(Typeless(*source)), objectName128, kWhoAmIBuffer);
  });
}

int32_t NWDSMapNameToID(int32_t context, uint32_t connection, const char* name256,
                        uint32_t* objectId) {
  return Guarded([&](ClientState& state) -> int32_t {
    const Context* source = state.FindContext(context);
    if (source == nullptr)
      return kNWErrBadContext;
    if (connection != kLocalConnection)
      return kNWErrNoConnection;
    if (objectId == nullptr)
      return kNWErrNullPointer;
    DirectoryName object;
    int32_t result = TakeObjectName(*source, name256, object);
    if (result != 0)
      return result;
    return state.Backend().ObjectId(object, *objectId);
  });
}

int32_t NWDSAuditGetObjectID(int32_t context, const char* name256, uint32_t* connection,
                             uint32_t* objectId) {
  return Guarded([&](ClientState& state) -> int32_t {
    const Context* source = state.FindContext(context);
    if (source == nullptr)
      return kNWErrBadContext;
    if (connection == nullptr || objectId == nullptr)
      return kNWErrNullPointer;
    DirectoryName object;
    int32_t result = TakeObjectName(*source, name256, object);
    if (result == 0)
      result = state.Backend().ObjectId(object, *objectId);
    if (result == 0)
      *connection = kLocalConnection;
    return result;
  });
}

int32_t NWIsDSServer(uint32_t connection, char* treeName256) {
  const int32_t answer = Guarded([&](ClientState& state) -> int32_t {
    if (connection != kLocalConnection)
      return 0;
    if (treeName256 != nullptr && CopyOut(state.Backend().TreeName(), treeName256, 256) != 0)
      return 0;
    return 1;
  });
  // A failure inside is no directory server either; the answer is a truth value, not a code.
  return answer == 1 ? 1 : 0;
}

int32_t NWGetPreferredDSServer(uint32_t* connection) {
  if (connection == nullptr)
    return kNWErrNullPointer;
  *connection = kLocalConnection;
  return 0;
}

int32_t NWSetPreferredDSTree(uint32_t length, const char* treeName256) {
  return Guarded([&](ClientState& state) -> int32_t {
    if (treeName256 == nullptr)
      return kNWErrNullPointer;
    if (length >= kNameBuffer)
      return kNWErrNameTooLong;
    std::string name(treeName256, ::strnlen(treeName256, length));
    // Tree names may come padded with underscores.
    while (!name.empty() && name.back() == '_')
      name.pop_back();
    return AsciiLower(name) == AsciiLower(state.Backend().TreeName()) ? 0 : kNWErrNoServerFound;
  });
}

int32_t NWDSLastFailureText(char* text512) {
  return Guarded([&](ClientState& state) -> int32_t {
    if (text512 == nullptr)
      return kNWErrNullPointer;
    constexpr size_t kSize = 512;
    const std::string text = state.Backend().FailureText().substr(0, kSize - 1);
    std::memcpy(text512, text.c_str(), text.size() + 1);
    return 0;
  });
}

int32_t NWDSBeginChanges(void) {
  return Guarded([](ClientState& state) { return state.Backend().BeginChanges(); });
}

int32_t NWDSEndChanges(void) {
  return Guarded([](ClientState& state) { return state.Backend().EndChanges(); });
}

// Bound by the program but never called: there is nothing they could be asked without
// arguments, so each says it serves no such request.
int32_t NWDSRemoveObject(void) {
  return kNWErrInvalidRequest;
}
int32_t NWDSGenerateObjectKeyPair(void) {
  return kNWErrInvalidRequest;
}
int32_t NWDSGetObjectName(void) {
  return kNWErrInvalidRequest;
}
int32_t NWDSGetObjectCount(void) {
  return kNWErrInvalidRequest;
}
int32_t NWDSAddObject(void) {
  return kNWErrInvalidRequest;
}
int32_t NWDSList(void) {
  return kNWErrInvalidRequest;
}
int32_t NWDSOpenStream(void) {
  return kNWErrInvalidRequest;
}

}  // extern "C"
