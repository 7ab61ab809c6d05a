// The directory's behaviour through the C interface: values as the program reads, adds and
// removes them. Handles, buffers and names that are not what they should be get an error code,
// never a crash, and the client writes no more into a caller's buffer than its size.

#include <cstring>
#include <functional>
#include <iterator>
#include <optional>

#include "tests/client/ClientFixture.h"

namespace welcomer::testing {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using DirectoryValuesTest = ClientTest;
using HandlesTest = ClientTest;

TEST_F(DirectoryValuesTest, ChangesMatchValuesIgnoringCaseAndKeepTheOrder) {
  // Each row works on an attribute of its own: the values there before, one change, its code,
  // and the values after it, in order. A change that fails on a later value leaves nothing of
  // the values before it done; a value in another attribute is no duplicate.
  const struct {
    std::vector<std::string> before;
    uint32_t change;
    std::vector<std::string> values;
    int32_t expected;
    std::vector<std::string> after;
  } rows[] = {
      {{"B=2", "A=1", "C=3"}, kRemoveValue, {"A=1"}, 0, {"B=2", "C=3"}},
      {{"b", "a"}, kAddValue, {"B=2"}, 0, {"b", "a", "B=2"}},
      {{"W.X=1"}, kAddValue, {"new", "w.X=1"}, kNWErrDuplicateValue, {"W.X=1"}},
      {{"Welcomer.File.X=1"}, kRemoveValue, {"welcomer.file.x=1"}, 0, {}},
      {{"W.A=12", "b"}, kRemoveValue, {"b", "W.A=1"}, kNWErrNoSuchValue, {"W.A=12", "b"}},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const std::string attribute = "Test " + std::to_string(i);
    SCOPED_TRACE(attribute);
    ASSERT_EQ(ChangeValues(ctx(), user, attribute, rows[i].before), 0);
    // Attribute names ignore case too.
    EXPECT_EQ(
        ChangeValues(ctx(), user, "TEST " + std::to_string(i), rows[i].values, rows[i].change),
        rows[i].expected);
    const ReadOutcome read = ReadValues(ctx(), user, attribute);
    EXPECT_EQ(read.result, rows[i].after.empty() ? kNWErrNoSuchAttribute : 0) << "none left";
    EXPECT_THAT(read.values, ElementsAreArray(rows[i].after));
  }
  const std::string stranger = "CN=nobody-here.O=LOCAL";
  EXPECT_EQ(ReadValues(ctx(), stranger, "L").result, kNWErrNoSuchEntry);
  EXPECT_EQ(AddText(ctx(), stranger, "L", "a"), kNWErrNoSuchEntry);
}

TEST_F(DirectoryValuesTest, ManyValuesSpreadOverSeveralResultBuffersInOrder) {
  std::vector<std::string> added;
  for (int i = 0; i < 300; ++i)
    added.push_back("Welcomer.File./HOME/SOMEONE/MOTD/PAGE" + std::to_string(i) +
                    ".TXT=1234 644826048");
  ASSERT_EQ(ChangeValues(ctx(), user, "L", added), 0);
  // A change between two buffers of one read shows only in the next read.
  const ReadOutcome read = ReadValues(
      ctx(), user, "L", 4096, [&] { EXPECT_EQ(RemoveText(ctx(), user, "L", added.back()), 0); });
  EXPECT_EQ(read.result, 0);
  EXPECT_GT(read.buffers, 1);
  EXPECT_THAT(read.values, ElementsAreArray(added));
  added.pop_back();
  EXPECT_THAT(ReadValues(ctx(), user, "L").values, ElementsAreArray(added));
}

// A value written past the size the client reports shows under AddressSanitizer.
TEST_F(DirectoryValuesTest, ValuesArriveWholeWithinTheReportedSize) {
  const std::string longest(2047, 'x');
  ASSERT_EQ(AddText(ctx(), user, "L", longest), 0);
  EXPECT_EQ(AddText(ctx(), user, "L", longest + "y"), kNWErrSyntaxViolation);
  EXPECT_THAT(ReadValues(ctx(), user, "L").values, ElementsAre(longest));
  // A buffer that cannot hold one value says so instead of handing out nothing for ever.
  EXPECT_EQ(ReadValues(ctx(), user, "L", 2048).result, kNWErrInsufficientBuffer);

  const uint32_t answer = 42;
  const std::string word(reinterpret_cast<const char*>(&answer), 4);
  ASSERT_EQ(ChangeValues(ctx(), user, "Login Grace Limit", {word}, kAddValue, kInteger), 0);
  EXPECT_EQ(AddText(ctx(), user, "Login Grace Limit", "43"), kNWErrSyntaxViolation);
  EXPECT_EQ(ChangeValues(ctx(), user, "L", {"octets"}, kAddValue, 9), kNWErrInvalidAttrSyntax);
  // A stored word longer than a word, as a damaged store may hold it, still comes out as one.
  Sh("sqlite3 $f \"UPDATE attribute_values SET value = x'2a000000ffffffffffff' WHERE attribute "
     "= 'Login Grace Limit'\"");
  EXPECT_THAT(ReadValues(ctx(), user, "Login Grace Limit").values, ElementsAre(word));
}

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
  NWDSBuf *live = nullptr, *freed = nullptr;
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
  NWDSBuf *modify = nullptr, *request = nullptr, *result = nullptr;
  ASSERT_EQ(NWDSAllocBuf(64, &modify) | NWDSAllocBuf(4096, &request) | NWDSAllocBuf(256, &result) |
                NWDSInitBuf(ctx(), 9, modify) | NWDSInitBuf(ctx(), 3, request) |
                NWDSPutAttrName(ctx(), request, "L"),
            0);
  const char* const object = user.c_str();
  uint32_t count = 0;
  char text[256];
  int32_t iteration = -1, copy = -1;
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
  ASSERT_NE(copy = iteration, -1);
  // A result buffer hands out no value before its attribute, nor past its last value.
  EXPECT_EQ(NWDSGetAttrVal(ctx(), result, kCiString, text), kNWErrBufferEmpty);
  ASSERT_EQ(NWDSGetAttrName(ctx(), result, text, &count, nullptr), 0);
  for (uint32_t v = 0; v < count; ++v)
    ASSERT_EQ(NWDSGetAttrVal(ctx(), result, kCiString, text), 0);
  EXPECT_EQ(NWDSGetAttrVal(ctx(), result, kCiString, text), kNWErrBufferEmpty);
  EXPECT_EQ(NWDSGetAttrName(ctx(), result, text, &count, nullptr), kNWErrBufferEmpty);

