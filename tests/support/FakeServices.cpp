#include "tests/support/FakeServices.h"

#include <algorithm>

namespace welcomer::testing {

RecordingMessageBoxes::RecordingMessageBoxes() : previous_(SetMessageBoxPresenter(this)) {}

RecordingMessageBoxes::~RecordingMessageBoxes() {
  SetMessageBoxPresenter(previous_);
}

bool RecordingMessageBoxes::Show(BoxKind kind, const std::string& text) {
  shown.push_back({kind, text});
  if (kind != BoxKind::kConfirm || answers.empty())
    return false;
  bool answer = answers.front();
  answers.pop_front();
  return answer;
}

bool FakeNetWareClient::ReadAttributeValues(const std::string& contextName,
                                            const std::string& objectName, TNWDSAttribute attribute,
                                            std::vector<std::string>& out) {
  calls.push_back({"read", contextName, objectName, attribute, ""});
  out.insert(out.end(), values.begin(), values.end());
  return !out.empty();
}

bool FakeNetWareClient::AddAttributeValue(const std::string& contextName,
                                          const std::string& objectName, TNWDSAttribute attribute,
                                          const std::string& value) {
  calls.push_back({"add", contextName, objectName, attribute, value});
  if (failAdd)
    return false;
  values.push_back(value);
  return true;
}

bool FakeNetWareClient::RemoveAttributeValue(const std::string& contextName,
                                             const std::string& objectName,
                                             TNWDSAttribute attribute, const std::string& value) {
  const int removeIndex = static_cast<int>(CountOf("remove"));
  calls.push_back({"remove", contextName, objectName, attribute, value});
  if (removeIndex == failRemoveAt)
    return false;
  auto it = std::find(values.begin(), values.end(), value);
  if (it == values.end())
    return false;
  values.erase(it);
  return true;
}

size_t FakeNetWareClient::CountOf(const std::string& operation) const {
  return static_cast<size_t>(std::count_if(
      calls.begin(), calls.end(), [&](const Call& call) { return call.operation == operation; }));
}

}  // namespace welcomer::testing
