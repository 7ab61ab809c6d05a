#include "platform/LocaleFormat.h"

#include <gtest/gtest.h>

namespace welcomer {
namespace {

TEST(SeparatorOfTest, TakesTheTextBetweenTheFirstTwoFields) {
  const std::pair<std::string, std::string> rows[] = {
      {"%m/%d/%y", "/"}, {"%d.%m.%Y", "."},    {"%Y-%m-%d", "-"},
      {"%H:%M:%S", ":"}, {"%-d. %B %Y", ". "}, {"%Ey", "?"},
      {"", "?"},         {"%d", "?"},          {"%H%M", "?"},
  };
  for (const auto& [format, separator] : rows)
    EXPECT_EQ(SeparatorOf(format, "?"), separator) << format;
}

}  // namespace
}  // namespace welcomer
