#pragma once

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

  /// Unless in force mode, stores the file record ("Welcomer.File." + path=stamp) of every marked
  /// entry, with the mark taken off, in list order, through state.NetWareClient as one batch of
  /// changes; a record that is not kept is not reported. Then releases DisplayList and
  /// StoredEntries.
  void Commit();

 private:
  std::string Path(int page) const;
  std::string Value(int page) const;
  void SetValue(int page, const std::string& value);

  RunState& state_;
};

}  // namespace welcomer
