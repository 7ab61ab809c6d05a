#pragma once

#include <string>

namespace welcomer {

/// The three kinds of modal box the program shows before and outside its window.
enum class BoxKind {
  kInformation,  ///< title "Information", one "OK" button
  kConfirm,      ///< title "Confirm", buttons "&Yes" and "&No"
  kError,        ///< title "Error", one "Cancel" button
};

/// Shows one modal box and waits for the user. The text arrives with its line breaks already
/// in place; "&" still marks mnemonics and tabs still stand for tab stops.
class MessageBoxPresenter {
 public:
  virtual ~MessageBoxPresenter() = default;
  /// Returns true only when a confirmation box was answered with Yes.
  virtual bool Show(BoxKind kind, const std::string& text) = 0;
};

/// The presenter the message-box functions use. Never null: until one is installed, boxes go to
/// standard error.
MessageBoxPresenter& CurrentMessageBoxPresenter();

/// Installs `presenter` (not owned) for every later box; null brings back the standard-error one.
/// Returns the presenter that was installed before, so that callers can restore it.
MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter);

/// Writes each box to standard error and answers every question with No: what a run without a
/// display can still tell the user.
class StderrMessageBoxPresenter : public MessageBoxPresenter {
 public:
  bool Show(BoxKind kind, const std::string& text) override;
};

/// The box title of each kind.
const char* BoxTitle(BoxKind kind);

}  // namespace welcomer