  // An iteration belongs to its context and object, and ends with its read.
  ClientContext other;
  EXPECT_EQ(NWDSRead(other.handle(), object, 1, 0, request, &copy, result), kNWErrInvalidIteration);
  EXPECT_EQ(NWDSRead(ctx(), "CN=someone.O=LOCAL", 1, 0, request, &copy, result),
            kNWErrInvalidIteration);
  while (iteration != -1)
    ASSERT_EQ(NWDSRead(ctx(), object, 1, 0, request, &iteration, result), 0);
  EXPECT_EQ(NWDSRead(ctx(), object, 1, 0, request, &copy, result), kNWErrInvalidIteration);
  for (NWDSBuf* buffer : {modify, request, result})
    NWDSFreeBuf(buffer);
}

// Each row has the client write into a buffer of '#': the code, the text where there is one,
// and nothing from `end` on, the size its declaration gives. Names are read against a name
// context; the bindery's full name is the directory's, cut to its 128 bytes.
TEST_F(HandlesTest, NothingIsWrittenPastTheCallersBuffers) {
  ASSERT_EQ(ChangeValues(ctx(), user, "Full Name", {}, kClearAttribute), 0);
  ASSERT_EQ(AddText(ctx(), user, "Full Name", std::string(200, 'E')), 0);
  char out[256 + 8];
  const auto name = [&](const char* context, std::string name) {
    return std::function<int32_t()>([=, this, &out] {
      return NWDSSetContext(ctx(), 3, context) | NWDSCanonicalizeName(ctx(), name.c_str(), out);
    });
  };
  const std::string n250 = "CN=" + std::string(240, 'n') + ".O=X", n300(300, 'n');
  const struct {
    std::function<int32_t()> call;
    int32_t expected;
    std::optional<std::string> text = std::nullopt;
    size_t end = 256;
  } rows[] = {
      {name("[root]", "alice.local"), 0, "CN=alice.O=local"},
      {name("Sales.Acme", "bob"), 0, "CN=bob.OU=Sales.O=Acme"},
      {name("OU=Sales.O=Acme", "bob."), 0, "CN=bob.O=Acme"},
      {name("OU=Sales.O=Acme", ".CN=carol.O=Other"), 0, "CN=carol.O=Other"},
      {name("O=LOCAL", "john\\.doe"), 0, "CN=john\\.doe.O=LOCAL"},
      {name("[Root]", "[ROOT]"), 0, "[Root]"},
      {name("[Root]", n250), 0, n250},
      {name("[Root]", n300), kNWErrNameTooLong},
      {name("[Root]", ""), kNWErrInvalidObjectName},
      {name("[Root]", "a..b"), kNWErrInvalidObjectName},
      {name("[Root]", "x=y=z"), kNWErrInvalidObjectName},
      {name("O=LOCAL", "alice.."), kNWErrInvalidObjectName},
      {[&] { return NWCCGetConnInfo(1, 7, 2, out); }, kNWErrNameTooLong, "", 1},
      {[&] { return NWCCGetConnInfo(1, 5, 2, out); }, kNWErrBufferFull, "#", 1},
      {[&] {
         return NWReadPropertyValue(1, account.c_str(), 256, "IDENTIFICATION", 1,
                                    reinterpret_cast<uint8_t*>(out), nullptr, nullptr);
       },
       0, std::string(127, 'E'), 128},
      {[&] { return NWLlocaleconv(out); }, 0, "", 132},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(rows[i].call(), rows[i].expected) << "row " << i;
    if (rows[i].text) {
      EXPECT_EQ(std::string(out, ::strnlen(out, rows[i].end)), *rows[i].text) << "row " << i;
    }
    EXPECT_EQ(std::string(out + rows[i].end, 8), "########") << "row " << i;
  }
  EXPECT_EQ(NWDSSetContext(ctx(), 3, ("OU=" + std::string(130, 'c')).c_str()), kNWErrNameTooLong);
  EXPECT_EQ(AddText(ctx(), user, std::string(33, 'a'), "v"), kNWErrAttrNameTooLong);
}

}  // namespace
}  // namespace welcomer::testing
