// Drives the directory client we ship through its C interface as callers might, right or wrong:
// contexts, request buffers filled with names, changes and values, modifications, and reads
// whose results come out of result buffers over several iterations, interleaved with changes.
// Handles that were freed, never made or are garbage must be refused; whatever the client says
// of the user's object must agree with DirectoryModel; and nothing may be read or written
// beyond the caller's buffers, which are allocated at exactly their declared sizes for ASan to
// watch.

#include <fuzzer/FuzzedDataProvider.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "client/ClientErrors.h"
#include "netware/ClientAbi.h"
#include "tests/fuzz/DirectoryModel.h"
#include "tests/fuzz/FuzzCheck.h"

using namespace welcomer::fuzz;

namespace {

constexpr int kMaxOperations = 64;
constexpr int32_t kNoMoreIterations = -1;
constexpr uint32_t kVerbRead = 3;
constexpr uint32_t kVerbModify = 9;
constexpr int32_t kKeyFlags = 1;
constexpr int32_t kKeyNameContext = 3;
constexpr uint32_t kTypelessNames = 0x04;
constexpr uint32_t kDefaultFlags = 0x13;
// Sizes of the caller's buffers as the declarations give them.
constexpr size_t kAttrNameSize = 34;
constexpr size_t kNameSize = 256;
constexpr size_t kNameContextSize = 128;
// The client's documented limits.
constexpr size_t kMaxAttrName = 32;
constexpr size_t kMaxStringValue = 2047;
// One value of any allowed size fits into a result buffer of this size.
constexpr uint32_t kAnyValueFits = 4096;
// A read can only take this many buffers: every buffer carries at least one value.
constexpr int kMaxBuffersPerRead = 4096;
// Fewer than the client keeps, so that it never drops one of them for a newer read.
constexpr size_t kMaxPendingReads = 16;

std::filesystem::path stateHome;

void RemoveStateHome() {
  std::error_code ignored;
  std::filesystem::remove_all(stateHome.parent_path(), ignored);
}

// A NUL-terminated text in a heap block of exactly its size, so that reading past the
// terminator is caught.
class CText {
 public:
  explicit CText(const std::string& text) : bytes_(new char[text.size() + 1]) {
    std::memcpy(bytes_.get(), text.c_str(), text.size() + 1);
  }
  const char* get() const { return bytes_.get(); }

 private:
  std::unique_ptr<char[]> bytes_;
};

// The text the client sees of a C string: everything before the first NUL.
std::string AsCString(std::string text) {
  text.resize(std::strlen(text.c_str()));
  return text;
}

bool IsOneOf(int32_t code, const std::vector<int32_t>& codes) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// What the fuzzer knows of a buffer it allocated: what it was made ready for and what went in.
struct BufferMirror {
  enum class Use { kNone, kReadRequest, kModifyRequest, kResult };
  uint32_t size = 0;
  Use use = Use::kNone;
  std::vector<std::string> names;
  std::vector<RequestChange> changes;
};

// A read whose result continues in further buffers.
struct PendingRead {
  int32_t context = 0;
  std::string objectName;
  uint32_t infoType = 1;
  int32_t allAttrs = 1;
  NWDSBuf* attrNames = nullptr;
  int32_t iteration = -1;
  int buffers = 0;
  std::vector<ReadAttribute> collected;
  /// What the read must give, when the model knew the object as the read began.
  bool expectationKnown = false;
  std::vector<ReadAttribute> expected;

  bool NamesOnly() const { return infoType == 0; }
};

class Session {
 public:
  explicit Session(FuzzedDataProvider& input) : in_(input) {
    privateContext_ = NWDSCreateContext();
    FUZZ_CHECK(privateContext_ > 0, "a context can be made");
    char name[128];
    FUZZ_CHECK(NWDSWhoAmI(privateContext_, name) == 0, "the client knows the user");
    user_ = name;
    SeedModel();
  }

  ~Session() {
    // A batch left open would carry this input's changes into the next one's directory.
    if (batching_)
      FUZZ_CHECK(NWDSEndChanges() == 0, "a batch of changes is kept");
    for (auto& [buffer, mirror] : buffers_)
      FUZZ_CHECK(NWDSFreeBuf(buffer) == 0, "a live buffer can be freed");
    for (int32_t context : contexts_)
      FUZZ_CHECK(NWDSFreeContext(context) == 0, "a live context can be freed");
    FUZZ_CHECK(NWDSFreeContext(privateContext_) == 0, "a live context can be freed");
    FUZZ_CHECK(NWDSFreeContext(privateContext_) == kNWErrBadContext, "a freed context is refused");
  }

  void Run() {
    using Operation = void (Session::*)();
    static constexpr Operation kOperations[] = {
        &Session::CreateContext,  &Session::FreeContext, &Session::SetFlags,
        &Session::SetNameContext, &Session::AllocBuf,    &Session::InitBuf,
        &Session::FreeBuf,        &Session::PutAttrName, &Session::PutChange,
        &Session::PutAttrVal,     &Session::Modify,      &Session::Read,
        &Session::ContinueRead,   &Session::WalkStep,    &Session::Canonicalize,
        &Session::ChangeUser,     &Session::ChangeUser,  &Session::ChangeUser,
        &Session::ReadUser,       &Session::ReadUser,    &Session::Batch,
        &Session::FailureText,
    };
    for (int i = 0; i < kMaxOperations && in_.remaining_bytes() > 0; ++i)
      (this->*kOperations[in_.ConsumeIntegralInRange<size_t>(0, std::size(kOperations) - 1)])();
  }

