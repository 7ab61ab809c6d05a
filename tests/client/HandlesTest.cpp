// Handles, buffers and names that are not what they should be get an error code, never a crash,
// and the client writes no more into a caller's buffer than its size.

#include <cstring>

#include "tests/client/ClientFixture.h"

namespace welcomer::testing {
namespace {

using ::testing::Each;

using HandlesTest = ClientTest;

// Calls each entry point that takes a context and a buffer; returns what each answered.
std::vector<int32_t> EveryBufferCall(int32_t context, NWDSBuf* buffer, const std::string& user) {
  char text[256] = {};
  uint32_t word = 0;
  int32_t iteration = -1;
  return {
      NWDSInitBuf(context, 3, buffer),
      NWDSPutAttrName(context, buffer, "L"),
      NWDSPutChange(context, buffer, kAddValue, "L"),
      NWDSPutAttrVal(context, buffer, kCiString, "v"),
      NWDSModifyObject(context, user.c_str(), nullptr, 0, buffer),
      NWDSRead(context, user.c_str(), 1, 1, nullptr, &iteration, buffer),
      NWDSGetAttrCount(context, buffer, &word),
      NWDSGetAttrName(context, buffer, text, &word, &word),
      NWDSComputeAttrValSize(context, buffer, kCiString, &word),
      NWDSGetAttrVal(context, buffer, kCiString, text),
  };
}

TEST_F(HandlesTest, ContextsAndBuffersThatAreNotLiveAreRefused) {
  NWDSBuf* live = nullptr;
  NWDSBuf* freed = nullptr;
  ASSERT_EQ(NWDSAllocBuf(4096, &live) | NWDSAllocBuf(4096, &freed) | NWDSFreeBuf(freed), 0);
  const int32_t gone = NWDSDuplicateContext(ctx());
  ASSERT_EQ(NWDSFreeContext(gone), 0);
  for (int32_t context : {0, -1, gone, 0x7FFFFFFF}) {
    char text[256] = {};
    uint32_t word = 0;
    int32_t handle = 0;
    std::vector<int32_t> answers = EveryBufferCall(context, live, user);
    answers.insert(answers.end(),
                   {NWDSDuplicateContext(context), NWDSDuplicateContextHandle(context, &handle),
                    NWDSFreeContext(context), NWDSSetContext(context, 1, &word),
                    NWDSGetContext(context, 3, text), NWDSCanonicalizeName(context, "x", text),
                    NWDSWhoAmI(context, text), NWDSMapNameToID(context, 1, user.c_str(), &word),
                    NWDSAuditGetObjectID(context, user.c_str(), &word, &word)});
    EXPECT_THAT(answers, Each(kNWErrBadContext)) << "context " << context;
    EXPECT_EQ(handle, 0);
  }
  // Never dereferenced: the client only compares it with the buffers it handed out.
  NWDSBuf* garbage = reinterpret_cast<NWDSBuf*>(static_cast<uintptr_t>(0x1000));
  for (NWDSBuf* buffer : {static_cast<NWDSBuf*>(nullptr), freed, garbage}) {
    EXPECT_THAT(EveryBufferCall(ctx(), buffer, user), Each(kNWErrInvalidHandle)) << buffer;
    EXPECT_EQ(NWDSFreeBuf(buffer), kNWErrInvalidHandle) << "no double free";
  }
  NWDSFreeBuf(live);
}

TEST_F(HandlesTest, BuffersAndIterationsServeOnlyWhatTheyWereMadeFor) {
  // Each value fills a result buffer of its own.
  ASSERT_EQ(ChangeValues(ctx(), user, "L", {std::string(150, 'a'), std::string(150, 'b'), "c"}), 0);
  NWDSBuf* modify = nullptr;
  NWDSBuf* request = nullptr;
  NWDSBuf* result = nullptr;
  ASSERT_EQ(NWDSAllocBuf(64, &modify) | NWDSAllocBuf(4096, &request) | NWDSAllocBuf(256, &result) |
                NWDSInitBuf(ctx(), 9, modify) | NWDSInitBuf(ctx(), 3, request) |
                NWDSPutAttrName(ctx(), request, "L"),
            0);
  const char* const object = user.c_str();
  uint32_t count = 0;
  char text[256];
  int32_t iteration = -1;
  EXPECT_EQ(NWDSPutChange(ctx(), request, kAddValue, "L"), kNWErrBadVerb);
  EXPECT_EQ(NWDSPutAttrVal(ctx(), modify, kCiString, "no change yet"), kNWErrBadVerb);
  EXPECT_EQ(NWDSRead(ctx(), object, 1, 0, modify, &iteration, result), kNWErrBadVerb);
  EXPECT_EQ(NWDSRead(ctx(), object, 1, 0, request, &iteration, request), kNWErrInvalidRequest);
  EXPECT_EQ(NWDSGetAttrCount(ctx(), result, &count), kNWErrBadVerb);
  ASSERT_EQ(NWDSPutChange(ctx(), modify, kAddValue, "L"), 0);
  EXPECT_EQ(NWDSModifyObject(ctx(), object, nullptr, 0, modify), kNWErrInvalidRequest)
      << "an added value without a value";
  EXPECT_EQ(NWDSPutAttrVal(ctx(), modify, kCiString, std::string(100, 'v').c_str()),
            kNWErrBufferFull);

  EXPECT_EQ(NWDSRead(ctx(), object, 1, 0, request, nullptr, result), kNWErrNullPointer);
  ASSERT_EQ(NWDSRead(ctx(), object, 1, 0, request, &iteration, result), 0);
  ASSERT_NE(iteration, -1);
  // A result buffer hands out no value before its attribute, nor past its last value.
  EXPECT_EQ(NWDSGetAttrVal(ctx(), result, kCiString, text), kNWErrBufferEmpty);
  ASSERT_EQ(NWDSGetAttrName(ctx(), result, text, &count, nullptr), 0);
  for (uint32_t v = 0; v < count; ++v)
    ASSERT_EQ(NWDSGetAttrVal(ctx(), result, kCiString, text), 0);
  EXPECT_EQ(NWDSGetAttrVal(ctx(), result, kCiString, text), kNWErrBufferEmpty);
  EXPECT_EQ(NWDSGetAttrName(ctx(), result, text, &count, nullptr), kNWErrBufferEmpty);

  // An iteration belongs to its context and object, and ends with its read.
  ClientContext other;
  int32_t copy = iteration;
  EXPECT_EQ(NWDSRead(other.handle(), object, 1, 0, request, &copy, result), kNWErrInvalidIteration);
  EXPECT_EQ(NWDSRead(ctx(), "CN=someone.O=LOCAL", 1, 0, request, &copy, result),
            kNWErrInvalidIteration);
  while (iteration != -1)
    ASSERT_EQ(NWDSRead(ctx(), object, 1, 0, request, &iteration, result), 0);
  EXPECT_EQ(NWDSRead(ctx(), object, 1, 0, request, &copy, result), kNWErrInvalidIteration);
  for (NWDSBuf* buffer : {modify, request, result})
    NWDSFreeBuf(buffer);
}

// Each row sets a name context and has a name read against it into a 256-byte buffer: the code,
// and the full name where there is one. Nothing is written past the buffer.
TEST_F(HandlesTest, NamesAreReadAgainstTheNameContextWithinTheirBuffer) {
  const std::string n250 = "CN=" + std::string(240, 'n') + ".O=X", n300(300, 'n');
  const struct {
    const char* context;
    std::string name;
    int32_t expected;
    std::string canonical;
  } rows[] = {
      {"[root]", "alice.local", 0, "CN=alice.O=local"},
      {"Sales.Acme", "bob", 0, "CN=bob.OU=Sales.O=Acme"},
      {"OU=Sales.O=Acme", "bob.", 0, "CN=bob.O=Acme"},
      {"OU=Sales.O=Acme", ".CN=carol.O=Other", 0, "CN=carol.O=Other"},
      {"O=LOCAL", "john\\.doe", 0, "CN=john\\.doe.O=LOCAL"},
      {"[Root]", "[ROOT]", 0, "[Root]"},
      {"[Root]", n250, 0, n250},
      {"[Root]", n300, kNWErrNameTooLong, ""},
      {"[Root]", "", kNWErrInvalidObjectName, ""},
      {"[Root]", "a..b", kNWErrInvalidObjectName, ""},
      {"[Root]", "x=y=z", kNWErrInvalidObjectName, ""},
      {"O=LOCAL", "alice..", kNWErrInvalidObjectName, ""},
  };
  char out[256 + 8];
  for (const auto& row : rows) {
    ASSERT_EQ(NWDSSetContext(ctx(), 3, row.context), 0) << row.context;
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(NWDSCanonicalizeName(ctx(), row.name.c_str(), out), row.expected) << row.name;
    if (row.expected == 0) {
      EXPECT_EQ(std::string(out), row.canonical);
    }
    EXPECT_EQ(std::string(out + 256, 8), "########") << row.name;
  }
  EXPECT_EQ(NWDSSetContext(ctx(), 3, ("OU=" + std::string(130, 'c')).c_str()), kNWErrNameTooLong);
  EXPECT_EQ(AddText(ctx(), user, std::string(33, 'a'), "v"), kNWErrAttrNameTooLong);
}

TEST_F(HandlesTest, NothingIsWrittenPastTheCallersBuffers) {
  // Each call gets a buffer filled with '#' and must leave it so from `end` on.
  char out[256 + 8];
  const auto untouched = [&](size_t end) { return std::string(out + end, 8) == "########"; };
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(NWCCGetConnInfo(1, 7, 2, out), kNWErrNameTooLong);
  EXPECT_EQ(NWCCGetConnInfo(1, 5, 2, out), kNWErrBufferFull);
  EXPECT_TRUE(untouched(1));

  // The bindery's full name is the directory's, cut to its 128 bytes.
  ASSERT_EQ(ChangeValues(ctx(), user, "Full Name", {}, kClearAttribute), 0);
  ASSERT_EQ(AddText(ctx(), user, "Full Name", std::string(200, 'E')), 0);
  std::memset(out, '#', sizeof out);
  ASSERT_EQ(NWReadPropertyValue(1, account.c_str(), 256, "IDENTIFICATION", 1,
                                reinterpret_cast<uint8_t*>(out), nullptr, nullptr),
            0);
  EXPECT_EQ(std::string(out), std::string(127, 'E'));
  EXPECT_TRUE(untouched(128));

  ASSERT_EQ(NWLlocaleconv(out), 0);
  int32_t codePage = 0;
  std::memcpy(&codePage, out + 56, 4);
  EXPECT_TRUE(codePage == 65001 || codePage == 1252) << codePage;
  EXPECT_TRUE(untouched(132));
}

}  // namespace
}  // namespace welcomer::testing
