#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "app/NetWareClient.h"
#include "netware/MessageBox.h"
#include "platform/Clock.h"
#include "platform/ProcessLauncher.h"

namespace welcomer::testing {

/// One box as the program asked for it.
struct ShownBox {
  BoxKind kind;
  std::string text;
};

/// Records every box and answers questions from a queue (No when the queue is empty). Installs
/// itself for the lifetime of the object.
class RecordingMessageBoxes : public MessageBoxPresenter {
 public:
  RecordingMessageBoxes();
  ~RecordingMessageBoxes() override;
  bool Show(BoxKind kind, const std::string& text) override;

  std::vector<ShownBox> shown;
  std::deque<bool> answers;

 private:
  MessageBoxPresenter* previous_;
};

/// An in-memory directory with one object. Records every call; each operation can be told to
/// fail. Values compare exactly (a stricter directory than the real one, which is what tests of
/// the program's own logic want).
class FakeNetWareClient : public NetWareClient {
 public:
  struct Call {
    std::string operation;  ///< "read", "add" or "remove"
    std::string contextName;
    std::string objectName;
    TNWDSAttribute attribute;
    std::string value;
  };

  std::string LoginID() override { return "CN=Admin.O=Org"; }
  bool ReadAttributeValues(const std::string& contextName, const std::string& objectName,
                           TNWDSAttribute attribute, std::vector<std::string>& out) override;
  bool AddAttributeValue(const std::string& contextName, const std::string& objectName,
                         TNWDSAttribute attribute, const std::string& value) override;
  bool RemoveAttributeValue(const std::string& contextName, const std::string& objectName,
                            TNWDSAttribute attribute, const std::string& value) override;

  std::string WhyUnusable() override { return whyUnusable; }
  std::vector<std::string> TakeNotices() override { return std::exchange(notices, {}); }

  /// Number of recorded calls of one operation.
  size_t CountOf(const std::string& operation) const;

  std::string whyUnusable;
  std::vector<std::string> values;  ///< the attribute's values, in order
  bool failAdd = false;
  int failRemoveAt = -1;  ///< the zero-based remove call that fails; -1 for none
  std::vector<Call> calls;
  std::vector<std::string> notices;  ///< what the client has to tell, until taken
};

/// Hands every call on to a directory the test owns, so the test can look at it after the
/// program released its client.
class ForwardingNetWareClient : public NetWareClient {
 public:
  explicit ForwardingNetWareClient(NetWareClient& target) : target_(target) {}
  std::string LoginID() override { return target_.LoginID(); }
  bool ReadAttributeValues(const std::string& c, const std::string& o, TNWDSAttribute a,
                           std::vector<std::string>& v) override {
    return target_.ReadAttributeValues(c, o, a, v);
  }
  bool AddAttributeValue(const std::string& c, const std::string& o, TNWDSAttribute a,
                         const std::string& v) override {
    return target_.AddAttributeValue(c, o, a, v);
  }
  bool RemoveAttributeValue(const std::string& c, const std::string& o, TNWDSAttribute a,
                            const std::string& v) override {
    return target_.RemoveAttributeValue(c, o, a, v);
  }
  std::string WhyUnusable() override { return target_.WhyUnusable(); }
  std::vector<std::string> TakeNotices() override { return target_.TakeNotices(); }

 private:
  NetWareClient& target_;
};

/// A clock that always says the same time.
class FixedClock : public Clock {
 public:
  explicit FixedClock(LocalDateTime now) : now_(now) {}
  LocalDateTime Now() override { return now_; }

 private:
  LocalDateTime now_;
};

/// Records the command lines it is asked to start, starts nothing, and reports success.
class RecordingLauncher : public ProcessLauncher {
 public:
  bool StartDetached(const std::string& commandLine, std::string&) override {
    started.push_back(commandLine);
    return true;
  }
  std::vector<std::string> started;
};

}  // namespace welcomer::testing
