#include "netware/Nwtools.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "netware/MessageBox.h"
#include "netware/VisibleControls.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

using std::string_literals::operator""s;

TEST(NwtoolsTest, TextRoutines) {
  const std::pair<std::string, std::string> rows[] = {
      {AllTrim("\1 a  "s), "\1 a"s},
      {RTrim("ab \0\2"s) + RTrim("ab\3"s), "abab\3"},
      {RTrim("  "), "  "},  // nothing but trimmable characters comes back as it was
      {RTrim("a" + std::string(300, ' ')), "a"},
      {LTrim(std::string(300, ' ') + "\t a  "), "\t a  "},
      {AddBackslash("   "), "/"},
      {AddBackslash(" f:\\public/motd "), "F:\\PUBLIC/MOTD/"},
      {AddBackslash("c:/x/"), "C:/X/"},
      {LeftStr("abc", 2) + RightStr("abc", 2), "abbc"},
      {LeftStr("abc", INT32_MAX) + RightStr("abc", INT32_MAX), "abcabc"},
      {LeftStr("abc", INT32_MIN) + RightStr("abc", -1) + LeftStr("", 2), ""},
      {ReplaceText("abcABC", "bc", "-"), "a-A-"},
      {ReplaceText("xyz", "", "q") + ReplaceText("ab", "abc", "q"), "xyzab"},
      // Each position of the original length is scanned once, inserted text included.
      {ReplaceText("aab", "a", "xa"), "xxxaab"},
  };
  for (size_t i = 0; i < std::size(rows); ++i)
    EXPECT_EQ(rows[i].first, rows[i].second) << "row " << i;
}

TEST(NwtoolsTest, FileCanOpenTellsReadableFilesFromEverythingElse) {
  testing::TempDir dir;
  dir.WriteFile("Readable.txt", "x");
  dir.MakeDir("folder");
  ::mkfifo((dir / "pipe").c_str(), 0600);
  const std::pair<std::string, bool> rows[] = {
      {dir / "missing.txt", false},
      {dir / "READABLE.TXT", true},  // upper-cased paths still reach the file
      {dir / "folder", false},       // a directory is no file to show
      {dir / "pipe", true},          // opened without waiting for a writer
  };
  for (const auto& [name, canOpen] : rows)
    EXPECT_EQ(FileCanOpen(name), canOpen) << name;
}

TEST(ShowControlCharactersTest, NothingThatDrivesATerminalGetsThrough) {
  const std::pair<std::string, std::string> rows[] = {
      {"a\tb\nc d", "a\tb\nc d"},                                   // text, tab and line feed stay
      {"\33]0;x\7\33]52;c;aGk=\33\\", "^[]0;x^G^[]52;c;aGk=^[\\"},  // title, clipboard
      {"\33[31mred\33[2;5H", "^[[31mred^[[2;5H"},                   // colour, cursor move
      {"\0\b\177"s, "^@^H^?"},
      {"a\r\nb\rc\n\rd", "a\nb\nc\n\nd"},  // carriage returns break lines once
      {"x\302\23331m", "xM-^[31m"},        // an 8-bit control encoded in UTF-8
      {"\2332J\205", "M-^[2JM-^E"},        // stray 8-bit control bytes
      {"\342\233A", "\342M-^[A"},          // a broken sequence hides no control
      {"Gr\303\274\303\237e \346\227\245 \351\240", "Gr\303\274\303\237e \346\227\245 \351\240"},
  };
  for (const auto& [input, shown] : rows)
    EXPECT_EQ(ShowControlCharacters(input), shown) << input;
}

// Without a terminal to ask on, a question is answered No; mnemonics show as text and controls
// as placeholders.
TEST(ShowControlCharactersTest, BoxesOnStandardErrorCarryPlaceholders) {
  StderrMessageBoxPresenter presenter(nullptr);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(presenter.Show(BoxKind::kConfirm, "a & b;\33]0;x\7\r\n&Yes && &"));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "welcomer: Confirm: a & b;^[]0;x^G\nYes & &\n"
            "welcomer: no display to answer on: No\n");
}

}  // namespace
}  // namespace welcomer
