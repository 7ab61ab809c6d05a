#pragma once

// Calls into the client through its C interface alone, as a program that binds it makes them;
// shared by the tests and the probe processes.

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "client/ClientErrors.h"
#include "netware/ClientAbi.h"

namespace welcomer::testing {

inline constexpr uint32_t kCiString = 3;
inline constexpr uint32_t kInteger = 8;
inline constexpr uint32_t kAddValue = 2;
inline constexpr uint32_t kRemoveValue = 3;
inline constexpr uint32_t kClearAttribute = 6;

/// A context of the client for the length of a test, with the name context [Root] as the
/// program sets it.
class ClientContext {
 public:
  ClientContext() { NWDSSetContext(handle_, 3, "[Root]"); }
  ~ClientContext() { NWDSFreeContext(handle_); }
  ClientContext(const ClientContext&) = delete;
  ClientContext& operator=(const ClientContext&) = delete;
  int32_t handle() const { return handle_; }

 private:
  const int32_t handle_ = NWDSCreateContext();
};

/// The current user's full name as NWDSWhoAmI gives it; empty on failure.
inline std::string WhoAmI(int32_t context) {
  char name[128] = {};
  return NWDSWhoAmI(context, name) == 0 ? name : "";
}

/// One change of `attribute` with `values` in one request, each value handed over as its bytes
/// (texts with their terminator). Returns the first non-zero code.
inline int32_t ChangeValues(int32_t context, const std::string& object,
                            const std::string& attribute, const std::vector<std::string>& values,
                            uint32_t change = kAddValue, uint32_t syntax = kCiString) {
  NWDSBuf* buffer = nullptr;
  int32_t result = NWDSAllocBuf(65536, &buffer);
  if (result == 0)
    result = NWDSInitBuf(context, 9, buffer);
  if (result == 0)
    result = NWDSPutChange(context, buffer, change, attribute.c_str());
  for (size_t i = 0; i < values.size() && result == 0; ++i)
    result = NWDSPutAttrVal(context, buffer, syntax, values[i].c_str());
  if (result == 0)
    result = NWDSModifyObject(context, object.c_str(), nullptr, 0, buffer);
  NWDSFreeBuf(buffer);
  return result;
}
inline int32_t AddText(int32_t context, const std::string& object, const std::string& attribute,
                       const std::string& value) {
  return ChangeValues(context, object, attribute, {value});
}
inline int32_t RemoveText(int32_t context, const std::string& object, const std::string& attribute,
                          const std::string& value) {
  return ChangeValues(context, object, attribute, {value}, kRemoveValue);
}

/// What a read of one attribute delivered.
struct ReadOutcome {
  int32_t result = 0;               ///< the first non-zero code, or 0
  std::vector<std::string> values;  ///< texts without their terminator; words as their 4 bytes
  int buffers = 0;                  ///< result buffers that NWDSRead filled
};

/// Reads every value of an attribute: one result buffer of `bufferSize` bytes refilled while the
/// iteration handle is not -1, each value taken into a block of exactly the reported size, so
/// that AddressSanitizer sees a byte written past it. `afterFirstBuffer` runs between the first
/// and second buffer.
inline ReadOutcome ReadValues(int32_t context, const std::string& object,
                              const std::string& attribute, uint32_t bufferSize = 4096,
                              const std::function<void()>& afterFirstBuffer = nullptr) {
  ReadOutcome out;
  NWDSBuf* request = nullptr;
  NWDSBuf* reply = nullptr;
  out.result = NWDSAllocBuf(4096, &request);
  if (out.result == 0)
    out.result = NWDSAllocBuf(bufferSize, &reply);
  if (out.result == 0)
    out.result = NWDSInitBuf(context, 3, request);
  if (out.result == 0)
    out.result = NWDSPutAttrName(context, request, attribute.c_str());
  for (int32_t iteration = -1; out.result == 0 && (out.buffers == 0 || iteration != -1);) {
    out.result = NWDSRead(context, object.c_str(), 1, 0, request, &iteration, reply);
    if (out.result == 0 && ++out.buffers == 1 && afterFirstBuffer)
      afterFirstBuffer();
    // One attribute was asked for, so a reply holds at most one.
    uint32_t count = 0, syntax = 0, size = 0;
    if (out.result == 0)
      out.result = NWDSGetAttrCount(context, reply, &count);
    char name[34];
    if (out.result == 0 && count > 0)
      out.result = NWDSGetAttrName(context, reply, name, &count, &syntax);
    for (uint32_t v = 0; v < count && out.result == 0; ++v) {
      out.result = NWDSComputeAttrValSize(context, reply, syntax, &size);
      std::vector<char> block(size);
      if (out.result == 0)
        out.result = NWDSGetAttrVal(context, reply, syntax, block.data());
      out.values.emplace_back(block.data(),
                              syntax == kInteger ? size : ::strnlen(block.data(), size));
    }
  }
  NWDSFreeBuf(reply);
  NWDSFreeBuf(request);
  return out;
}

}  // namespace welcomer::testing