 private:
  // ---- Handles: live ones mostly, sometimes freed ones or garbage -----------------------------

  int32_t PickContext() {
    const uint8_t choice = in_.ConsumeIntegral<uint8_t>();
    if (choice < 200 && !contexts_.empty())
      return contexts_[choice % contexts_.size()];
    if (choice < 230 && !freedContexts_.empty())
      return freedContexts_[choice % freedContexts_.size()];
    return in_.ConsumeIntegral<int32_t>();
  }
  bool ContextLive(int32_t context) const {
    return std::find(contexts_.begin(), contexts_.end(), context) != contexts_.end();
  }

  NWDSBuf* PickBuffer() {
    const uint8_t choice = in_.ConsumeIntegral<uint8_t>();
    if (choice < 200 && !buffers_.empty()) {
      auto it = buffers_.begin();
      std::advance(it, choice % buffers_.size());
      return it->first;
    }
    if (choice < 230 && !freedBuffers_.empty())
      return freedBuffers_[choice % freedBuffers_.size()];
    if (choice < 240)
      return nullptr;
    // Never looked behind: the client must check a handle before it uses it.
    return reinterpret_cast<NWDSBuf*>(in_.ConsumeIntegral<uintptr_t>());
  }
  // Null for anything that is not a live buffer; a freed address that a new buffer took again
  // is that new buffer.
  BufferMirror* Mirror(NWDSBuf* buffer) {
    auto found = buffers_.find(buffer);
    return found == buffers_.end() ? nullptr : &found->second;
  }

  // ---- Texts ----------------------------------------------------------------------------------

  std::string AttributeName() {
    static const char* const kNames[] = {"L",          "l", "CN", "Full Name", "Object Class",
                                         "Description"};
    const uint8_t choice = in_.ConsumeIntegral<uint8_t>();
    if (choice < 200)
      return kNames[choice % std::size(kNames)];
    return AsCString(in_.ConsumeRandomLengthString(kMaxAttrName + 4));
  }

  std::string StringValue() {
    static const char* const kValues[] = {
        "Welcomer.RunOnce=05/Dec/2026 12:39:52 (CMD /C SETUP)",
        "Welcomer.File./SRV/MOTD/A_WELCOME.TXT=252 1502339072",
        "welcomer.file./srv/motd/a_welcome.txt=252 1502339072",
        "Welcomer.File./SRV/MOTD/B=C=4 644826048",
    };
    const uint8_t choice = in_.ConsumeIntegral<uint8_t>();
    if (choice < 128)
      return kValues[choice % std::size(kValues)];
    if (choice < 136)
      return std::string(kMaxStringValue + (choice & 1), 'v');
    return AsCString(in_.ConsumeRandomLengthString(kMaxStringValue + 2));
  }

  uint32_t Syntax() {
    static const uint32_t kSyntaxes[] = {3, 3, 3, 2, 1, 20, 8, 7, 22, 6, 9};
    const uint8_t choice = in_.ConsumeIntegral<uint8_t>();
    if (choice < 250)
      return kSyntaxes[choice % std::size(kSyntaxes)];
    return in_.ConsumeIntegral<uint32_t>();
  }

  std::string WordValue() {
    static const uint32_t kWords[] = {0, 1, 2, 0xFFFFFFFF};
    const uint8_t choice = in_.ConsumeIntegral<uint8_t>();
    const uint32_t word =
        choice < 200 ? kWords[choice % std::size(kWords)] : in_.ConsumeIntegral<uint32_t>();
    return std::string(reinterpret_cast<const char*>(&word), sizeof word);
  }

  // The object a call names: the user's own in full, or whatever the input spells.
  std::string ObjectName(bool& fullUserName) {
    fullUserName = in_.ConsumeBool();
    if (fullUserName)
      return "." + user_;
    return AsCString(in_.ConsumeRandomLengthString(kNameSize + 8));
  }

  // Whether `name` in `context` is the user's object: 1 yes, 0 no, -1 cannot tell (the
  // context writes names without types, so two objects may look alike).
  int NamesUser(int32_t context, const std::string& name) {
    uint32_t flags = 0;
    if (NWDSGetContext(context, kKeyFlags, &flags) != 0 || (flags & kTypelessNames) != 0)
      return -1;
    if (name.size() >= kNameSize)
      return 0;
    CText text(name);
    auto canonical = std::make_unique<char[]>(kNameSize);
    if (NWDSCanonicalizeName(context, text.get(), canonical.get()) != 0)
      return 0;
    return Lower(canonical.get()) == Lower(user_) ? 1 : 0;
  }

  // ---- Contexts -------------------------------------------------------------------------------

  void CreateContext() {
    const int32_t context = NWDSCreateContext();
    if (contexts_.size() + 1 < 1024)
      FUZZ_CHECK(context > 0, "a context can be made while few are live");
    if (context > 0) {
      FUZZ_CHECK(!ContextLive(context) && std::find(freedContexts_.begin(), freedContexts_.end(),
                                                    context) == freedContexts_.end(),
                 "context handles are never handed out twice");
      contexts_.push_back(context);
    }
  }

  void FreeContext() {
    const int32_t context = PickContext();
    const bool live = ContextLive(context) && context != privateContext_;
    if (context == privateContext_)
      return;
    const int32_t result = NWDSFreeContext(context);
    FUZZ_CHECK((result == 0) == live, "exactly live contexts can be freed");
    if (live) {
      std::erase(contexts_, context);
      freedContexts_.push_back(context);
      // Its reads go with it.
      std::erase_if(pending_, [&](const PendingRead& read) { return read.context == context; });
    }
  }

