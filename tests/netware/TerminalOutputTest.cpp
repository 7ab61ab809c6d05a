#include <gtest/gtest.h>

#include "netware/MessageBox.h"
#include "netware/VisibleControls.h"
#include "tests/support/FakeTerminal.h"

namespace welcomer {
namespace {

using testing::FakeTerminal;

TEST(ShowControlCharactersTest, NothingThatDrivesATerminalGetsThrough) {
  struct Row {
    const char* name;
    std::string input;
    std::string expected;
  };
  const Row rows[] = {
      {"text, tab and line feed stay", "a\tb\nc d", "a\tb\nc d"},
      {"title change", "\x1b]0;owned\x07", "^[]0;owned^G"},
      {"colour and cursor move", "\x1b[31mred\x1b[2;5H", "^[[31mred^[[2;5H"},
      {"clipboard write", "\x1b]52;c;aGk=\x1b\\", "^[]52;c;aGk=^[\\"},
      {"NUL, backspace, delete", std::string("\0\b\x7f", 3), "^@^H^?"},
      {"carriage returns break lines once", "a\r\nb\rc\n\rd", "a\nb\nc\n\nd"},
      {"UTF-8 encoded 8-bit control",
       "x\xc2\x9b"
       "31m",
       "xM-^[31m"},
      {"stray 8-bit control byte",
       "\x9b"
       "2J\x85",
       "M-^[2JM-^E"},
      {"broken sequence hides no control",
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

// Lends a terminal that the test keeps, so that what was written can be read after the box.
class LentTerminal : public Terminal {
 public:
  explicit LentTerminal(Terminal& terminal) : terminal_(terminal) {}
  TerminalSize Size() override { return terminal_.Size(); }
  bool HasAttributes() override { return terminal_.HasAttributes(); }
  bool Write(std::string_view bytes) override { return terminal_.Write(bytes); }
  TerminalKey ReadKey() override { return terminal_.ReadKey(); }

 private:
  Terminal& terminal_;
};

TEST(StderrMessageBoxPresenterTest, AsksQuestionsOnTheTerminalWithNoAsDefault) {
  struct Row {
    const char* name;
    std::string keys;
    bool expected;
    const char* answer;
  };
  const Row rows[] = {
      {"y after other keys", "xqy", true, "[y/N] y\n"},
      {"capital Y", "Y", true, "[y/N] y\n"},
      {"Enter", "\r", false, "[y/N] n\n"},
      {"n", "n", false, "[y/N] n\n"},
      {"end of input", "", false, "[y/N] \n"},
  };
  for (const Row& row : rows) {
    FakeTerminal terminal;
    terminal.Type(row.keys);
    StderrMessageBoxPresenter presenter([&] { return std::make_unique<LentTerminal>(terminal); });
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(presenter.Show(BoxKind::kConfirm, "Show the &help\x1b[2J?"), row.expected)
        << row.name;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << row.name;
    EXPECT_EQ(terminal.written, std::string("welcomer: Show the help^[[2J? ") + row.answer)
        << row.name;
  }
}

TEST(StderrMessageBoxPresenterTest, OnlyQuestionsUseTheTerminal) {
  FakeTerminal terminal;
  int opened = 0;
  StderrMessageBoxPresenter presenter([&]() -> std::unique_ptr<Terminal> {
    ++opened;
    return std::make_unique<LentTerminal>(terminal);
  });
  ::testing::internal::CaptureStderr();
  presenter.Show(BoxKind::kInformation, "File \x1b]0;x\x07 found");
  presenter.Show(BoxKind::kError, "Not found");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "welcomer: Information: File ^[]0;x^G found\nwelcomer: Error: Not found\n");
  EXPECT_EQ(opened, 0);

  // Where no terminal can be had, the question is answered No on standard error.
  StderrMessageBoxPresenter noTerminal([]() -> std::unique_ptr<Terminal> { return nullptr; });
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(noTerminal.Show(BoxKind::kConfirm, "Sure?"));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("Confirm: Sure?"), std::string::npos);
}

}  // namespace
}  // namespace welcomer
