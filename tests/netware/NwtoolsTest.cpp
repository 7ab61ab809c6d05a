#include "netware/Nwtools.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "netware/MessageBox.h"
#include "tests/support/FakeServices.h"
#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

using testing::RecordingMessageBoxes;
using testing::TempDir;

struct TextCase {
  const char* name;
  std::string (*function)(const std::string&);
  std::string input;
  std::string expected;
};
// Test listings name a row instead of dumping its bytes.
void PrintTo(const TextCase& row, std::ostream* os) {
  *os << row.name;
}

class TrimTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(TrimTest, GivesExpectedText) {
  EXPECT_EQ(GetParam().function(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TrimTest,
    ::testing::Values(
        TextCase{"AllTrimBlanksOnly", AllTrim, "   ", ""},
        TextCase{"AllTrimBothEnds", AllTrim, "  a b  ", "a b"},
        TextCase{"AllTrimKeepsLeadingControlCodes", AllTrim, std::string("\1 a ", 4),
                 std::string("\1 a", 3)},
        TextCase{"RTrimControlCodes", RTrim, std::string("ab\0\2", 4), "ab"},
        TextCase{"RTrimKeepsCodeThree", RTrim, std::string("ab\3", 3), std::string("ab\3", 3)},
        TextCase{"RTrimBlanksOnlyUnchanged", RTrim, "   ", "   "},
        TextCase{"RTrimLong", RTrim, "a" + std::string(300, ' '), "a"},
        TextCase{"RTrimEmpty", RTrim, "", ""},
        TextCase{"LTrimLong", LTrim, std::string(300, ' ') + "a", "a"},
        TextCase{"LTrimKeepsTabs", LTrim, "\t a", "\t a"},
        TextCase{"LTrimKeepsTrailing", LTrim, "  a  ", "a  "},
        TextCase{"AddBackslashEmpty", AddBackslash, "", "/"},
        TextCase{"AddBackslashBlanks", AddBackslash, "   ", "/"},
        TextCase{"AddBackslashTrimsAndUppercases", AddBackslash, " f:/public/motd ",
                 "F:/PUBLIC/MOTD/"},
        TextCase{"AddBackslashKeepsDelimiter", AddBackslash, "c:/x/", "C:/X/"},
        TextCase{"AddBackslashBackslashIsOrdinary", AddBackslash, "c:\\x\\", "C:\\X\\/"},
        TextCase{"AddBackslashAsciiOnly", AddBackslash, "\xe9t\xe9", "\xe9T\xe9/"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LeftRightStrTest, CountsFromEachEnd) {
  struct Row {
    std::string text;
    int32_t count;
    std::string left;
    std::string right;
  };
  const Row rows[] = {
      {"abc", 5, "abc", "abc"},   {"abc", 3, "abc", "abc"},
      {"abc", 2, "ab", "bc"},     {"abc", 0, "", ""},
      {"abc", -1, "", ""},        {"", 2, "", ""},
      {"abc", INT32_MIN, "", ""}, {"abc", INT32_MAX, "abc", "abc"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text + " / " + std::to_string(row.count));
    EXPECT_EQ(LeftStr(row.text, row.count), row.left);
    EXPECT_EQ(RightStr(row.text, row.count), row.right);
  }
}

TEST(ReplaceTextTest, ReplacesEachMatchWithoutRegardToCase) {
  struct Row {
    std::string text, pattern, replacement, expected;
  };
  const Row rows[] = {
      {"a;b;;c", ";", "\n", "a\nb\n\nc"}, {"Abc", "B", "x", "Axc"},
      {"abcABC", "bc", "-", "a-A-"},      {"", ";", "\n", ""},
      {"aaa", "a", "aa", "aaaaaa"},       {"xyz", "", "q", "xyz"},
      {"ab", "abc", "q", "ab"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text + " / " + row.pattern);
    EXPECT_EQ(ReplaceText(row.text, row.pattern, row.replacement), row.expected);
  }
}

TEST(ReplaceTextTest, StopsAtTheOriginalLength) {
  // Each replacement makes the text longer and the scan moves on by one position only, so it
  // sees inserted text; it ends where the original text ended, leaving the rest alone.
  EXPECT_EQ(ReplaceText("ab", "a", "aa"), "aaab");
  EXPECT_EQ(ReplaceText("aab", "a", "xa"), "xxxaab");
  EXPECT_EQ(ReplaceText("a", "a", "aaa"), "aaa");
}

TEST(MessageBoxTest, EachBoxHasItsKindAndBreaksLinesAtSemicolons) {
  RecordingMessageBoxes boxes;
  boxes.answers = {true, false};
  ShowInfo("Line one;Line two");
  ShowError("Line one;Line two");
  EXPECT_TRUE(AskYesNo("Line one;Line two"));
  EXPECT_FALSE(AskYesNo("again"));
  EXPECT_FALSE(AskYesNo("no answer queued"));
  ASSERT_EQ(boxes.shown.size(), 5u);
  EXPECT_EQ(boxes.shown[0], (testing::ShownBox{BoxKind::kInformation, "Line one\nLine two"}));
  EXPECT_EQ(boxes.shown[1], (testing::ShownBox{BoxKind::kError, "Line one\nLine two"}));
  EXPECT_EQ(boxes.shown[2], (testing::ShownBox{BoxKind::kConfirm, "Line one\nLine two"}));
}

TEST(MessageBoxTest, StandardErrorBoxesAnswerNoAndShowMnemonicsAsText) {
  StderrMessageBoxPresenter presenter(nullptr);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(presenter.Show(BoxKind::kConfirm, "parsing & checking;&Yes && &"));
  const std::string written = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(written.find("Confirm: parsing & checking;Yes & &"), std::string::npos) << written;
}

TEST(FileCanOpenTest, TellsReadableFilesFromEverythingElse) {
  TempDir dir;
  dir.WriteFile("Readable.txt", "x");
  dir.WriteFile("locked.txt", "x");
  ::chmod((dir / "locked.txt").c_str(), 0);
  dir.MakeDir("folder");
  ::mkfifo((dir / "pipe").c_str(), 0600);
  struct Row {
    std::string name;
    bool expected;
  };
  const Row rows[] = {
      {"", false},
      {dir / "missing.txt", false},
      {dir / "Readable.txt", true},
      {dir / "READABLE.TXT", true},  // upper-cased paths still reach the file
      {dir / "folder", false},       // a directory is no file to show
      {dir / "pipe", true},          // opened without waiting for a writer
      {dir / "locked.txt", ::geteuid() == 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FileCanOpen(row.name), row.expected);
  }
}

}  // namespace
}  // namespace welcomer
