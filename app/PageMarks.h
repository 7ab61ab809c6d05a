#pragma once

#include <functional>
#include <string>

#include "app/Init_Unit.h"

namespace welcomer {

/// The show-next marks of the pages in state.DisplayList, as every way of showing the pages
/// keeps them: a page left with its box unticked gets "X" in front of its stamp, and the commit
/// stores the marked pages. A page's value is always reached through its path, so entries with
/// the same path share one mark.
class PageMarks {
 public:
  explicit PageMarks(RunState& state) : state_(state) {}

  /// True when the page's value begins with the mark.
  bool Marked(int page) const;

  /// Leaves `page` with the box ticked (`showNext`) or not: unticked marks it, ticked takes
  /// a mark away. Nothing changes in force mode.
  void LeavePage(int page, bool showNext);

  /// Unless in force mode, hands "Welcomer.File." + path=stamp of every marked entry, in list
  /// order, to `addStateEntry` (its result is not looked at) with the mark taken off; then
  /// releases DisplayList and StoredEntries.
  void Commit(const std::function<bool(const std::string&)>& addStateEntry);

 private:
  std::string Path(int page) const;
  std::string Value(int page) const;
  void SetValue(int page, const std::string& value);

  RunState& state_;
};

}  // namespace welcomer
