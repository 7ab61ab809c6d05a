// Handles and buffers that are not what they should be get an error code, never a crash, and
// the client writes no more into a caller's buffer than its size.

#include <cstring>

#include "tests/client/ClientFixture.h"

namespace welcomer::testing {
namespace {

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

TEST_F(HandlesTest, ContextsThatAreNotLiveAreRefused) {
  NWDSBuf* buffer = nullptr;
  ASSERT_EQ(NWDSAllocBuf(4096, &buffer), 0);
  const int32_t freed = NWDSDuplicateContext(ctx());
  ASSERT_GT(freed, 0);
  ASSERT_EQ(NWDSFreeContext(freed), 0);
  for (int32_t context : {0, -1, freed, 0x7FFFFFFF}) {
    char text[256] = {};
    uint32_t word = 0;
    int32_t handle = 0;
    std::vector<int32_t> answers = EveryBufferCall(context, buffer, user);
    answers.insert(answers.end(),
                   {NWDSDuplicateContext(context), NWDSDuplicateContextHandle(context, &handle),
                    NWDSFreeContext(context), NWDSSetContext(context, 1, &word),
                    NWDSGetContext(context, 3, text), NWDSCanonicalizeName(context, "x", text),
                    NWDSWhoAmI(context, text), NWDSMapNameToID(context, 1, user.c_str(), &word),
                    NWDSAuditGetObjectID(context, user.c_str(), &word, &word)});
    EXPECT_THAT(answers, ::testing::Each(kNWErrBadContext)) << "context " << context;
    EXPECT_EQ(handle, 0);
  }
  NWDSFreeBuf(buffer);
}

TEST_F(HandlesTest, BuffersThatAreNotLiveAreRefused) {
  NWDSBuf* freed = nullptr;
  ASSERT_EQ(NWDSAllocBuf(4096, &freed), 0);
  ASSERT_EQ(NWDSFreeBuf(freed), 0);
  // Never dereferenced: the client only compares it with the buffers it handed out.
  NWDSBuf* garbage = reinterpret_cast<NWDSBuf*>(static_cast<uintptr_t>(0x1000));
  for (NWDSBuf* buffer : {static_cast<NWDSBuf*>(nullptr), freed, garbage}) {
    EXPECT_THAT(EveryBufferCall(ctx(), buffer, user), ::testing::Each(kNWErrInvalidHandle))
        << buffer;
    EXPECT_EQ(NWDSFreeBuf(buffer), kNWErrInvalidHandle) << "no double free";
  }
}

TEST_F(HandlesTest, BuffersAndIterationsServeOnlyWhatTheyWereMadeFor) {
  // Each value fills a result buffer of its own.
  ASSERT_EQ(AddTexts(ctx(), user, "L", {std::string(150, 'a'), std::string(150, 'b'), "c"}), 0);
  NWDSBuf* modify = nullptr;
  NWDSBuf* request = nullptr;
  NWDSBuf* result = nullptr;
  ASSERT_EQ(NWDSAllocBuf(64, &modify), 0);
  ASSERT_EQ(NWDSAllocBuf(4096, &request), 0);
  ASSERT_EQ(NWDSAllocBuf(256, &result), 0);
  ASSERT_EQ(NWDSInitBuf(ctx(), 9, modify), 0);
  ASSERT_EQ(NWDSInitBuf(ctx(), 3, request), 0);
  ASSERT_EQ(NWDSPutAttrName(ctx(), request, "L"), 0);
  uint32_t count = 0;
  char text[256];
  int32_t iteration = -1;
  EXPECT_EQ(NWDSPutChange(ctx(), request, kAddValue, "L"), kNWErrBadVerb);
  EXPECT_EQ(NWDSPutAttrVal(ctx(), modify, kCiString, "no change yet"), kNWErrBadVerb);
  EXPECT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, modify, &iteration, result), kNWErrBadVerb);
  EXPECT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, &iteration, request),
            kNWErrInvalidRequest);
  EXPECT_EQ(NWDSGetAttrCount(ctx(), result, &count), kNWErrBadVerb);
  ASSERT_EQ(NWDSPutChange(ctx(), modify, kAddValue, "L"), 0);
  EXPECT_EQ(NWDSModifyObject(ctx(), user.c_str(), nullptr, 0, modify), kNWErrInvalidRequest)
      << "an added value without a value";
  EXPECT_EQ(NWDSPutAttrVal(ctx(), modify, kCiString, std::string(100, 'v').c_str()),
            kNWErrBufferFull);

  EXPECT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, nullptr, result), kNWErrNullPointer);
  ASSERT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, &iteration, result), 0);
  ASSERT_NE(iteration, -1);
  // A result buffer hands out no value before its attribute, nor past its last value.
  EXPECT_EQ(NWDSGetAttrVal(ctx(), result, kCiString, text), kNWErrBufferEmpty);
  ASSERT_EQ(NWDSGetAttrName(ctx(), result, text, &count, nullptr), 0);
  for (uint32_t v = 0; v < count; ++v)
    ASSERT_EQ(NWDSGetAttrVal(ctx(), result, kCiString, text), 0);
  EXPECT_EQ(NWDSGetAttrVal(ctx(), result, kCiString, text), kNWErrBufferEmpty);
  EXPECT_EQ(NWDSGetAttrName(ctx(), result, text, &count, nullptr), kNWErrBufferEmpty);

  ClientContext other;
  int32_t copy = iteration;
  EXPECT_EQ(NWDSRead(other.handle(), user.c_str(), 1, 0, request, &copy, result),
            kNWErrInvalidIteration);
  EXPECT_EQ(NWDSRead(ctx(), "CN=someone.O=LOCAL", 1, 0, request, &copy, result),
            kNWErrInvalidIteration);
  // The read goes on where it stopped, to its end, after all that.
  while (iteration != -1)
    ASSERT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, &iteration, result), 0);
  EXPECT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, &copy, result), kNWErrInvalidIteration)
      << "a finished read cannot go on";
  for (NWDSBuf* buffer : {modify, request, result})
    NWDSFreeBuf(buffer);
}