  void SetFlags() {
    const int32_t context = PickContext();
    const uint32_t flags =
        in_.ConsumeBool() ? kDefaultFlags | kTypelessNames : in_.ConsumeIntegral<uint32_t>();
    const int32_t result = NWDSSetContext(context, kKeyFlags, &flags);
    FUZZ_CHECK((result == 0) == ContextLive(context), "flags are set on live contexts only");
    if (result != 0)
      return;
    uint32_t back = 0;
    FUZZ_CHECK(NWDSGetContext(context, kKeyFlags, &back) == 0 && back == flags,
               "flags read back as set");
  }

  void SetNameContext() {
    static const char* const kContexts[] = {"[Root]",          "O=LOCAL",  "LOCAL", "Sales.Acme",
                                            "OU=Sales.O=Acme", ".O=LOCAL", ""};
    const int32_t context = PickContext();
    const uint8_t choice = in_.ConsumeIntegral<uint8_t>();
    const std::string name = choice < 128 ? kContexts[choice % std::size(kContexts)]
                                          : AsCString(in_.ConsumeRandomLengthString(140));
    CText text(name);
    const int32_t result = NWDSSetContext(context, kKeyNameContext, text.get());
    if (!ContextLive(context)) {
      FUZZ_CHECK(result != 0, "a name context is set on live contexts only");
      return;
    }
    if (result != 0)
      return;
    auto back = std::make_unique<char[]>(kNameContextSize);
    FUZZ_CHECK(NWDSGetContext(context, kKeyNameContext, back.get()) == 0,
               "a name context that was set reads back");
    // Read back and set again, a name context stays what it is.
    const std::string first = back.get();
    CText again(first);
    FUZZ_CHECK(NWDSSetContext(context, kKeyNameContext, again.get()) == 0,
               "a name context as read back can be set");
    FUZZ_CHECK(NWDSGetContext(context, kKeyNameContext, back.get()) == 0 && first == back.get(),
               "a name context read back and set again stays the same");
  }

  // ---- Buffers --------------------------------------------------------------------------------

  void AllocBuf() {
    static const uint32_t kSizes[] = {64, 100, 256, 600, 2100, 4096, 65536, 63, 65537, 0};
    const uint8_t choice = in_.ConsumeIntegral<uint8_t>();
    DoAllocBuf(choice < 240 ? kSizes[choice % std::size(kSizes)] : in_.ConsumeIntegral<uint32_t>());
  }

  // The new buffer, or null when the size is refused.
  NWDSBuf* DoAllocBuf(uint32_t size) {
    // Not null before the call, to see that a failure clears it.
    NWDSBuf* buffer = reinterpret_cast<NWDSBuf*>(uintptr_t{1});
    const int32_t result = NWDSAllocBuf(size, &buffer);
    const bool fits = size >= 64 && size <= 65536;
    FUZZ_CHECK((result == 0) == fits, "buffers of 64 to 65536 bytes, and only those, are made");
    if (result != 0) {
      FUZZ_CHECK(buffer == nullptr, "a failed allocation leaves no handle behind");
      return nullptr;
    }
    FUZZ_CHECK(Mirror(buffer) == nullptr, "a new buffer is no live one");
    std::erase(freedBuffers_, buffer);
    buffers_[buffer].size = size;
    return buffer;
  }

  void InitBuf() {
    const int32_t context = PickContext();
    NWDSBuf* buffer = PickBuffer();
    const uint8_t choice = in_.ConsumeIntegral<uint8_t>();
    DoInitBuf(context, buffer,
              choice < 120   ? kVerbRead
              : choice < 240 ? kVerbModify
                             : in_.ConsumeIntegral<uint32_t>());
  }

  void DoInitBuf(int32_t context, NWDSBuf* buffer, uint32_t operation) {
    const int32_t result = NWDSInitBuf(context, operation, buffer);
    BufferMirror* mirror = Mirror(buffer);
    const bool valid = ContextLive(context) && mirror != nullptr &&
                       (operation == kVerbRead || operation == kVerbModify);
    FUZZ_CHECK((result == 0) == valid, "a live buffer is made ready for a read or a change");
    if (result != 0)
      return;
    mirror->names.clear();
    mirror->changes.clear();
    mirror->use = operation == kVerbRead ? BufferMirror::Use::kReadRequest
                                         : BufferMirror::Use::kModifyRequest;
  }

  void FreeBuf() { DoFreeBuf(PickBuffer()); }

  void DoFreeBuf(NWDSBuf* buffer) {
    const bool live = Mirror(buffer) != nullptr;
    const int32_t result = NWDSFreeBuf(buffer);
    FUZZ_CHECK((result == 0) == live, "exactly live buffers can be freed");
    if (!live)
      return;
    buffers_.erase(buffer);
    freedBuffers_.push_back(buffer);
  }

  // ---- Requests -------------------------------------------------------------------------------

  void PutAttrName() {
    const int32_t context = PickContext();
    NWDSBuf* buffer = PickBuffer();
    DoPutAttrName(context, buffer, AttributeName());
  }

