#include <memory>

#include "app/DirectoryClient.h"
#include "nds/Nwnds.h"
#include "netware/nwbase.h"

namespace welcomer {
namespace {

// The program's directory client: the NetWare component binds the client libraries, and the
// value operations go to the directory layer on behalf of the state store.
class NetWareDirectoryClient : public DirectoryClient {
 public:
  std::string LoginID() override { return base_.LoginID(); }

  bool ReadAttributeValues(const std::string& contextName, const std::string& objectName,
                           TNWDSAttribute attribute, std::vector<std::string>& values) override {
    // The directory layer counts only what it delivered; the seam counts earlier entries too.
    AttributeValueList blocks;
    welcomer::ReadAttributeValues(contextName, objectName, attribute, blocks);
    for (const AttributeValueBlock& block : blocks)
      values.push_back(block.Text());
    return !values.empty();
  }

  bool AddAttributeValue(const std::string& contextName, const std::string& objectName,
                         TNWDSAttribute attribute, const std::string& value) override {
    return welcomer::AddAttributeValue(contextName, objectName, attribute, value.c_str());
  }

  bool RemoveAttributeValue(const std::string& contextName, const std::string& objectName,
                            TNWDSAttribute attribute, const std::string& value) override {
    return welcomer::RemoveAttributeValue(contextName, objectName, attribute, value.c_str());
  }

  std::vector<std::string> TakeNotices() override { return TakeClientNotices(); }

 private:
  TNWBase base_;
};

}  // namespace

std::unique_ptr<DirectoryClient> CreateNetWareClient() {
  return std::make_unique<NetWareDirectoryClient>();
}

}  // namespace welcomer
