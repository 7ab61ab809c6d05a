#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/Init_Unit.h"
#include "platform/Terminal.h"
#include "terminal/PageFile.h"

namespace welcomer {

/// What the terminal pages work through; tests hand in their own.
struct TerminalPagesServices {
  Terminal& terminal;
  PageFileSource& files;
};

/// The information window's pages for a user at a terminal. Each page of state.DisplayList, in
/// list order, gets a heading (its place among several pages and its path) and its text,
/// wrapped at the terminal's width and held at each screenful until the user goes on; a picture
/// is announced by its path and size. After each page the show-next caption asks " [Y/n] ": n
/// leaves the page acknowledged as an unticked box does. The acknowledged pages are stored
/// through state.NetWareClient after the last one, and also when the user stops early with end
/// of input or an interrupt. In force mode nothing is asked or stored. A page that cannot be read
/// is named in a notice and asks nothing. No byte of a page, a path or the caption reaches the
/// terminal raw.
class TerminalPages {
 public:
  /// `state` and the services must outlive the object.
  TerminalPages(RunState& state, TerminalPagesServices services);

  /// Shows the pages, stores what was acknowledged and releases the lists. Returns the exit
  /// code, 0.
  int Run();

 private:
  enum class Flow { kGoOn, kSkipPage, kStop };
  enum class Shown { kPage, kNotice, kStop };
  enum class Answer { kShowNext, kAcknowledge, kStop };

  int PageCount() const;

  Shown ShowPage(int page);
  Flow WriteRow(const std::string& row, bool heading);
  Flow More();
  Answer Ask();
  bool Write(std::string_view bytes);

  RunState& state_;
  TerminalPagesServices services_;
  int columns_ = 0;
  int rows_ = 0;
  /// Rows written since the user last pressed a key: the screen holds what is unread.
  int unreadRows_ = 0;
  bool attributes_ = false;
};

}  // namespace welcomer
