#include "terminal/TerminalPages.h"

#include <algorithm>
#include <optional>

#include "app/PageMarks.h"
#include "app/StringList.h"
#include "netware/MessageBox.h"
#include "netware/VisibleControls.h"
#include "terminal/PictureSize.h"
#include "terminal/TextWrap.h"
#include "ui/PageDecoding.h"

namespace welcomer {
namespace {

// What terminals that do not tell their size have had since the first video terminals.
constexpr int kDefaultColumns = 80;
constexpr int kDefaultRows = 24;
constexpr std::string_view kBold = "\x1b[1m";
constexpr std::string_view kReverse = "\x1b[7m";
constexpr std::string_view kPlain = "\x1b[0m";

bool IsEnter(unsigned char byte) {
  return byte == '\n' || byte == '\r';
}

std::string ForTerminal(std::string_view bytes) {
  return ShowControlCharacters(DecodeUtf8OrWindows1252(bytes));
}

}  // namespace

TerminalPages::TerminalPages(RunState& state, TerminalPagesServices services)
    : state_(state), services_(std::move(services)) {}

int TerminalPages::PageCount() const {
  return static_cast<int>(state_.DisplayList.Count());
}

int TerminalPages::Run() {
  attributes_ = services_.terminal.HasAttributes();
  PageMarks marks(state_);
  for (int page = 0; page < PageCount(); ++page) {
    state_.CurrentPage = page;
    const Shown shown = ShowPage(page);
    if (shown == Shown::kStop)
      break;
    // A page that could not be read was not seen: there is nothing to acknowledge.
    if (shown == Shown::kNotice || state_.ForceMode)
      continue;
    // A blank row keeps the question apart from the page's last line.
    if (WriteRow("", false) == Flow::kStop)
      break;
    const Answer answer = Ask();
    if (answer == Answer::kStop)
      break;
    marks.LeavePage(page, answer == Answer::kShowNext);
  }
  marks.Commit();
  return 0;
}

TerminalPages::Shown TerminalPages::ShowPage(int page) {
  const TerminalSize size = services_.terminal.Size();
  columns_ = size.columns > 0 ? size.columns : kDefaultColumns;
  // One row for the text and one for the prompt at the least, however small the terminal says
  // it is.
  rows_ = size.rows > 0 ? std::max(size.rows, 2) : kDefaultRows;

  PageFile file;
  std::string error;
  // A pattern given as an argument keeps the pattern as the page's key; the search says which
  // file it stands for.
  const StringList::Item& item = state_.DisplayList.Items()[static_cast<size_t>(page)];
  const bool read = services_.files.Read(
      item.file.empty() ? std::string(NameOf(item.text)) : item.file, file, error);
  const std::string path = ForTerminal(file.path);
  std::string heading = path;
  if (PageCount() > 1) {
    heading =
        "Page " + std::to_string(page + 1) + " of " + std::to_string(PageCount()) + ": " + heading;
  }
  bool notice = true;
  std::string body;
  if (!read) {
    body = ForTerminal(error);
  } else if (IsPicture(PageKindOf(file.bytes))) {
    if (const std::optional<PictureSize> picture = ReadPictureSize(file.bytes)) {
      body = "Picture " + path + ", " + std::to_string(picture->width) + " x " +
             std::to_string(picture->height) + " pixels: it can be seen in a graphical session.";
      notice = false;
    } else {
      body = "Cannot load the picture \"" + path + "\".";
    }
  } else if (!file.complete) {
    body = "The file \"" + path + "\" is too large to show: it holds more than " +
           std::to_string(kMaxTerminalPageSize / (1024 * 1024)) + " MiB.";
  } else {
    body = ShowControlCharacters(DecodePage(file.bytes).text);
    notice = false;
  }

  Flow flow = page > 0 ? WriteRow("", false) : Flow::kGoOn;
  for (const std::string& row : WrapText(heading, columns_)) {
    if (flow == Flow::kGoOn)
      flow = WriteRow(row, true);
  }
  for (const std::string& row : WrapText(body, columns_)) {
    if (flow == Flow::kGoOn)
      flow = WriteRow(row, false);
  }
  if (flow == Flow::kStop)
    return Shown::kStop;
  return notice ? Shown::kNotice : Shown::kPage;
}

TerminalPages::Flow TerminalPages::WriteRow(const std::string& row, bool heading) {
  // The last row of the screen is kept for the prompt, so that nothing scrolls away unread.
  if (unreadRows_ >= rows_ - 1) {
    const Flow flow = More();
    if (flow != Flow::kGoOn)
      return flow;
  }
  std::string line = row;
  if (heading && attributes_)
    line = std::string(kBold) + row + std::string(kPlain);
  if (!Write(line + "\n"))
    return Flow::kStop;
  ++unreadRows_;
  return Flow::kGoOn;
}

TerminalPages::Flow TerminalPages::More() {
  std::string prompt = "-- More --  Space or Enter: next screen, q: ";
  prompt += state_.ForceMode ? "next page" : "the question";
  // A prompt that wrapped could not be taken back off the screen.
  prompt.resize(std::min(prompt.size(), static_cast<size_t>(std::max(columns_ - 1, 1))));
  if (!Write(attributes_ ? std::string(kReverse) + prompt + std::string(kPlain) : prompt))
    return Flow::kStop;
  Flow flow = Flow::kStop;
  while (true) {
    const TerminalKey key = services_.terminal.ReadKey();
    if (key.kind != TerminalKey::Kind::kByte)
      break;
    if (key.byte == ' ' || IsEnter(key.byte)) {
      flow = Flow::kGoOn;
      break;
    }
    if (key.byte == 'q' || key.byte == 'Q') {
      flow = Flow::kSkipPage;
      break;
    }
  }
  unreadRows_ = 0;
  if (!Write("\r" + std::string(prompt.size(), ' ') + "\r"))
    return Flow::kStop;
  return flow;
}

TerminalPages::Answer TerminalPages::Ask() {
  const std::string question = ForTerminal(MnemonicsAsText(state_.CheckboxCaption)) + " [Y/n] ";
  if (!Write(question))
    return Answer::kStop;
  unreadRows_ = 0;
  while (true) {
    const TerminalKey key = services_.terminal.ReadKey();
    if (key.kind != TerminalKey::Kind::kByte) {
      Write("\n");
      return Answer::kStop;
    }
    if (key.byte == 'y' || key.byte == 'Y' || IsEnter(key.byte))
      return Write("y\n") ? Answer::kShowNext : Answer::kStop;
    if (key.byte == 'n' || key.byte == 'N')
      return Write("n\n") ? Answer::kAcknowledge : Answer::kStop;
  }
}

bool TerminalPages::Write(std::string_view bytes) {
  return services_.terminal.Write(bytes);
}

}  // namespace welcomer
