#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "client/ClientErrors.h"
#include "netware/NWClientABI.h"

namespace welcomer::testing {

inline constexpr uint32_t kCiString = 3;
inline constexpr uint32_t kInteger = 8;
inline constexpr uint32_t kAddValue = 2;
inline constexpr uint32_t kRemoveValue = 3;
inline constexpr uint32_t kReadBufferSize = 4096;
/// The longest string value the client takes, in characters.
inline constexpr size_t kMaxLongValue = 2047;

/// A context of the client for the length of a test, with the name context [Root] as the
/// program sets it.
class ClientContext {
 public:
  ClientContext();
  ~ClientContext();
  ClientContext(const ClientContext&) = delete;
  ClientContext& operator=(const ClientContext&) = delete;
  int32_t handle() const { return handle_; }

 private:
  int32_t handle_;
};

/// The current user's full name as NWDSWhoAmI gives it; empty on failure.
std::string WhoAmI(int32_t context);

/// One value change through NWDSAllocBuf, NWDSInitBuf, NWDSPutChange, NWDSPutAttrVal and
/// NWDSModifyObject, as the program makes it. Returns the first non-zero code.
int32_t ChangeValue(int32_t context, const std::string& object, const std::string& attribute,
                    uint32_t changeType, uint32_t syntax, const void* value);
int32_t AddText(int32_t context, const std::string& object, const std::string& attribute,
                const std::string& value);
int32_t RemoveText(int32_t context, const std::string& object, const std::string& attribute,
                   const std::string& value);

/// Adds every value in one change of one request, as far as a 64 KiB buffer holds them.
int32_t AddTexts(int32_t context, const std::string& object, const std::string& attribute,
                 const std::vector<std::string>& values);

/// What a read of one attribute delivered.
struct ReadOutcome {
  int32_t result = 0;  ///< the first non-zero code, or 0
  std::vector<std::string> values;
  int buffers = 0;  ///< result buffers that NWDSRead filled
};

/// Reads every value of a string attribute the way the program does: one request buffer, one
/// result buffer of `bufferSize` bytes refilled while the iteration handle is not -1, each
/// value taken into a block of the size NWDSComputeAttrValSize reports.
ReadOutcome ReadTexts(int32_t context, const std::string& object, const std::string& attribute,
                      uint32_t bufferSize = kReadBufferSize);

}  // namespace welcomer::testing