  void DoPutAttrName(int32_t context, NWDSBuf* buffer, const std::string& name) {
    CText text(name);
    const int32_t result = NWDSPutAttrName(context, buffer, text.get());
    BufferMirror* mirror = Mirror(buffer);
    const bool valid = ContextLive(context) && mirror != nullptr &&
                       mirror->use == BufferMirror::Use::kReadRequest && !name.empty() &&
                       name.size() <= kMaxAttrName;
    if (!valid) {
      FUZZ_CHECK(result != 0, "a name goes only into a read request, and only a valid one");
      return;
    }
    FUZZ_CHECK(result == 0 || result == kNWErrBufferFull, "a valid name is taken unless full");
    if (result == 0)
      mirror->names.push_back(name);
  }

  void PutChange() {
    const int32_t context = PickContext();
    NWDSBuf* buffer = PickBuffer();
    const uint32_t type = in_.ConsumeIntegral<uint8_t>() < 250
                              ? in_.ConsumeIntegralInRange<uint32_t>(0, 7)
                              : in_.ConsumeIntegral<uint32_t>();
    DoPutChange(context, buffer, type, AttributeName());
  }

  void DoPutChange(int32_t context, NWDSBuf* buffer, uint32_t type, const std::string& name) {
    CText text(name);
    const int32_t result = NWDSPutChange(context, buffer, type, text.get());
    BufferMirror* mirror = Mirror(buffer);
    const bool valid = ContextLive(context) && mirror != nullptr &&
                       mirror->use == BufferMirror::Use::kModifyRequest && !name.empty() &&
                       name.size() <= kMaxAttrName && type <= 7;
    if (!valid) {
      FUZZ_CHECK(result != 0, "a change goes only into a modify request, and only a valid one");
      return;
    }
    FUZZ_CHECK(result == 0 || result == kNWErrBufferFull, "a valid change is taken unless full");
    if (result == 0)
      mirror->changes.push_back({type, name, 0, {}});
  }

  void PutAttrVal() {
    const int32_t context = PickContext();
    NWDSBuf* buffer = PickBuffer();
    const uint32_t syntax = Syntax();
    if (IsStringSyntax(syntax)) {
      DoPutAttrVal(context, buffer, syntax, StringValue());
    } else if (in_.ConsumeIntegral<uint8_t>() > 8) {
      DoPutAttrVal(context, buffer, syntax, WordValue());
    } else {
      DoPutAttrVal(context, buffer, syntax, std::nullopt);
    }
  }

  // Hands `value` over as the declarations want it: a text with its terminator, or the four
  // bytes of a word; nothing at all when there is no value.
  void DoPutAttrVal(int32_t context, NWDSBuf* buffer, uint32_t syntax,
                    const std::optional<std::string>& given) {
    std::unique_ptr<char[]> bytes;
    std::string value;
    if (given && IsStringSyntax(syntax)) {
      value = AsCString(*given);
      bytes = std::make_unique<char[]>(value.size() + 1);
      std::memcpy(bytes.get(), value.c_str(), value.size() + 1);
    } else if (given) {
      value = given->substr(0, sizeof(uint32_t));
      value.resize(sizeof(uint32_t), '\0');
      bytes = std::make_unique<char[]>(sizeof(uint32_t));
      std::memcpy(bytes.get(), value.data(), sizeof(uint32_t));
    }
    const void* pointer = bytes.get();
    const int32_t result = NWDSPutAttrVal(context, buffer, syntax, pointer);
    BufferMirror* mirror = Mirror(buffer);
    bool valid = ContextLive(context) && mirror != nullptr &&
                 mirror->use == BufferMirror::Use::kModifyRequest && !mirror->changes.empty() &&
                 pointer != nullptr && (IsStringSyntax(syntax) || IsWordSyntax(syntax));
    if (valid) {
      const RequestChange& change = mirror->changes.back();
      valid = change.type != 1 && change.type != 6 &&
              (change.values.empty() || change.syntax == syntax) &&
              (!IsStringSyntax(syntax) || value.size() <= kMaxStringValue);
    }
    if (!valid) {
      FUZZ_CHECK(result != 0,
                 "a value goes only after a change that takes one, and only a valid one");
      return;
    }
    FUZZ_CHECK(result == 0 || result == kNWErrBufferFull, "a valid value is taken unless full");
    if (result == 0) {
      mirror->changes.back().syntax = syntax;
      mirror->changes.back().values.push_back(value);
    }
  }

  // ---- Modifications --------------------------------------------------------------------------

  void Modify() {
    const int32_t context = PickContext();
    NWDSBuf* buffer = PickBuffer();
    bool fullUserName = false;
    const std::string name = ObjectName(fullUserName);
    const int32_t more = in_.ConsumeIntegral<uint8_t>() < 250 ? 0 : 1;
    int32_t iteration = kNoMoreIterations;
    const uint8_t iterationChoice = in_.ConsumeIntegral<uint8_t>();
    if (iterationChoice >= 250)
      iteration = in_.ConsumeIntegral<int32_t>();
    DoModify(context, buffer, name, fullUserName, more,
             iterationChoice < 128 ? nullptr : &iteration);
  }

