#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "ui/DisplayProbe.h"

namespace welcomer {
namespace {

void Set(const char* name, const char* value) {
  if (value)
    ::setenv(name, value, 1);
  else
    ::unsetenv(name);
}

TEST(DisplayProbe, AnswersOnlyWhereQtCouldStart) {
  const char* names[] = {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};
  std::optional<std::string> saved[3];
  for (int i = 0; i < 3; ++i) {
    if (const char* value = std::getenv(names[i]))
      saved[i] = value;
  }
  // ":65000" names an X display nobody runs.
  const struct {
    const char* values[3];
    bool answers;
  } rows[] = {
      {{"offscreen:fontengine=freetype", nullptr, nullptr}, true},
      {{nullptr, nullptr, nullptr}, false},
      {{"", ":65000", nullptr}, false},
      {{"xcb;offscreen", ":65000", nullptr}, true},
      {{"wayland", nullptr, nullptr}, false},
      {{"wayland", nullptr, "wayland-0"}, true},
  };
  for (const auto& row : rows) {
    for (int i = 0; i < 3; ++i)
      Set(names[i], row.values[i]);
    EXPECT_EQ(DisplayAnswers(), row.answers) << "row " << &row - rows;
  }
  // The tests that follow see the variables as they were.
  for (int i = 0; i < 3; ++i)
    Set(names[i], saved[i] ? saved[i]->c_str() : nullptr);
}

}  // namespace
}  // namespace welcomer
