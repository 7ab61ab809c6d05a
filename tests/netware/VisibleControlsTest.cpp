#include "netware/VisibleControls.h"

#include <gtest/gtest.h>

#include "netware/MessageBox.h"

namespace welcomer {
namespace {

TEST(ShowControlCharactersTest, NothingThatDrivesATerminalGetsThrough) {
  struct Row {
    const char* name;
    std::string input;
    std::string expected;
  };
  const Row rows[] = {
      {"text, tab and line feed stay", "a\tb\nc d", "a\tb\nc d"},
      {"title change and clipboard write", "\x1b]0;x\x07\x1b]52;c;aGk=\x1b\\",
       "^[]0;x^G^[]52;c;aGk=^[\\"},
      {"colour and cursor move", "\x1b[31mred\x1b[2;5H", "^[[31mred^[[2;5H"},
      {"NUL, backspace, delete", std::string("\0\b\x7f", 3), "^@^H^?"},
      {"carriage returns break lines once", "a\r\nb\rc\n\rd", "a\nb\nc\n\nd"},
      {"UTF-8 encoded 8-bit control",
       "x\xc2\x9b"
       "31m",
       "xM-^[31m"},
      {"stray 8-bit control bytes",
       "\x9b"
       "2J\x85",
       "M-^[2JM-^E"},
      {"a broken sequence hides no control",
       "\xe2\x9b"
       "A",
       "\xe2M-^[A"},
      {"printable UTF-8 and Latin-1 stay",
       "Gr\xc3\xbc\xc3\x9f"
       "e \xe6\x97\xa5 \xe9\xa0",
       "Gr\xc3\xbc\xc3\x9f"
       "e \xe6\x97\xa5 \xe9\xa0"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(ShowControlCharacters(row.input), row.expected) << row.name;
}

TEST(ShowControlCharactersTest, BoxesOnStandardErrorCarryPlaceholders) {
  StderrMessageBoxPresenter presenter(nullptr);
  ::testing::internal::CaptureStderr();
  presenter.Show(BoxKind::kInformation, "Files to track:\r\n/m/\x1b]0;x\x07.txt");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "welcomer: Information: Files to track:\n/m/^[]0;x^G.txt\n");
}

}  // namespace
}  // namespace welcomer
