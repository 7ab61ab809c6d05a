#include <cstdlib>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "ui/DisplayProbe.h"

namespace welcomer {
namespace {

struct ProbeRow {
  const char* name;
  const char* platform;
  const char* display;
  const char* wayland;
  bool answers;
};
// Test listings name a row instead of dumping its bytes.
void PrintTo(const ProbeRow& row, std::ostream* os) {
  *os << row.name;
}

class DisplayProbeTest : public ::testing::TestWithParam<ProbeRow> {
 protected:
  // The variables are put back as they were, for the tests that follow.
  void SetUp() override {
    for (const char* name : kNames) {
      if (const char* value = std::getenv(name))
        saved_[name] = value;
    }
  }
  void TearDown() override {
    for (const char* name : kNames)
      Set(name, saved_.count(name) ? saved_[name].c_str() : nullptr);
  }
  static void Set(const char* name, const char* value) {
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  static constexpr const char* kNames[] = {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};
  std::map<std::string, std::string> saved_;
};

TEST_P(DisplayProbeTest, AnswersOnlyWhereQtCouldStart) {
  const ProbeRow& row = GetParam();
  Set("QT_QPA_PLATFORM", row.platform);
  Set("DISPLAY", row.display);
  Set("WAYLAND_DISPLAY", row.wayland);
  EXPECT_EQ(DisplayAnswers(), row.answers);
}

// ":65000" names an X display nobody runs.
INSTANTIATE_TEST_SUITE_P(
    Rows, DisplayProbeTest,
    ::testing::Values(
        ProbeRow{"Offscreen", "offscreen", nullptr, nullptr, true},
        ProbeRow{"OffscreenWithOptions", "offscreen:fontengine=freetype", nullptr, nullptr, true},
        ProbeRow{"DefaultWithoutDisplay", nullptr, nullptr, nullptr, false},
        ProbeRow{"DefaultWithDeadDisplay", nullptr, ":65000", nullptr, false},
        ProbeRow{"EmptyPlatformIsDefault", "", ":65000", nullptr, false},
        ProbeRow{"XcbWithDeadDisplay", "xcb", ":65000", nullptr, false},
        ProbeRow{"FallbackAfterDeadDisplay", "xcb;offscreen", ":65000", nullptr, true},
        ProbeRow{"WaylandWithoutSocketName", "wayland", nullptr, nullptr, false},
        ProbeRow{"WaylandNamed", "wayland", nullptr, "wayland-0", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace welcomer
