#pragma once

#include <cstdint>
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
  ClientContext() {
    if (handle_ > 0)
      NWDSSetContext(handle_, 3, "[Root]");
  }
  ~ClientContext() {
    if (handle_ > 0)
      NWDSFreeContext(handle_);
  }
  ClientContext(const ClientContext&) = delete;
  ClientContext& operator=(const ClientContext&) = delete;
  int32_t handle() const { return handle_; }

 private:
  const int32_t handle_ = NWDSCreateContext();
};

/// The current user's full name as NWDSWhoAmI gives it; empty on failure.
std::string WhoAmI(int32_t context);
/// The client's own words for its last failure.
std::string LastFailureText();

/// One change with `values` in one request, through the calls the program makes; each value is
/// handed over as its bytes (texts with their terminator). Returns the first non-zero code.
int32_t ChangeValues(int32_t context, const std::string& object, const std::string& attribute,
                     uint32_t changeType, uint32_t syntax, const std::vector<std::string>& values);
inline int32_t AddTexts(int32_t context, const std::string& object, const std::string& attribute,
                        const std::vector<std::string>& values) {
  return ChangeValues(context, object, attribute, kAddValue, kCiString, values);
}
inline int32_t AddText(int32_t context, const std::string& object, const std::string& attribute,
                       const std::string& value) {
  return AddTexts(context, object, attribute, {value});
}
inline int32_t RemoveText(int32_t context, const std::string& object, const std::string& attribute,
                          const std::string& value) {
  return ChangeValues(context, object, attribute, kRemoveValue, kCiString, {value});
}

/// What a read of one attribute delivered.
struct ReadOutcome {
  int32_t result = 0;  ///< the first non-zero code, or 0
  uint32_t syntax = 0;
  std::vector<std::string> values;  ///< texts without their terminator; words as their 4 bytes
  int buffers = 0;                  ///< result buffers that NWDSRead filled
  /// Every value filled exactly the size NWDSComputeAttrValSize reported, and not a byte more.
  bool exact = true;
};

/// Reads every value of an attribute the way the program does: one result buffer of
/// `bufferSize` bytes refilled while the iteration handle is not -1, each value taken into a
/// block of the reported size. `afterFirstBuffer` runs between the first and second buffer.
ReadOutcome ReadValues(int32_t context, const std::string& object, const std::string& attribute,
                       uint32_t bufferSize = 4096,
                       const std::function<void()>& afterFirstBuffer = nullptr);

}  // namespace welcomer::testing
