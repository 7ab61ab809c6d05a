// The directory client we ship, through its C interface as the program uses it and as a careless
// caller might: values added to and removed from the user's "L" in requests of any size, reads
// spread over result buffers of any size and interleaved with changes, and handles that are not
// live. Every buffer handed to the client has exactly its declared size, for ASan to watch.

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "client/ClientErrors.h"
#include "netware/ClientAbi.h"
#include "tests/client/ClientCalls.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/TempDir.h"

namespace {

constexpr uint32_t kVerbRead = 3;
constexpr uint32_t kVerbModify = 9;
using welcomer::testing::kAddValue;
using welcomer::testing::kCiString;
using welcomer::testing::kRemoveValue;
constexpr int32_t kNoMoreIterations = -1;

std::string stateHome;

// A caller's block of exactly `size` bytes, filled so that a missing terminator shows.
std::unique_ptr<char[]> Block(size_t size) {
  auto block = std::make_unique<char[]>(size);
  std::memset(block.get(), 'x', size);
  return block;
}

// `text` in a block of exactly its size, so that reading past its terminator is caught.
std::unique_ptr<char[]> Terminated(const std::string& text) {
  auto block = Block(text.size() + 1);
  std::memcpy(block.get(), text.c_str(), text.size() + 1);
  return block;
}

// A read of the user's "L" that goes on over several result buffers.
struct Read {
  uint32_t size = 0;
  NWDSBuf* result = nullptr;
  int32_t iteration = kNoMoreIterations;
  std::vector<std::string> expected;  ///< what "L" held when the read began
  std::vector<std::string> taken;
};

class Session {
 public:
  explicit Session(FuzzedDataProvider& in) : in_(in) {
    char name[128];
    context_ = NWDSCreateContext();
    FuzzCheck(context_ > 0 && NWDSWhoAmI(context_, name) == 0, "the client knows the user");
    user_ = std::string(".") + name;
    FuzzCheck(NWDSAllocBuf(256, &names_) == 0 && NWDSInitBuf(context_, kVerbRead, names_) == 0 &&
                  NWDSPutAttrName(context_, names_, "L") == 0,
              "a read request can be made");
  }

  ~Session() {
    // An open batch would carry this input's changes into the next input's directory.
    FuzzCheck(!batching_ || NWDSEndChanges() == 0, "a batch of changes is kept");
    for (const Read& read : reads_)
      NWDSFreeBuf(read.result);
    FuzzCheck(NWDSFreeBuf(names_) == 0 && NWDSFreeContext(context_) == 0, "live handles go");
  }

  void Run() {
    for (int step = 0; step < 64 && in_.remaining_bytes() > 0; ++step) {
      const int choice = in_.ConsumeIntegralInRange(0, 5);
      if (choice < 2) {
        Change();
      } else if (choice == 2 && reads_.size() < 8) {
        // The client keeps a few dozen reads going; this stays below, so that none is dropped.
        uint32_t size = 0;
        NWDSBuf* result = Buffer(&size);
        reads_.push_back({size, result, kNoMoreIterations, values_, {}});
        Continue(reads_.size() - 1);
      } else if (choice == 3 && !reads_.empty()) {
        Continue(in_.ConsumeIntegralInRange<size_t>(0, reads_.size() - 1));
      } else if (choice == 4) {
        NotLive();
      } else if (choice == 5) {
        FuzzCheck((batching_ ? NWDSEndChanges() : NWDSBeginChanges()) == 0, "a batch can end");
        batching_ = !batching_;
      }
    }
  }

 private:
  // A buffer of a size callers use, from the smallest the client takes to the largest.
  NWDSBuf* Buffer(uint32_t* size = nullptr) {
    static const uint32_t kSizes[] = {64, 100, 256, 600, 4096, 65536};
    const uint32_t chosen = kSizes[in_.ConsumeIntegral<uint8_t>() % std::size(kSizes)];
    NWDSBuf* buffer = nullptr;
    FuzzCheck(NWDSAllocBuf(chosen, &buffer) == 0 && (size == nullptr || (*size = chosen)),
              "a buffer can be made");
    return buffer;
  }

  // Values equal but for case, holding "=", empty, long enough that a few fill a buffer, or any.
  std::string Value() {
    static const char* const kValues[] = {"Welcomer.File./A=1 2", "WELCOMER.FILE./A=1 2", "a", ""};
    const uint8_t choice = in_.ConsumeIntegral<uint8_t>();
    if (choice < 128)
      return kValues[choice % std::size(kValues)];
    // Up to the longest the client takes, 2047 bytes.
    if (choice < 224)
      return std::string(2047 - (choice % 4) * 600, choice % 8 < 4 ? 'w' : 'W');
    return TakeCString(in_, 2100);
  }

