#pragma once

#include "app/NetWareClient.h"

namespace welcomer {

/// The client of a machine without a directory: no user name, and every operation fails
/// without doing anything, so nothing is read and nothing is stored.
class NoNetWareClient : public NetWareClient {
 public:
  std::string LoginID() override { return std::string(); }
  bool ReadAttributeValues(const std::string&, const std::string&, TNWDSAttribute,
                           std::vector<std::string>& values) override {
    return !values.empty();
  }
  bool AddAttributeValue(const std::string&, const std::string&, TNWDSAttribute,
                         const std::string&) override {
    return false;
  }
  bool RemoveAttributeValue(const std::string&, const std::string&, TNWDSAttribute,
                            const std::string&) override {
    return false;
  }
};

}  // namespace welcomer
