#include <gtest/gtest.h>

#include "tests/ui/UiFakes.h"
#include "ui/IconHide.h"

namespace welcomer {
namespace {

using testing::RecordingWindowCalls;

class IconHideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.style = 0x100;
    TIconHide::StartUnit(&calls);
  }
  void TearDown() override { TIconHide::StopUnit(); }

  RecordingWindowCalls calls;
  QObject owner;
};

using Calls = std::vector<std::string>;

TEST_F(IconHideTest, UnitStartReadsTheStyleOnceAndMakesNoOtherCall) {
  EXPECT_EQ(calls.calls, Calls{"read"});
}

TEST_F(IconHideTest, NewInstanceHidesAtOnceWithToolWindowAndTopmostBits) {
  TIconHide first(&owner);
  EXPECT_TRUE(first.Hidden());
  EXPECT_EQ(calls.calls,
            (Calls{"read", "hide", "set:" + std::to_string(0x100 | 0x80 | 0x08), "show"}));
}

TEST_F(IconHideTest, SecondInstanceAndSameValueMakeNoCalls) {
  TIconHide first(&owner);
  const size_t before = calls.calls.size();
  TIconHide second(&owner);
  first.SetHidden(true);
  EXPECT_TRUE(second.Hidden());
  EXPECT_EQ(calls.calls.size(), before);
}

TEST_F(IconHideTest, FalseRestoresTheStyleSavedAtStartAndStateIsShared) {
  TIconHide first(&owner);
  TIconHide second(&owner);
  // Whatever the window's style became in between, false goes back to the saved one.
  calls.style = 0xFFFF;
  calls.calls.clear();
  second.SetHidden(false);
  EXPECT_FALSE(first.Hidden());
  EXPECT_EQ(calls.calls, (Calls{"hide", "set:256", "show"}));
  calls.calls.clear();
  first.SetHidden(false);
  EXPECT_TRUE(calls.calls.empty());
}

TEST(IconHideWithoutWindow, KeepsTheStateWithoutCalls) {
  TIconHide::StartUnit(nullptr);
  QObject owner;
  TIconHide hide(&owner);
  EXPECT_TRUE(hide.Hidden());
  hide.SetHidden(false);
  EXPECT_FALSE(hide.Hidden());
}

}  // namespace
}  // namespace welcomer