  // One request that adds or removes some values: all of them or none.
  void Change() {
    const bool add = in_.ConsumeBool();
    NWDSBuf* request = Buffer();
    FuzzCheck(NWDSInitBuf(context_, kVerbModify, request) == 0 &&
                  NWDSPutChange(context_, request, add ? kAddValue : kRemoveValue, "L") == 0,
              "a modify request can be made");
    std::vector<std::string> after = values_;
    bool allowed = true;
    size_t put = 0;
    for (int i = in_.ConsumeIntegralInRange(1, 3); i > 0; --i) {
      const std::string value = Value();
      if (NWDSPutAttrVal(context_, request, kCiString, Terminated(value).get()) != 0)
        continue;
      ++put;
      const auto same = std::find_if(after.begin(), after.end(), [&](const std::string& there) {
        return ::strcasecmp(there.c_str(), value.c_str()) == 0;
      });
      allowed = allowed && (same == after.end()) == add;
      if (add)
        after.push_back(value);
      else if (same != after.end())
        after.erase(same);
    }
    const int32_t result = NWDSModifyObject(context_, Terminated(user_).get(), nullptr, 0, request);
    FuzzCheck(NWDSFreeBuf(request) == 0, "a live buffer can be freed");
    FuzzCheck((result == 0) == (allowed && put > 0),
              "a change succeeds unless it adds a value that is there or removes one that is not");
    if (result == 0)
      values_ = std::move(after);
  }

  // Takes the next result buffer of a read; at its end, compares what came with what was there.
  void Continue(size_t index) {
    Read& read = reads_[index];
    const bool first = read.iteration == kNoMoreIterations;
    const int32_t result =
        NWDSRead(context_, Terminated(user_).get(), 1, 0, names_, &read.iteration, read.result);
    if (first && read.expected.empty()) {
      FuzzCheck(result == kNWErrNoSuchAttribute, "a read of an attribute without values fails");
    } else if (result == kNWErrInsufficientBuffer) {
      FuzzCheck(read.size < 4096, "any one value fits into 4096 bytes");
    } else {
      FuzzCheck(result == 0, "a read of the user's values succeeds");
      TakeOut(read);
      if (read.iteration != kNoMoreIterations)
        return;
      FuzzCheck(read.taken == read.expected,
                "a read gives the values as they were when it began, in the order added");
    }
    // A read given up half way keeps its iteration until the context goes.
    NWDSFreeBuf(read.result);
    reads_.erase(reads_.begin() + static_cast<std::ptrdiff_t>(index));
  }

  // Walks a result buffer as the program does, into blocks of exactly the sizes the client gives.
  void TakeOut(Read& read) {
    uint32_t count = 0;
    FuzzCheck(NWDSGetAttrCount(context_, read.result, &count) == 0, "a result has a count");
    for (uint32_t i = 0; i < count; ++i) {
      auto name = Block(34);
      uint32_t values = 0;
      uint32_t syntax = 0;
      FuzzCheck(NWDSGetAttrName(context_, read.result, name.get(), &values, &syntax) == 0,
                "a counted attribute has a name");
      for (uint32_t j = 0; j < values; ++j) {
        uint32_t size = 0;
        FuzzCheck(NWDSComputeAttrValSize(context_, read.result, syntax, &size) == 0 && size >= 1,
                  "a counted value has a size");
        auto value = Block(size);
        FuzzCheck(NWDSGetAttrVal(context_, read.result, syntax, value.get()) == 0 &&
                      std::strlen(value.get()) == size - 1,
                  "a value fills the size given, terminator included");
        read.taken.emplace_back(value.get());
      }
    }
  }

  // Handles that are not live are refused, never looked behind.
  void NotLive() {
    NWDSBuf* freed = Buffer();
    const int32_t context = NWDSCreateContext();
    FuzzCheck(NWDSFreeBuf(freed) == 0 && NWDSFreeContext(context) == 0, "live handles can go");
    // An odd address is never one of the client's buffers.
    auto* garbage = reinterpret_cast<NWDSBuf*>(in_.ConsumeIntegral<uintptr_t>() | 1);
    uint32_t flags = 0;
    FuzzCheck(NWDSFreeBuf(freed) != 0 && NWDSInitBuf(context_, kVerbRead, freed) != 0 &&
                  NWDSFreeBuf(garbage) != 0,
              "a buffer that is not live is refused");
    FuzzCheck(NWDSFreeContext(context) != 0 && NWDSGetContext(context, 1, &flags) != 0,
              "a freed context is refused");
  }

  FuzzedDataProvider& in_;
  int32_t context_ = 0;
  std::string user_;
  NWDSBuf* names_ = nullptr;
  std::vector<std::string> values_;  ///< what "L" holds, oldest first
  std::vector<Read> reads_;
  bool batching_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Everything of the client's goes into a folder of the fuzzer's own; no directory.conf of the
  // machine's may send the calls to an LDAP server.
  static welcomer::testing::TempDir home;
  stateHome = home / "state";
  ::setenv("HOME", home.path().c_str(), 1);
  ::setenv("XDG_STATE_HOME", stateHome.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  ::setenv("XDG_CONFIG_DIRS", (home / "config").c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Each input starts from a fresh directory, so that what it finds can be replayed alone.
  std::error_code ignored;
  std::filesystem::remove_all(stateHome, ignored);
  FuzzedDataProvider in(data, size);
  Session(in).Run();
  return 0;
}
