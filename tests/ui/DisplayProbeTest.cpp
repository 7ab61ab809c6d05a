#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "ui/DisplayProbe.h"

namespace welcomer {
namespace {

// Sets an environment variable for the life of the object (null unsets it), then puts the old
// value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name))
      old_ = old;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

struct ProbeRow {
  const char* name;
  const char* platform;
  const char* display;
  const char* wayland;
  bool answers;
};

class DisplayProbeTest : public ::testing::TestWithParam<ProbeRow> {};

TEST_P(DisplayProbeTest, AnswersOnlyWhereQtCouldStart) {
  const ProbeRow& row = GetParam();
  ScopedEnv platform("QT_QPA_PLATFORM", row.platform);
  ScopedEnv display("DISPLAY", row.display);
  ScopedEnv wayland("WAYLAND_DISPLAY", row.wayland);
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
