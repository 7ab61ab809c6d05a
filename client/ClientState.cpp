#include "client/ClientState.h"

#include <limits>

#include "client/ClientErrors.h"

namespace welcomer::client {
namespace {

size_t Padded(size_t size) {
  return (size + 3) & ~static_cast<size_t>(3);
}

}  // namespace

size_t ResultHeaderSize() {
  return 4;
}

size_t AttributeEntrySize(const std::string& name) {
  return 4 + Padded(name.size() + 1) + 4 + 4;
}

size_t RequestHeaderSize() {
  return 4;
}

size_t RequestNameSize(const std::string& name) {
  return 4 + Padded(name.size() + 1);
}

size_t ChangeEntrySize(const std::string& attribute) {
  return 4 + RequestNameSize(attribute) + 4;
}

size_t ValueSizeForCaller(const Value& value, uint32_t syntax) {
  return IsWordSyntax(syntax) ? sizeof(uint32_t) : value.size() + 1;
}

size_t ValueEntrySize(const Value& value, uint32_t syntax) {
  return 4 + Padded(ValueSizeForCaller(value, syntax));
}

ClientState& ClientState::Instance() {
  // Never destroyed: a caller may still use the client while the process exits.
  static ClientState* state = new ClientState();
  return *state;
}

DirectoryBackend& ClientState::Backend() {
  if (!backend_)
    backend_ = CreateDefaultBackend();
  return *backend_;
}

int32_t ClientState::AddContext(const Context& context) {
  if (contexts_.size() >= kMaxContexts)
    return kNWErrContextCreation;
  // Handles are not reused while the process lives, so a stale handle never reaches a context
  // that someone else made later.
  if (nextContext_ == std::numeric_limits<int32_t>::max())
    return kNWErrContextCreation;
  const int32_t handle = nextContext_++;
  contexts_[handle] = context;
  return handle;
}

Context* ClientState::FindContext(int32_t handle) {
  auto found = contexts_.find(handle);
  return found == contexts_.end() ? nullptr : &found->second;
}

int32_t ClientState::RemoveContext(int32_t handle) {
  if (contexts_.erase(handle) == 0)
    return kNWErrBadContext;
  for (auto it = iterations_.begin(); it != iterations_.end();) {
    if (it->second.context == handle)
      it = iterations_.erase(it);
    else
      ++it;
  }
  return 0;
}

int32_t ClientState::AddBuffer(uint32_t size, NWDSBuf** buffer) {
  if (buffer == nullptr)
    return kNWErrNullPointer;
  *buffer = nullptr;
  if (size < kMinBufferSize || size > kMaxBufferSize)
    return kNWErrBufferZeroLength;
  if (buffers_.size() >= kMaxBuffers)
    return kNWErrNotEnoughMemory;
  auto made = std::make_unique<NWDSBuf>();
  made->size = size;
  buffers_.insert(made.get());
  *buffer = made.release();
  return 0;
}

bool ClientState::IsBuffer(const NWDSBuf* buffer) const {
  return buffer != nullptr && buffers_.count(buffer) != 0;
}

int32_t ClientState::RemoveBuffer(NWDSBuf* buffer) {
  if (!IsBuffer(buffer))
    return kNWErrInvalidHandle;
  buffers_.erase(buffer);
  delete buffer;
  return 0;
}

int32_t ClientState::AddIteration(Iteration iteration) {
  while (iterations_.size() >= kMaxIterations) {
    auto oldest = iterations_.begin();
    for (auto it = iterations_.begin(); it != iterations_.end(); ++it)
      if (it->second.started < oldest->second.started)
        oldest = it;
    iterations_.erase(oldest);
  }
  if (nextIteration_ == std::numeric_limits<int32_t>::max())
    nextIteration_ = 1;
  while (iterations_.count(nextIteration_) != 0)
    ++nextIteration_;
  const int32_t handle = nextIteration_++;
  iteration.started = ++iterationSerial_;
  iterations_[handle] = std::move(iteration);
  return handle;
}

Iteration* ClientState::FindIteration(int32_t handle) {
  auto found = iterations_.find(handle);
  return found == iterations_.end() ? nullptr : &found->second;
}

void ClientState::RemoveIteration(int32_t handle) {
  iterations_.erase(handle);
}

}  // namespace welcomer::client
