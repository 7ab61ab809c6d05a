// Handles and buffers that are not what they should be get an error code, never a crash, and
// the client writes no more into a caller's buffer than its size.

#include <cstring>

#include "tests/client/ClientFixture.h"

namespace welcomer::testing {
namespace {

using HandlesTest = ClientTest;

// Calls each context-taking entry point with `context`; returns what each answered.
std::vector<int32_t> EveryContextCall(int32_t context, NWDSBuf* buffer, const std::string& user) {
  char text[256] = {};
  uint32_t word = 0;
  int32_t handle = 0;
  int32_t iteration = -1;
  return {
      NWDSDuplicateContext(context),
      NWDSDuplicateContextHandle(context, &handle),
      NWDSFreeContext(context),
      NWDSSetContext(context, 1, &word),
      NWDSGetContext(context, 3, text),
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
      NWDSCanonicalizeName(context, "x", text),
      NWDSWhoAmI(context, text),
      NWDSMapNameToID(context, 1, user.c_str(), &word),
      NWDSAuditGetObjectID(context, user.c_str(), &word, &word),
  };
}

TEST_F(HandlesTest, ContextsThatAreNotLiveAreRefused) {
  NWDSBuf* buffer = nullptr;
  ASSERT_EQ(NWDSAllocBuf(4096, &buffer), 0);
  const int32_t freed = NWDSDuplicateContext(ctx());
  ASSERT_GT(freed, 0);
  ASSERT_EQ(NWDSFreeContext(freed), 0);
  for (int32_t context : {0, -1, freed, 0x7FFFFFFF}) {
    for (int32_t result : EveryContextCall(context, buffer, user))
      EXPECT_EQ(result, kNWErrBadContext) << "context " << context;
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
    uint32_t word = 0;
    char text[34];
    int32_t iteration = -1;
    EXPECT_EQ(NWDSInitBuf(ctx(), 3, buffer), kNWErrInvalidHandle);
    EXPECT_EQ(NWDSPutAttrName(ctx(), buffer, "L"), kNWErrInvalidHandle);
    EXPECT_EQ(NWDSPutChange(ctx(), buffer, kAddValue, "L"), kNWErrInvalidHandle);
    EXPECT_EQ(NWDSPutAttrVal(ctx(), buffer, kCiString, "v"), kNWErrInvalidHandle);
    EXPECT_EQ(NWDSModifyObject(ctx(), user.c_str(), nullptr, 0, buffer), kNWErrInvalidHandle);
    EXPECT_EQ(NWDSRead(ctx(), user.c_str(), 1, 1, nullptr, &iteration, buffer),
              kNWErrInvalidHandle);
    EXPECT_EQ(NWDSGetAttrCount(ctx(), buffer, &word), kNWErrInvalidHandle);
    EXPECT_EQ(NWDSGetAttrName(ctx(), buffer, text, &word, &word), kNWErrInvalidHandle);
    EXPECT_EQ(NWDSComputeAttrValSize(ctx(), buffer, kCiString, &word), kNWErrInvalidHandle);
    EXPECT_EQ(NWDSGetAttrVal(ctx(), buffer, kCiString, text), kNWErrInvalidHandle);
    EXPECT_EQ(NWDSFreeBuf(buffer), kNWErrInvalidHandle) << "no double free";
  }
}

TEST_F(HandlesTest, BuffersServeOnlyWhatTheyWereMadeFor) {
  NWDSBuf* modify = nullptr;
  NWDSBuf* read = nullptr;
  NWDSBuf* fresh = nullptr;
  ASSERT_EQ(NWDSAllocBuf(4096, &modify), 0);
  ASSERT_EQ(NWDSAllocBuf(4096, &read), 0);
  ASSERT_EQ(NWDSAllocBuf(4096, &fresh), 0);
  ASSERT_EQ(NWDSInitBuf(ctx(), 9, modify), 0);
  ASSERT_EQ(NWDSInitBuf(ctx(), 3, read), 0);
  uint32_t word = 0;
  int32_t iteration = -1;
  EXPECT_EQ(NWDSInitBuf(ctx(), 4, fresh), kNWErrBadVerb);
  EXPECT_EQ(NWDSPutAttrName(ctx(), modify, "L"), kNWErrBadVerb);
  EXPECT_EQ(NWDSPutChange(ctx(), read, kAddValue, "L"), kNWErrBadVerb);
  EXPECT_EQ(NWDSPutAttrVal(ctx(), modify, kCiString, "no change yet"), kNWErrBadVerb);
  EXPECT_EQ(NWDSModifyObject(ctx(), user.c_str(), nullptr, 0, read), kNWErrBadVerb);
  EXPECT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, modify, &iteration, fresh), kNWErrBadVerb);
  EXPECT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, read, &iteration, read), kNWErrInvalidRequest);
  EXPECT_EQ(NWDSGetAttrCount(ctx(), read, &word), kNWErrBadVerb);
  EXPECT_EQ(NWDSGetAttrCount(ctx(), fresh, &word), kNWErrBadVerb);
  EXPECT_EQ(NWDSPutChange(ctx(), modify, 8, "L"), kNWErrInvalidRequest);
  ASSERT_EQ(NWDSPutChange(ctx(), modify, kAddValue, "L"), 0);
  EXPECT_EQ(NWDSModifyObject(ctx(), user.c_str(), nullptr, 0, modify), kNWErrInvalidRequest)
      << "an added value without a value";
  EXPECT_EQ(NWDSModifyObject(ctx(), user.c_str(), nullptr, 1, modify), kNWErrInvalidRequest);
  for (NWDSBuf* buffer : {modify, read, fresh})
    NWDSFreeBuf(buffer);
}

