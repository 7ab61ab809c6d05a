#include "tests/client/ClientCalls.h"

namespace welcomer::testing {

ClientContext::ClientContext() : handle_(NWDSCreateContext()) {
  if (handle_ > 0)
    NWDSSetContext(handle_, 3, "[Root]");
}

ClientContext::~ClientContext() {
  if (handle_ > 0)
    NWDSFreeContext(handle_);
}

std::string WhoAmI(int32_t context) {
  char name[128] = {};
  return NWDSWhoAmI(context, name) == 0 ? std::string(name) : std::string();
}

int32_t ChangeValue(int32_t context, const std::string& object, const std::string& attribute,
                    uint32_t changeType, uint32_t syntax, const void* value) {
  NWDSBuf* buffer = nullptr;
  int32_t result = NWDSAllocBuf(kReadBufferSize, &buffer);
  if (result != 0)
    return result;
  result = NWDSInitBuf(context, 9, buffer);
  if (result == 0)
    result = NWDSPutChange(context, buffer, changeType, attribute.c_str());
  if (result == 0)
    result = NWDSPutAttrVal(context, buffer, syntax, value);
  if (result == 0)
    result = NWDSModifyObject(context, object.c_str(), nullptr, 0, buffer);
  NWDSFreeBuf(buffer);
  return result;
}

int32_t AddText(int32_t context, const std::string& object, const std::string& attribute,
                const std::string& value) {
  return ChangeValue(context, object, attribute, kAddValue, kCiString, value.c_str());
}

int32_t RemoveText(int32_t context, const std::string& object, const std::string& attribute,
                   const std::string& value) {
  return ChangeValue(context, object, attribute, kRemoveValue, kCiString, value.c_str());
}

int32_t AddTexts(int32_t context, const std::string& object, const std::string& attribute,
                 const std::vector<std::string>& values) {
  NWDSBuf* buffer = nullptr;
  int32_t result = NWDSAllocBuf(65536, &buffer);
  if (result != 0)
    return result;
  result = NWDSInitBuf(context, 9, buffer);
  if (result == 0)
    result = NWDSPutChange(context, buffer, kAddValue, attribute.c_str());
  for (const std::string& value : values)
    if (result == 0)
      result = NWDSPutAttrVal(context, buffer, kCiString, value.c_str());
  if (result == 0)
    result = NWDSModifyObject(context, object.c_str(), nullptr, 0, buffer);
  NWDSFreeBuf(buffer);
  return result;
}

ReadOutcome ReadTexts(int32_t context, const std::string& object, const std::string& attribute,
                      uint32_t bufferSize) {
  ReadOutcome outcome;
  NWDSBuf* request = nullptr;
  NWDSBuf* result = nullptr;
  outcome.result = NWDSAllocBuf(kReadBufferSize, &request);
  if (outcome.result == 0)
    outcome.result = NWDSAllocBuf(bufferSize, &result);
  if (outcome.result == 0)
    outcome.result = NWDSInitBuf(context, 3, request);
  if (outcome.result == 0)
    outcome.result = NWDSPutAttrName(context, request, attribute.c_str());
  int32_t iteration = -1;
  while (outcome.result == 0) {
    outcome.result = NWDSRead(context, object.c_str(), 1, 0, request, &iteration, result);
    if (outcome.result != 0)
      break;
    ++outcome.buffers;
    uint32_t count = 0;
    outcome.result = NWDSGetAttrCount(context, result, &count);
    for (uint32_t a = 0; a < count && outcome.result == 0; ++a) {
      char name[34];
      uint32_t valueCount = 0;
      uint32_t syntax = 0;
      outcome.result = NWDSGetAttrName(context, result, name, &valueCount, &syntax);
      for (uint32_t v = 0; v < valueCount && outcome.result == 0; ++v) {
        uint32_t size = 0;
        outcome.result = NWDSComputeAttrValSize(context, result, syntax, &size);
        if (outcome.result != 0)
          break;
        std::string block(size, '\x7f');
        outcome.result = NWDSGetAttrVal(context, result, syntax, block.data());
        if (outcome.result == 0)
          outcome.values.push_back(block.c_str());
      }
    }
    if (iteration == -1)
      break;
  }
  if (result != nullptr)
    NWDSFreeBuf(result);
  if (request != nullptr)
    NWDSFreeBuf(request);
  return outcome;
}

}  // namespace welcomer::testing