TEST_F(HandlesTest, NothingIsWrittenPastTheCallersBuffers) {
  EXPECT_EQ(AddText(ctx(), user, std::string(33, 'a'), "v"), kNWErrAttrNameTooLong);
  EXPECT_EQ(NWDSSetContext(ctx(), 3, ("OU=" + std::string(130, 'c')).c_str()), kNWErrNameTooLong);

  // Each text is checked against the buffer its call is given: 250 characters fit 256 bytes.
  const std::string name250 = "CN=" + std::string(240, 'n') + ".O=X";
  char guarded[256 + 8];
  EXPECT_EQ(NWDSCanonicalizeName(ctx(), std::string(300, 'n').c_str(), guarded), kNWErrNameTooLong);
  std::memset(guarded, '#', sizeof guarded);
  EXPECT_EQ(NWDSCanonicalizeName(ctx(), name250.c_str(), guarded), 0);
  EXPECT_EQ(std::string(guarded), name250);
  EXPECT_EQ(std::string(guarded + 256, 8), std::string(8, '#'));

  std::memset(guarded, '#', sizeof guarded);
  EXPECT_EQ(NWCCGetConnInfo(1, 7, 2, guarded), kNWErrNameTooLong);
  EXPECT_EQ(std::string(guarded + 1, 7), std::string(7, '#'));
  EXPECT_EQ(NWCCGetConnInfo(1, 5, 2, guarded), kNWErrBufferFull);
  EXPECT_EQ(std::string(guarded + 1, 7), std::string(7, '#'));

  ASSERT_EQ(NWLlocaleconv(guarded), 0);
  int32_t codePage = 0;
  std::memcpy(&codePage, guarded + 56, 4);
  EXPECT_TRUE(codePage == 65001 || codePage == 1252) << codePage;
  EXPECT_EQ(std::string(guarded + 132, 8), std::string(8, '#'));
}

}  // namespace
}  // namespace welcomer::testing
