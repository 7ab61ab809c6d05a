#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "client/DirectoryBackend.h"
#include "client/DirectoryName.h"
#include "netware/ClientAbi.h"

namespace welcomer::client {

/// What a buffer was last made ready for.
enum class BufferUse { kNone, kReadRequest, kModifyRequest, kResult };

/// Where a read stands: the values it took from the directory when it started, and how far the
/// result buffers handed out so far have got. Later buffers of one read therefore show the same
/// snapshot, even when another run changes the directory in between.
struct ReadProgress {
  std::vector<Attribute> attributes;
  bool namesOnly = false;
  size_t attribute = 0;
  size_t value = 0;
  bool Done() const { return attribute >= attributes.size(); }
};

/// A live directory context.
struct Context {
  uint32_t flags = 0;
  DirectoryName nameContext;
};

/// A read that continues in a further result buffer.
struct Iteration {
  int32_t context = 0;
  std::string objectKey;
  ReadProgress progress;
  uint64_t started = 0;
};

/// Sizes a result buffer accounts for, so that it holds what a buffer of its size could hold
/// on the wire: a count, then per attribute its name, syntax and value count, then per value its
/// length and bytes, each item padded to 4 bytes.
size_t ResultHeaderSize();
size_t AttributeEntrySize(const std::string& name);
size_t ValueEntrySize(const Value& value, uint32_t syntax);
/// Request buffers count the same way: a read request holds names, a modify request changes
/// (type, name, value count) and their values.
size_t RequestHeaderSize();
size_t RequestNameSize(const std::string& name);
size_t ChangeEntrySize(const std::string& attribute);
/// What NWDSComputeAttrValSize reports and NWDSGetAttrVal writes for a value.
size_t ValueSizeForCaller(const Value& value, uint32_t syntax);

inline constexpr uint32_t kMinBufferSize = 64;
inline constexpr uint32_t kMaxBufferSize = 65536;
inline constexpr size_t kMaxContexts = 1024;
inline constexpr size_t kMaxBuffers = 4096;
inline constexpr size_t kMaxIterations = 64;
inline constexpr int32_t kNoMoreIterations = -1;
/// The one connection of the local directory; also its connection reference and number.
inline constexpr uint32_t kLocalConnection = 1;

/// The process-wide state of the client: handles of contexts, buffers and iterations, the
/// backend, and the few settings of the calls library. Every entry point holds `mutex` while it
/// works, so that a caller that uses the client from two threads gets consistent answers.
class ClientState {
 public:
  static ClientState& Instance();

  std::mutex mutex;

  DirectoryBackend& Backend();

  /// A new context handle (above 0), or kNWErrContextCreation.
  int32_t AddContext(const Context& context);
  /// Null for a handle that is not live.
  Context* FindContext(int32_t handle);
  /// Frees the context and the iterations that belong to it.
  int32_t RemoveContext(int32_t handle);

  int32_t AddBuffer(uint32_t size, NWDSBuf** buffer);
  /// True only for buffers that AddBuffer gave and RemoveBuffer has not freed; never looks
  /// behind the pointer otherwise.
  bool IsBuffer(const NWDSBuf* buffer) const;
  int32_t RemoveBuffer(NWDSBuf* buffer);

  /// Keeps a read that goes on in a further buffer; returns its handle. The oldest is dropped
  /// when too many are open, since a caller may abandon a read half-way.
  int32_t AddIteration(Iteration iteration);
  Iteration* FindIteration(int32_t handle);
  void RemoveIteration(int32_t handle);

  uint16_t broadcastMode = 0;
  uint8_t errorMode = 0;
  std::time_t connectedAt = 0;

 private:
  ClientState() = default;

  std::unique_ptr<DirectoryBackend> backend_;
  std::map<int32_t, Context> contexts_;
  int32_t nextContext_ = 1;
  std::set<const NWDSBuf*> buffers_;
  std::map<int32_t, Iteration> iterations_;
  int32_t nextIteration_ = 1;
  uint64_t iterationSerial_ = 0;
};

}  // namespace welcomer::client

/// The client's request and result buffer; callers see it only as an opaque handle.
struct NWDSBuf {
  uint32_t size = 0;
  welcomer::client::BufferUse use = welcomer::client::BufferUse::kNone;
  size_t used = 0;                                 ///< bytes taken of `size`
  std::vector<std::string> names;                  ///< a read request
  std::vector<welcomer::client::Change> changes;   ///< a modify request
  std::vector<welcomer::client::Attribute> items;  ///< a result
  bool namesOnly = false;
  size_t nextAttribute = 0;  ///< the next attribute NWDSGetAttrName gives
  size_t nextValue = 0;      ///< the next value of the current attribute
  bool attributeTaken = false;
};