  void DoModify(int32_t context, NWDSBuf* buffer, const std::string& name, bool fullUserName,
                int32_t more, int32_t* iterationPointer) {
    const int32_t iteration = iterationPointer != nullptr ? *iterationPointer : kNoMoreIterations;
    // Asked before the change: the answer may depend on what the change does to the names.
    const int namesUser = ContextLive(context) ? NamesUser(context, name) : 0;
    CText text(name);
    const int32_t result = NWDSModifyObject(context, text.get(), iterationPointer, more, buffer);

    const BufferMirror* mirror = Mirror(buffer);
    const bool valid = ContextLive(context) && mirror != nullptr &&
                       mirror->use == BufferMirror::Use::kModifyRequest && more == 0 &&
                       (iterationPointer == nullptr || iteration == kNoMoreIterations);
    if (!valid || namesUser == 0) {
      FUZZ_CHECK(result != 0, "a wrong modify call, or one of another object, fails");
      return;
    }
    if (namesUser < 0 && !fullUserName) {
      if (result == 0)
        model_.Forget();
      return;
    }
    bool missingValues = false;
    for (const RequestChange& change : mirror->changes)
      missingValues |=
          change.type != 0 && change.type != 1 && change.type != 6 && change.values.empty();
    if (missingValues) {
      FUZZ_CHECK(result == kNWErrInvalidRequest, "a change without the values it needs fails");
      return;
    }
    if (!model_.Known())
      return;
    const std::vector<int32_t> expected = model_.Apply(mirror->changes);
    if (expected.empty())
      FUZZ_CHECK(result == 0, "a change the directory allows succeeds");
    else
      FUZZ_CHECK(IsOneOf(result, expected), "a change the directory refuses fails with its code");
  }

  // ---- Reads ----------------------------------------------------------------------------------

  void Read() {
    const int32_t context = PickContext();
    bool fullUserName = false;
    const std::string name = ObjectName(fullUserName);
    const uint8_t infoChoice = in_.ConsumeIntegral<uint8_t>();
    const uint32_t infoType = infoChoice < 60 ? 0 : infoChoice < 250 ? 1 : infoChoice;
    const int32_t allAttrs = in_.ConsumeBool() ? 1 : 0;
    NWDSBuf* attrNames = allAttrs ? nullptr : PickBuffer();
    NWDSBuf* objectInfo = PickBuffer();
    // Sometimes an iteration handle the client never gave, which it must refuse.
    const int32_t iteration =
        in_.ConsumeIntegral<uint8_t>() < 250 ? kNoMoreIterations : in_.ConsumeIntegral<int32_t>();
    DoRead(context, name, fullUserName, infoType, allAttrs, attrNames, objectInfo, iteration);
  }

  // Starts a read; what does not fit into `objectInfo` is left for ContinueRead.
  void DoRead(int32_t context, const std::string& name, bool fullUserName, uint32_t infoType,
              int32_t allAttrs, NWDSBuf* attrNames, NWDSBuf* objectInfo, int32_t iteration) {
    if (pending_.size() >= kMaxPendingReads)
      return;
    const int namesUser = ContextLive(context) ? NamesUser(context, name) : 0;
    PendingRead read{.context = context,
                     .objectName = name,
                     .infoType = infoType,
                     .allAttrs = allAttrs,
                     .attrNames = attrNames,
                     .iteration = iteration};
    const bool strayIteration =
        iteration != kNoMoreIterations &&
        std::none_of(pending_.begin(), pending_.end(),
                     [&](const PendingRead& other) { return other.iteration == iteration; });
    if (iteration != kNoMoreIterations && !strayIteration)
      read.iteration = kNoMoreIterations;
    const BufferMirror* namesMirror = Mirror(attrNames);
    const std::vector<std::string> names =
        namesMirror != nullptr ? namesMirror->names : std::vector<std::string>();
    const int32_t result = CallRead(read, objectInfo);

    const BufferMirror* infoMirror = Mirror(objectInfo);
    bool valid = ContextLive(context) && infoMirror != nullptr && infoType <= 1 && !strayIteration;
    if (!allAttrs)
      valid = valid && namesMirror != nullptr &&
              namesMirror->use == BufferMirror::Use::kReadRequest && attrNames != objectInfo;
    if (!valid || namesUser == 0) {
      FUZZ_CHECK(result != 0, "a wrong read call, or one of another object, fails");
      return;
    }
    if ((namesUser > 0 || fullUserName) && model_.Known()) {
      read.expectationKnown = true;
      read.expected = model_.Read(names, read.NamesOnly());
      if (!allAttrs && !names.empty() && read.expected.empty()) {
        FUZZ_CHECK(result == kNWErrNoSuchAttribute, "a read of attributes without values fails");
        return;
      }
    }
    if (result == kNWErrInsufficientBuffer) {
      FUZZ_CHECK(infoMirror->size < kAnyValueFits, "any one value fits into 4096 bytes");
      return;
    }
    if (read.expectationKnown)
      FUZZ_CHECK(result == 0, "a read of the user's object succeeds");
    if (result != 0)
      return;
    if (read.iteration == kNoMoreIterations)
      Finish(read);
    else
      pending_.push_back(std::move(read));
  }

  void ContinueRead() {
    if (pending_.empty())
      return;
    const size_t index = in_.ConsumeIntegralInRange<size_t>(0, pending_.size() - 1);
    DoContinueRead(index, PickBuffer());
  }

