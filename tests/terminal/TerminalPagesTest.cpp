#include "terminal/TerminalPages.h"

#include <gtest/gtest.h>

#include "platform/AsciiText.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

// Answers from `keys`, then ends the input; keeps all that was written.
class FakeTerminal : public Terminal {
 public:
  TerminalSize Size() override { return {100, 24}; }
  bool HasAttributes() override { return false; }
  bool Write(std::string_view bytes) override {
    written.append(bytes);
    return true;
  }
  TerminalKey ReadKey() override {
    if (keys.empty())
      return {TerminalKey::Kind::kEndOfInput};
    const auto key = static_cast<unsigned char>(keys.front());
    keys.erase(0, 1);
    return {TerminalKey::Kind::kByte, key};
  }

  std::string keys;
  std::string written;
};

TEST(TerminalPagesTest, NamesUnreadablePagesAndLetsNoByteDriveTheTerminal) {
  testing::TempDir dir;
  const std::string escaped = dir.WriteFile("\x1b]0;x\x07", "\x1b[31mred\r\n");
  const std::string logo = dir.WriteFile(
      "logo.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x03\x20\0\0\x02\x58", 24));
  RunState state;
  // The program keeps upper-cased paths; the files are found, and named, as they are on disk.
  for (const std::string& path : {dir / "missing", escaped, logo})
    state.DisplayList.Add(UpperCaseAscii(path) + "=1 2");
  state.CheckboxCaption = "&Please \x1b[1mread";
  FakeTerminal terminal;
  terminal.keys = "nn";
  DiskPageFileSource files;
  TerminalPages(state, {terminal, files}).Run();

  // The unreadable page asks nothing; the others are asked about.
  const std::string& d = dir.path();
  EXPECT_EQ(terminal.written,
            "Page 1 of 3: " + d + "/MISSING\nCannot open file \"" + d +
                "/MISSING\". No such file or directory\n"
                "\nPage 2 of 3: " +
                d +
                "/^[]0;x^G\n^[[31mred\n\nPlease ^[[1mread [Y/n] n\n"
                "\nPage 3 of 3: " +
                d + "/logo.png\nPicture " + d +
                "/logo.png, 800 x 600 pixels: it can be seen in a graphical session.\n"
                "\nPlease ^[[1mread [Y/n] n\n");
  EXPECT_TRUE(state.DisplayList.Empty());
}

}  // namespace
}  // namespace welcomer
