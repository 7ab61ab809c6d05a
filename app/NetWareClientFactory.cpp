#include <memory>

#include "app/NetWareClient.h"
#include "nds/Nwnds.h"
#include "netware/ClientAbi.h"
#include "netware/nwbase.h"
#include "platform/ClientLibrary.h"

namespace welcomer {
namespace {

// What the directory answers for an attribute without values: nothing stored, nothing wrong.
constexpr int32_t kNoSuchAttribute = -603;
constexpr size_t kFailureTextSize = 512;

// The NetWare client over the client libraries: the NetWare component binds them, and the
// value operations go to the directory layer on behalf of the state store.
class LibraryNetWareClient : public NetWareClient {
 public:
  std::string LoginID() override { return base_.LoginID(); }

  bool ReadAttributeValues(const std::string& contextName, const std::string& objectName,
                           TNWDSAttribute attribute, std::vector<std::string>& values) override {
    // The directory layer counts only what it delivered; the seam counts earlier entries too.
    // A read that reports failure delivers nothing, not even the values that had arrived:
    // a partial state would hide pages and leave records behind at /remove.
    AttributeValueList blocks;
    if (welcomer::ReadAttributeValues(contextName, objectName, attribute, blocks)) {
      for (const AttributeValueBlock& block : blocks)
        values.push_back(block.Text());
    }
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

  void BeginChanges() override {
    if (auto begin = Optional<decltype(&::NWDSBeginChanges)>("NWDSBeginChanges"))
      begin();
  }

  bool EndChanges() override {
    auto end = Optional<decltype(&::NWDSEndChanges)>("NWDSEndChanges");
    return end == nullptr || end() == 0;
  }

  std::string WhyUnusable() override {
    const std::string loadFailure = CurrentClientLibraryLoader().LoadFailure();
    if (!loadFailure.empty())
      return "the directory client could not be loaded: " + loadFailure;
    const int32_t code = NDSLastError();
    if (code == kLibraryMissingError)
      return "a directory client library could not be loaded";
    if (code == 0)
      return LoginID().empty() ? "the directory client gave no user name" : std::string();
    if (code == kNoSuchAttribute)
      return std::string();
    const std::string words = ClientWords();
    return "the directory answered " + NDSErrorText() + (words.empty() ? "" : ": " + words);
  }

  std::vector<std::string> TakeNotices() override { return TakeClientNotices(); }

 private:
  // An entry point that only the client we ship has; null with any other client.
  template <typename Fn>
  static Fn Optional(const char* name) {
    if (!CurrentClientLibraryLoader().LoadFailure().empty())
      return nullptr;
    ClientLibraryLoader& loader = CurrentClientLibraryLoader();
    return reinterpret_cast<Fn>(loader.Find(loader.Load("NETWIN32.DLL"), name));
  }

  // Our own client can say more than a code.
  static std::string ClientWords() {
    auto failureText = Optional<decltype(&::NWDSLastFailureText)>("NWDSLastFailureText");
    char text[kFailureTextSize] = {};
    if (failureText == nullptr || failureText(text) != 0)
      return std::string();
    text[kFailureTextSize - 1] = '\0';
    return text;
  }

  TNWBase base_;
};

}  // namespace

std::unique_ptr<NetWareClient> CreateNetWareClient() {
  return std::make_unique<LibraryNetWareClient>();
}

}  // namespace welcomer