  // Takes the next part of the pending read `index` into `objectInfo`. Returns whether the
  // read went on, done or not.
  bool DoContinueRead(size_t index, NWDSBuf* objectInfo) {
    PendingRead& read = pending_[index];
    const int32_t result = CallRead(read, objectInfo);
    const BufferMirror* infoMirror = Mirror(objectInfo);
    const BufferMirror* namesMirror = Mirror(read.attrNames);
    bool valid = infoMirror != nullptr;
    if (!read.allAttrs)
      valid = valid && namesMirror != nullptr &&
              namesMirror->use == BufferMirror::Use::kReadRequest && read.attrNames != objectInfo;
    if (!valid) {
      FUZZ_CHECK(result != 0, "a read continued with a wrong buffer fails");
      return false;
    }
    if (result == kNWErrInsufficientBuffer) {
      FUZZ_CHECK(infoMirror->size < kAnyValueFits, "any one value fits into 4096 bytes");
      return false;
    }
    FUZZ_CHECK(result == 0, "a read goes on as long as it has an iteration handle");
    if (read.iteration == kNoMoreIterations) {
      PendingRead done = std::move(read);
      pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(index));
      Finish(done);
    }
    return true;
  }
  // Asks for the next part of `read` into `objectInfo` and takes out what came.
  int32_t CallRead(PendingRead& read, NWDSBuf* objectInfo) {
    CText text(read.objectName);
    const int32_t iterationBefore = read.iteration;
    const int32_t result = NWDSRead(read.context, text.get(), read.infoType, read.allAttrs,
                                    read.attrNames, &read.iteration, objectInfo);
    BufferMirror* mirror = Mirror(objectInfo);
    if (result == 0 || result == kNWErrInsufficientBuffer) {
      FUZZ_CHECK(mirror != nullptr, "only a live buffer takes a result");
      mirror->use = BufferMirror::Use::kResult;
      mirror->names.clear();
      mirror->changes.clear();
    }
    if (result != 0) {
      FUZZ_CHECK(read.iteration == iterationBefore, "a failed read leaves the iteration alone");
      return result;
    }
    ++read.buffers;
    FUZZ_CHECK(read.buffers <= kMaxBuffersPerRead, "every buffer of a read carries something");
    TakeOut(read, objectInfo);
    return 0;
  }

  // Walks a result buffer the way the program does, through every attribute and value.
  void TakeOut(PendingRead& read, NWDSBuf* buffer) {
    uint32_t count = 0;
    FUZZ_CHECK(NWDSGetAttrCount(read.context, buffer, &count) == 0, "a result has a count");
    FUZZ_CHECK(count > 0 || read.iteration == kNoMoreIterations,
               "a buffer that is not the last carries something");
    for (uint32_t i = 0; i < count; ++i) {
      auto name = std::make_unique<char[]>(kAttrNameSize);
      uint32_t valueCount = 0;
      uint32_t syntax = 0;
      FUZZ_CHECK(NWDSGetAttrName(read.context, buffer, name.get(), &valueCount, &syntax) == 0,
                 "every counted attribute has a name");
      FUZZ_CHECK(std::memchr(name.get(), '\0', kAttrNameSize) != nullptr,
                 "an attribute name is terminated within its buffer");
      FUZZ_CHECK(!read.NamesOnly() || valueCount == 0, "a read of names carries no values");
      ReadAttribute attribute{name.get(), syntax, {}};
      for (uint32_t j = 0; j < valueCount; ++j) {
        std::string value;
        FUZZ_CHECK(TakeValue(read.context, buffer, syntax, value) == 0,
                   "every counted value can be taken");
        attribute.values.push_back(value);
      }
      std::string extra;
      FUZZ_CHECK(TakeValue(read.context, buffer, syntax, extra) == kNWErrBufferEmpty,
                 "an attribute has no more values than counted");
      // An attribute whose values did not all fit goes on under its name in the next buffer.
      if (i == 0 && !read.collected.empty() &&
          Lower(read.collected.back().name) == Lower(attribute.name)) {
        std::vector<std::string>& values = read.collected.back().values;
        values.insert(values.end(), attribute.values.begin(), attribute.values.end());
      } else {
        read.collected.push_back(std::move(attribute));
      }
    }
    auto name = std::make_unique<char[]>(kAttrNameSize);
    FUZZ_CHECK(
        NWDSGetAttrName(read.context, buffer, name.get(), nullptr, nullptr) == kNWErrBufferEmpty,
        "a result has no more attributes than counted");
  }

  // Takes the next value out of a result buffer into a block of exactly the size the client
  // reports. Returns the client's code.
  int32_t TakeValue(int32_t context, NWDSBuf* buffer, uint32_t syntax, std::string& value) {
    uint32_t size = 0;
    const int32_t sized = NWDSComputeAttrValSize(context, buffer, syntax, &size);
    if (sized != 0) {
      // The value itself must be refused alike, and nothing written.
      char canary = 'c';
      FUZZ_CHECK(NWDSGetAttrVal(context, buffer, syntax, &canary) == sized && canary == 'c',
                 "a value that cannot be sized cannot be taken either");
      return sized;
    }
    FUZZ_CHECK(size >= 1 && size <= kMaxStringValue + 1, "a value's size is within bounds");
    FUZZ_CHECK(!IsWordSyntax(syntax) || size == sizeof(uint32_t), "a word takes four bytes");
    auto out = std::make_unique<char[]>(size);
    const int32_t result = NWDSGetAttrVal(context, buffer, syntax, out.get());
    FUZZ_CHECK(result == 0, "a value that could be sized can be taken");
    if (IsStringSyntax(syntax)) {
      FUZZ_CHECK(out[size - 1] == '\0' && std::strlen(out.get()) == size - 1,
                 "a text fills exactly the size reported, terminator included");
      value.assign(out.get(), size - 1);
    } else {
      value.assign(out.get(), size);
    }
    return 0;
  }

