#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Terminal.h"

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
/// standard error and questions are answered No.
MessageBoxPresenter& CurrentMessageBoxPresenter();

/// Installs `presenter` (not owned) for every later box; null brings back the standard-error one.
/// Returns the presenter that was installed before, so that callers can restore it.
MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter);

/// What a run without a display can still tell the user: each box goes to standard error, with
/// its control characters made visible. A question is asked on the terminal when there is one
/// (y for Yes; Enter, n, end of input and Ctrl-C for No), otherwise it is answered No.
class StderrMessageBoxPresenter : public MessageBoxPresenter {
 public:
  /// Gives the terminal to ask on, or null where there is none.
  using TerminalOpener = std::function<std::unique_ptr<Terminal>()>;

  explicit StderrMessageBoxPresenter(TerminalOpener openTerminal = OpenStandardTerminal)
      : openTerminal_(std::move(openTerminal)) {}
  bool Show(BoxKind kind, const std::string& text) override;

 private:
  TerminalOpener openTerminal_;
};

/// A text with "&" mnemonic marks as plain text shows it: "&&" is one "&", a lone "&" vanishes,
/// except before a blank or at the end, where a box shows it too.
std::string MnemonicsAsText(const std::string& text);

/// The box title of each kind.
const char* BoxTitle(BoxKind kind);

}  // namespace welcomer
