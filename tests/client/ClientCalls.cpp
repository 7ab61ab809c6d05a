#include "tests/client/ClientCalls.h"

#include <cstring>

namespace welcomer::testing {

std::string WhoAmI(int32_t context) {
  char name[128] = {};
  return NWDSWhoAmI(context, name) == 0 ? std::string(name) : std::string();
}

int32_t ChangeValues(int32_t context, const std::string& object, const std::string& attribute,
                     uint32_t changeType, uint32_t syntax, const std::vector<std::string>& values) {
  NWDSBuf* buffer = nullptr;
  int32_t result = NWDSAllocBuf(65536, &buffer);
  if (result == 0)
    result = NWDSInitBuf(context, 9, buffer);
  if (result == 0)
    result = NWDSPutChange(context, buffer, changeType, attribute.c_str());
  for (const std::string& value : values)
    if (result == 0)
      result = NWDSPutAttrVal(context, buffer, syntax, value.c_str());
  if (result == 0)
    result = NWDSModifyObject(context, object.c_str(), nullptr, 0, buffer);
  NWDSFreeBuf(buffer);
  return result;
}

ReadOutcome ReadValues(int32_t context, const std::string& object, const std::string& attribute,
                       uint32_t bufferSize, const std::function<void()>& afterFirstBuffer) {
  ReadOutcome outcome;
  NWDSBuf* request = nullptr;
  NWDSBuf* result = nullptr;
  outcome.result = NWDSAllocBuf(4096, &request);
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
    if (++outcome.buffers == 1 && afterFirstBuffer)
      afterFirstBuffer();
    uint32_t count = 0;
    outcome.result = NWDSGetAttrCount(context, result, &count);
    for (uint32_t a = 0; a < count && outcome.result == 0; ++a) {
      char name[34];
      uint32_t valueCount = 0;
      outcome.result = NWDSGetAttrName(context, result, name, &valueCount, &outcome.syntax);
      for (uint32_t v = 0; v < valueCount && outcome.result == 0; ++v) {
        uint32_t size = 0;
        outcome.result = NWDSComputeAttrValSize(context, result, outcome.syntax, &size);
        // Guard bytes behind the reported size show a value written past it.
        std::string block(size + 8, '#');
        if (outcome.result == 0)
          outcome.result = NWDSGetAttrVal(context, result, outcome.syntax, block.data());
        const bool word = outcome.syntax == kInteger;
        const size_t length = word || size == 0 ? size : size - 1;
        outcome.exact = outcome.exact && block.compare(size, 8, "########") == 0 &&
                        (word || (size > 0 && std::strlen(block.c_str()) == length));
        outcome.values.push_back(block.substr(0, length));
      }
    }
    if (iteration == -1)
      break;
  }
  NWDSFreeBuf(result);
  NWDSFreeBuf(request);
  return outcome;
}

std::string LastFailureText() {
  char text[512] = {};
  return NWDSLastFailureText(text) == 0 ? std::string(text) : std::string();
}

}  // namespace welcomer::testing