  void Finish(const PendingRead& read) {
    if (!read.expectationKnown)
      return;
    FUZZ_CHECK(read.collected.size() == read.expected.size(),
               "a read gives every attribute asked for");
    for (size_t i = 0; i < read.collected.size(); ++i) {
      const ReadAttribute& got = read.collected[i];
      const ReadAttribute& want = read.expected[i];
      FUZZ_CHECK(Lower(got.name) == Lower(want.name), "attributes come in the order first added");
      FUZZ_CHECK(got.syntax == want.syntax, "an attribute keeps its syntax");
      FUZZ_CHECK(got.values == want.values,
                 "values come in the order added, as the directory was when the read began");
    }
  }

  // A single step out of any buffer, in any order: whatever comes must be consistent.
  void WalkStep() {
    const int32_t context = PickContext();
    NWDSBuf* buffer = PickBuffer();
    const BufferMirror* mirror = Mirror(buffer);
    const bool result =
        ContextLive(context) && mirror != nullptr && mirror->use == BufferMirror::Use::kResult;
    switch (in_.ConsumeIntegralInRange<int>(0, 2)) {
      case 0: {
        uint32_t count = 0;
        FUZZ_CHECK((NWDSGetAttrCount(context, buffer, &count) == 0) == result,
                   "exactly result buffers have a count");
        break;
      }
      case 1: {
        auto name = std::make_unique<char[]>(kAttrNameSize);
        const int32_t code = NWDSGetAttrName(context, buffer, name.get(), nullptr, nullptr);
        FUZZ_CHECK(code != 0 || result, "only result buffers have attribute names");
        break;
      }
      case 2: {
        std::string value;
        const int32_t code = TakeValue(context, buffer, Syntax(), value);
        FUZZ_CHECK(code != 0 || result, "only result buffers have values");
        break;
      }
    }
  }

  // ---- Whole requests, as the program makes them --------------------------------------------
  // Reaching a state worth checking (several values, reads over several buffers) takes many
  // calls in the right order, too many to come together by chance.

  int32_t SomeLiveContext() {
    if (contexts_.empty())
      CreateContext();
    return contexts_.empty() ? privateContext_
                             : contexts_[in_.ConsumeIntegral<uint8_t>() % contexts_.size()];
  }

  std::string SomeAttribute() {
    static const char* const kNames[] = {"L", "L", "l", "Description", "CN"};
    return kNames[in_.ConsumeIntegral<uint8_t>() % std::size(kNames)];
  }

  // Values that collide: equal but for case, holding "=", empty, or long enough that a few
  // fill a buffer.
  std::string SomeValue() {
    static const char* const kValues[] = {"Welcomer.File./SRV/MOTD/A=1 2",
                                          "WELCOMER.FILE./SRV/MOTD/A=1 2",
                                          "Welcomer.File./SRV/MOTD/B=C=3 4",
                                          "Welcomer.RunOnce=05/Dec/2026 12:39:52 (X)",
                                          "a",
                                          "A",
                                          "b",
                                          ""};
    const uint8_t choice = in_.ConsumeIntegral<uint8_t>();
    if (choice < 200)
      return kValues[choice % std::size(kValues)];
    if (choice < 240)
      return std::string(100 + (choice % 8) * 250, choice % 2 ? 'w' : 'W');
    return AsCString(in_.ConsumeRandomLengthString(40));
  }

  void ChangeUser() {
    static const uint32_t kTypes[] = {2, 2, 2, 3, 3, 0, 1, 4, 5, 6, 7};
    static const uint32_t kSyntaxes[] = {3, 3, 3, 2, 8};
    static const uint32_t kSizes[] = {256, 600, 4096, 65536};
    const int32_t context = SomeLiveContext();
    NWDSBuf* buffer = DoAllocBuf(kSizes[in_.ConsumeIntegral<uint8_t>() % std::size(kSizes)]);
    DoInitBuf(context, buffer, kVerbModify);
    const int changes = in_.ConsumeIntegralInRange<int>(1, 3);
    for (int i = 0; i < changes; ++i) {
      DoPutChange(context, buffer, kTypes[in_.ConsumeIntegral<uint8_t>() % std::size(kTypes)],
                  SomeAttribute());
      const uint32_t syntax = kSyntaxes[in_.ConsumeIntegral<uint8_t>() % std::size(kSyntaxes)];
      const int values = in_.ConsumeIntegralInRange<int>(0, 3);
      for (int j = 0; j < values; ++j)
        DoPutAttrVal(context, buffer, syntax, IsStringSyntax(syntax) ? SomeValue() : WordValue());
    }
    DoModify(context, buffer, "." + user_, true, 0, nullptr);
    DoFreeBuf(buffer);
  }

  void ReadUser() {
    static const uint32_t kSizes[] = {64, 100, 160, 256, 600, 4096};
    const int32_t context = SomeLiveContext();
    NWDSBuf* objectInfo = DoAllocBuf(kSizes[in_.ConsumeIntegral<uint8_t>() % std::size(kSizes)]);
    const int32_t allAttrs = in_.ConsumeBool() ? 1 : 0;
    NWDSBuf* names = nullptr;
    if (!allAttrs) {
      // Kept while the read goes on: every further part of it names the same buffer.
      names = DoAllocBuf(256);
      DoInitBuf(context, names, kVerbRead);
      const int count = in_.ConsumeIntegralInRange<int>(1, 2);
      for (int i = 0; i < count; ++i)
        DoPutAttrName(context, names, SomeAttribute());
    }
    const size_t before = pending_.size();
    DoRead(context, "." + user_, true, in_.ConsumeIntegral<uint8_t>() < 60 ? 0 : 1, allAttrs, names,
           objectInfo, kNoMoreIterations);
    // Read to the end at once, or leave the rest for later, when the object may have changed.
    if (pending_.size() == before || in_.ConsumeBool())
      return;
    const size_t index = pending_.size() - 1;
    for (int i = 0; i < kMaxBuffersPerRead && pending_.size() > before; ++i) {
      if (!DoContinueRead(index, objectInfo))
        return;
    }
  }

