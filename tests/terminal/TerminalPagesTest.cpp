#include "terminal/TerminalPages.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/support/FakeTerminal.h"

namespace welcomer {
namespace {

using testing::FakeTerminal;
using Entries = std::vector<std::string>;

class FakePageFiles : public PageFileSource {
 public:
  bool Read(const std::string& path, PageFile& file, std::string& error) override {
    file.path = path;
    const auto found = files.find(path);
    if (found == files.end()) {
      error = "Cannot open file \"" + path + "\". No such file or directory";
      return false;
    }
    file.bytes = found->second;
    return true;
  }
  std::map<std::string, std::string> files;
};

class TerminalPagesTest : public ::testing::Test {
 protected:
  void AddPage(const std::string& path, const std::string& content) {
    files_.files[path] = content;
    state_.DisplayList.Add(path + "=1 2");
  }
  void AddThreePages() {
    AddPage("/m/a", "Alpha\n");
    AddPage("/m/b", "Beta\n");
    AddPage("/m/c", "Gamma\n");
  }
  void Run() {
    TerminalPagesServices services{terminal_, files_, [this](const std::string& entry) {
                                     stored_.push_back(entry);
                                     return true;
                                   }};
    EXPECT_EQ(TerminalPages(state_, services).Run(), 0);
  }
  size_t Count(const std::string& text) const {
    size_t count = 0;
    for (size_t at = terminal_.written.find(text); at != std::string::npos;
         at = terminal_.written.find(text, at + 1))
      ++count;
    return count;
  }

  RunState state_;
  FakeTerminal terminal_;
  FakePageFiles files_;
  Entries stored_;
};

TEST_F(TerminalPagesTest, StoresThePagesAnsweredNoAlsoWhenStoppedEarly) {
  struct Row {
    const char* name;
    std::string keys;
    bool interrupt;  // after the keys; otherwise the input ends there
    Entries expected;
    size_t asked;
  };
  const Row rows[] = {
      {"n, then Enter twice", "n\r\r", false, {"Welcomer.File./m/a=1 2"}, 3},
      {"other keys wait, y keeps", "x\ryn", false, {"Welcomer.File./m/c=1 2"}, 3},
      {"end of input on the last question",
       "nn",
       false,
       {"Welcomer.File./m/a=1 2", "Welcomer.File./m/b=1 2"},
       3},
      {"interrupt on the second question", "n", true, {"Welcomer.File./m/a=1 2"}, 2},
      {"end of input at once", "", false, {}, 1},
  };
  for (const Row& row : rows) {
    state_ = RunState();
    terminal_ = FakeTerminal();
    stored_.clear();
    AddThreePages();
    terminal_.Type(row.keys);
    if (row.interrupt)
      terminal_.Press(TerminalKey::Kind::kInterrupt);
    Run();
    EXPECT_EQ(stored_, row.expected) << row.name;
    EXPECT_EQ(Count("Show this message next time I login [Y/n] "), row.asked) << row.name;
    EXPECT_EQ(Count("Page "), row.asked) << row.name;
    EXPECT_TRUE(state_.DisplayList.Empty()) << row.name;
  }
  // In order, each under its heading.
  const std::string& written = terminal_.written;
  EXPECT_EQ(written.find("Page 1 of 3: /m/a\nAlpha\n\nShow"), 0u) << written;
}

TEST_F(TerminalPagesTest, ForceModeAsksNothingAndStoresNothing) {
  AddThreePages();
  state_.ForceMode = true;
  Run();
  EXPECT_TRUE(terminal_.beforeKeys.empty());
  EXPECT_TRUE(stored_.empty());
  EXPECT_EQ(terminal_.written,
            "Page 1 of 3: /m/a\nAlpha\n\nPage 2 of 3: /m/b\nBeta\n\nPage 3 of 3: /m/c\nGamma\n");
}

TEST_F(TerminalPagesTest, HoldsEachScreenfulUntilTheUserGoesOn) {
  std::string text;
  for (int line = 1; line <= 12; ++line)
    text += "line " + std::to_string(line) + "\n";
  AddPage("/m/long", text);
  terminal_.size = {60, 5};
  terminal_.Type(" qn");
  Run();
  // A screen of five rows shows four and keeps the last for the prompt.
  ASSERT_EQ(terminal_.beforeKeys.size(), 3u);
  EXPECT_EQ(terminal_.beforeKeys[0],
            "/m/long\nline 1\nline 2\nline 3\n-- More --  Space or Enter: next screen, q: the "
            "question");
  EXPECT_NE(terminal_.beforeKeys[1].find("line 4\nline 5\nline 6\nline 7\n-- More --"),
            std::string::npos);
  // q goes to the question.
  EXPECT_EQ(Count("line 8"), 0u);
  EXPECT_NE(terminal_.beforeKeys[2].find("[Y/n] "), std::string::npos);
  EXPECT_EQ(stored_, Entries{"Welcomer.File./m/long=1 2"});
}

TEST_F(TerminalPagesTest, UnreadablePagesAreNamedAndPicturesAnnounced) {
  AddPage("/m/missing", "");
  files_.files.erase("/m/missing");
  AddPage("/m/logo.bmp", "BM" + std::string(12, '\0') + std::string("\x0c\0\0\0`\0000\0", 8) +
                             std::string(20, '\0'));
  AddPage("/m/broken.bmp", "BM");
  AddPage("/m/c", "Gamma");
  terminal_.Type("nn");
  Run();
  EXPECT_NE(terminal_.written.find("Page 1 of 4: /m/missing\nCannot open file \"/m/missing\"."),
            std::string::npos);
  EXPECT_NE(terminal_.written.find(
                "Picture /m/logo.bmp, 96 x 48 pixels: it can be seen in a graphical session."),
            std::string::npos);
  EXPECT_NE(terminal_.written.find("Cannot load the picture \"/m/broken.bmp\"."),
            std::string::npos);
  // Only the pages that could be shown are asked about, and stored.
  EXPECT_EQ(Count("[Y/n]"), 2u);
  EXPECT_EQ(stored_, (Entries{"Welcomer.File./m/logo.bmp=1 2", "Welcomer.File./m/c=1 2"}));
}

TEST_F(TerminalPagesTest, NoPageBytePathOrCaptionDrivesTheTerminal) {
  AddPage("/m/\x1b]0;x\x07", "\x1b]0;title\x07\x1b[31mred\x1b[H\x1b]52;c;aGk=\x07\r\nend");
  state_.CheckboxCaption = "&Please \x1b[1mread";
  terminal_.Type("\r");
  Run();
  EXPECT_EQ(terminal_.written.find('\x1b'), std::string::npos) << terminal_.written;
  EXPECT_EQ(terminal_.written,
            "/m/^[]0;x^G\n^[]0;title^G^[[31mred^[[H^[]52;c;aGk=^G\nend\n\n"
            "Please ^[[1mread [Y/n] y\n");
}

}  // namespace
}  // namespace welcomer