TEST_F(HandlesTest, BufferSizesAreChecked) {
  NWDSBuf* buffer = reinterpret_cast<NWDSBuf*>(static_cast<uintptr_t>(0x1000));
  EXPECT_EQ(NWDSAllocBuf(0, &buffer), kNWErrBufferZeroLength);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(NWDSAllocBuf(1u << 20, &buffer), kNWErrBufferZeroLength);
  EXPECT_EQ(NWDSAllocBuf(4096, nullptr), kNWErrNullPointer);

  ASSERT_EQ(NWDSAllocBuf(64, &buffer), 0);
  ASSERT_EQ(NWDSInitBuf(ctx(), 9, buffer), 0);
  ASSERT_EQ(NWDSPutChange(ctx(), buffer, kAddValue, "L"), 0);
  EXPECT_EQ(NWDSPutAttrVal(ctx(), buffer, kCiString, std::string(100, 'v').c_str()),
            kNWErrBufferFull);
  NWDSFreeBuf(buffer);
}

TEST_F(HandlesTest, IterationHandlesMustBeLiveAndBelongToTheRead) {
  std::vector<std::string> values;
  for (int i = 0; i < 100; ++i)
    values.push_back("value-" + std::to_string(i));
  ASSERT_EQ(AddTexts(ctx(), user, "L", values), 0);
  NWDSBuf* request = nullptr;
  NWDSBuf* result = nullptr;
  ASSERT_EQ(NWDSAllocBuf(4096, &request), 0);
  ASSERT_EQ(NWDSAllocBuf(256, &result), 0);
  ASSERT_EQ(NWDSInitBuf(ctx(), 3, request), 0);
  ASSERT_EQ(NWDSPutAttrName(ctx(), request, "L"), 0);

  int32_t bogus = 12345;
  EXPECT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, &bogus, result), kNWErrInvalidIteration);
  EXPECT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, nullptr, result), kNWErrNullPointer);

  int32_t iteration = -1;
  ASSERT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, &iteration, result), 0);
  ASSERT_NE(iteration, -1);
  ClientContext other;
  int32_t copy = iteration;
  EXPECT_EQ(NWDSRead(other.handle(), user.c_str(), 1, 0, request, &copy, result),
            kNWErrInvalidIteration);
  EXPECT_EQ(NWDSRead(ctx(), "CN=someone.O=LOCAL", 1, 0, request, &copy, result),
            kNWErrInvalidIteration);
  NWDSBuf* modify = nullptr;
  ASSERT_EQ(NWDSAllocBuf(4096, &modify), 0);
  ASSERT_EQ(NWDSInitBuf(ctx(), 9, modify), 0);
  ASSERT_EQ(NWDSPutChange(ctx(), modify, kAddValue, "L"), 0);
  ASSERT_EQ(NWDSPutAttrVal(ctx(), modify, kCiString, "more"), 0);
  int32_t modifyIteration = copy;
  EXPECT_EQ(NWDSModifyObject(ctx(), user.c_str(), &modifyIteration, 0, modify),
            kNWErrInvalidIteration);
  modifyIteration = -1;
  EXPECT_EQ(NWDSModifyObject(ctx(), user.c_str(), &modifyIteration, 0, modify), 0);
  EXPECT_EQ(modifyIteration, -1);
  NWDSFreeBuf(modify);

  // The read goes on where it stopped, to its end, after all that.
  int buffers = 1;
  while (iteration != -1) {
    ASSERT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, &iteration, result), 0);
    ++buffers;
  }
  EXPECT_GT(buffers, 5);
  EXPECT_EQ(NWDSRead(ctx(), user.c_str(), 1, 0, request, &copy, result), kNWErrInvalidIteration)
      << "a finished read cannot go on";
  NWDSFreeBuf(result);
  NWDSFreeBuf(request);
}