  // ---- Batches and failures -----------------------------------------------------------------

  // Changes between NWDSBeginChanges and NWDSEndChanges still answer at once and each stays all
  // or nothing, so the model goes on as without a batch; EndChanges keeps them all.
  void Batch() {
    if (batching_) {
      FUZZ_CHECK(NWDSEndChanges() == 0, "a batch of changes is kept");
    } else {
      FUZZ_CHECK(NWDSBeginChanges() == 0, "a batch of changes can begin");
    }
    batching_ = !batching_;
  }

  void FailureText() {
    constexpr size_t kSize = 512;
    auto text = std::make_unique<char[]>(kSize);
    FUZZ_CHECK(NWDSLastFailureText(text.get()) == 0, "the last failure can be told");
    FUZZ_CHECK(std::memchr(text.get(), '\0', kSize) != nullptr,
               "the failure text is terminated within its buffer");
  }

  // ---- Names ----------------------------------------------------------------------------------

  void Canonicalize() {
    const int32_t context = PickContext();
    const std::string name = AsCString(in_.ConsumeRandomLengthString(kNameSize + 8));
    CText text(name);
    auto canonical = std::make_unique<char[]>(kNameSize);
    const int32_t result = NWDSCanonicalizeName(context, text.get(), canonical.get());
    if (result != 0)
      return;
    FUZZ_CHECK(ContextLive(context), "names are canonicalized in live contexts only");
    FUZZ_CHECK(std::memchr(canonical.get(), '\0', kNameSize) != nullptr,
               "a canonical name is terminated within its buffer");
    uint32_t flags = 0;
    NWDSGetContext(context, kKeyFlags, &flags);
    const std::string first = canonical.get();
    if ((flags & kTypelessNames) != 0 || first == "[Root]" || first.size() + 1 >= kNameSize)
      return;
    // A canonical name, taken from the root, names itself.
    CText again("." + first);
    FUZZ_CHECK(NWDSCanonicalizeName(context, again.get(), canonical.get()) == 0 &&
                   first == canonical.get(),
               "a canonical name canonicalizes to itself");
  }

  // ---- The model ------------------------------------------------------------------------------

  // The fresh object's attributes, each with one value, as the model's starting point.
  void SeedModel() {
    NWDSBuf* buffer = nullptr;
    FUZZ_CHECK(NWDSAllocBuf(65536, &buffer) == 0, "a buffer can be made");
    buffers_[buffer].size = 65536;
    PendingRead read{.context = privateContext_, .objectName = "." + user_};
    const int32_t result = CallRead(read, buffer);
    FUZZ_CHECK(NWDSFreeBuf(buffer) == 0, "a live buffer can be freed");
    buffers_.erase(buffer);
    if (result != 0 || read.iteration != kNoMoreIterations)
      return;
    for (const ReadAttribute& attribute : read.collected)
      if (attribute.values.size() != 1)
        return;
    model_.Seed(read.collected);
  }

  FuzzedDataProvider& in_;
  int32_t privateContext_ = 0;
  std::string user_;
  DirectoryModel model_;
  std::vector<int32_t> contexts_;
  std::vector<int32_t> freedContexts_;
  std::map<NWDSBuf*, BufferMirror> buffers_;
  std::vector<NWDSBuf*> freedBuffers_;
  std::vector<PendingRead> pending_;
  bool batching_ = false;
};

constexpr std::string_view kFolderPrefix = "welcomer-client-fuzz-";

// A run that found something ends at once, without cleaning up: its folder names its process,
// so that the next run can take away what dead runs left.
void RemoveFoldersOfDeadRuns(const std::filesystem::path& base) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(base, error)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(kFolderPrefix))
      continue;
    const pid_t pid = static_cast<pid_t>(std::atol(name.c_str() + kFolderPrefix.size()));
    if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) {
      std::error_code ignored;
      std::filesystem::remove_all(entry.path(), ignored);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // One state folder for the process; nothing of the client's may land anywhere else. The
  // directory syncs every commit to disk: in memory the fuzzer runs over twice as fast.
  const char* tmp = std::getenv("TMPDIR");
  std::string base = tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
  if (::access("/dev/shm", W_OK | X_OK) == 0)
    base = "/dev/shm";
  RemoveFoldersOfDeadRuns(base);
  std::string pattern =
      base + "/" + std::string(kFolderPrefix) + std::to_string(::getpid()) + "-XXXXXX";
  FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr, "a temporary folder can be made");
  stateHome = std::filesystem::path(pattern) / "state";
  ::setenv("XDG_STATE_HOME", stateHome.c_str(), 1);
  ::setenv("HOME", pattern.c_str(), 1);
  // No directory.conf of the machine's may send the calls to an LDAP server: the embedded
  // directory is the one under test.
  ::setenv("XDG_CONFIG_HOME", (pattern + "/config").c_str(), 1);
  ::setenv("XDG_CONFIG_DIRS", (pattern + "/config").c_str(), 1);
  std::atexit(RemoveStateHome);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Each input starts from a fresh directory, so that what it finds can be replayed alone.
  std::error_code ignored;
  std::filesystem::remove_all(stateHome, ignored);
  FuzzedDataProvider input(data, size);
  Session session(input);
  session.Run();
  return 0;
}
