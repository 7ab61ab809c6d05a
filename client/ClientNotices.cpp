#include "client/ClientNotices.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>

#include "client/ClientErrors.h"
#include "netware/ClientAbi.h"

namespace welcomer::client {
namespace {

// A run that fails every write the same way says so this often at most; more would bury the
// first, which usually tells the cause.
constexpr size_t kMaxNotices = 32;

std::mutex& NoticeMutex() {
  static std::mutex* mutex = new std::mutex();
  return *mutex;
}

std::deque<std::string>& Notices() {
  static auto* notices = new std::deque<std::string>();
  return *notices;
}

}  // namespace

void AddClientNotice(const std::string& text) {
  std::lock_guard<std::mutex> lock(NoticeMutex());
  if (Notices().size() < kMaxNotices)
    Notices().push_back(text);
}

std::vector<std::string> TakeClientNotices() {
  std::lock_guard<std::mutex> lock(NoticeMutex());
  std::vector<std::string> taken(Notices().begin(), Notices().end());
  Notices().clear();
  return taken;
}

}  // namespace welcomer::client

extern "C" int32_t NWWelcomerTakeNotice(char* text, uint32_t size) {
  if (text == nullptr || size == 0)
    return kNWErrNullPointer;
  std::lock_guard<std::mutex> lock(welcomer::client::NoticeMutex());
  auto& notices = welcomer::client::Notices();
  if (notices.empty()) {
    text[0] = '\0';
    return kNWErrBufferEmpty;
  }
  // A notice longer than the caller's buffer is cut rather than lost: it is read by a person.
  const std::string& oldest = notices.front();
  const size_t length = std::min<size_t>(oldest.size(), size - 1);
  std::memcpy(text, oldest.data(), length);
  text[length] = '\0';
  notices.pop_front();
  return 0;
}