TEST_F(HandlesTest, TextsLongerThanTheirBuffersAreRefused) {
  const std::string name300(300, 'n');
  char out[256];
  EXPECT_EQ(NWDSCanonicalizeName(ctx(), name300.c_str(), out), kNWErrNameTooLong);
  EXPECT_EQ(AddText(ctx(), name300, "L", "v"), kNWErrNameTooLong);
  EXPECT_EQ(AddText(ctx(), user, std::string(33, 'a'), "v"), kNWErrAttrNameTooLong);
  EXPECT_EQ(AddText(ctx(), user, "", "v"), kNWErrNoSuchAttribute);
  EXPECT_EQ(NWDSSetContext(ctx(), 3, ("OU=" + std::string(130, 'c')).c_str()), kNWErrNameTooLong);

  // A 250-character canonical name fits 256 bytes but not WhoAmI's 128: checked against the
  // buffer that each call is given.
  const std::string name250 = "CN=" + std::string(240, 'n') + ".O=X";
  char guarded[256 + 8];
  std::memset(guarded, '#', sizeof guarded);
  EXPECT_EQ(NWDSCanonicalizeName(ctx(), name250.c_str(), guarded), 0);
  EXPECT_EQ(std::string(guarded), name250);
  EXPECT_EQ(std::string(guarded + 256, 8), std::string(8, '#'));
}

TEST_F(HandlesTest, ConnectionInformationStaysWithinTheGivenLength) {
  char small[8];
  std::memset(small, '#', sizeof small);
  EXPECT_EQ(NWCCGetConnInfo(1, 7, 2, small), kNWErrNameTooLong);
  EXPECT_EQ(std::string(small + 1, 7), std::string(7, '#'));
  uint32_t number = 0;
  EXPECT_EQ(NWCCGetConnInfo(1, 5, 2, &number), kNWErrBufferFull);
  EXPECT_EQ(NWCCGetConnInfo(1, 99, 4, &number), kNWErrInvalidRequest);
  EXPECT_EQ(NWCCGetConnInfo(2, 5, 4, &number), kNWErrNoConnection);
}

}  // namespace
}  // namespace welcomer::testing
