#include <gtest/gtest.h>

#include "ui/IconHide.h"

namespace welcomer {
namespace {

// Application-window calls that log themselves and keep a style.
struct LoggingWindowCalls : ApplicationWindowCalls {
  uint32_t ReadExtendedStyle() override {
    log += "read ";
    return style;
  }
  void SetExtendedStyle(uint32_t value) override {
    log += "set:" + std::to_string(value) + " ";
    style = value;
  }
  void HideWindow() override { log += "hide "; }
  void ShowWindow() override { log += "show "; }
  uint32_t style = 0x100;
  std::string log;
};

class IconHideTest : public ::testing::Test {
 protected:
  void SetUp() override { TIconHide::StartUnit(&calls); }
  void TearDown() override { TIconHide::StopUnit(); }

  LoggingWindowCalls calls;
  QObject owner;
};

// The unit reads the style once at start and makes no other call until an instance hides.
TEST_F(IconHideTest, NewInstanceHidesAtOnceWithToolWindowAndTopmostBits) {
  TIconHide first(&owner);
  EXPECT_TRUE(first.Hidden());
  EXPECT_EQ(calls.log, "read hide set:" + std::to_string(0x100 | 0x80 | 0x08) + " show ");
}

TEST_F(IconHideTest, StateIsSharedAndOnlyChangesMakeCalls) {
  TIconHide first(&owner);
  calls.log.clear();
  TIconHide second(&owner);
  first.SetHidden(true);
  EXPECT_TRUE(second.Hidden());
  EXPECT_EQ(calls.log, "");
  // Whatever the window's style became in between, false goes back to the saved one.
  calls.style = 0xFFFF;
  second.SetHidden(false);
  EXPECT_FALSE(first.Hidden());
  EXPECT_EQ(calls.log, "hide set:256 show ");
  calls.log.clear();
  first.SetHidden(false);
  EXPECT_EQ(calls.log, "");
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
