#include "netware/MessageBox.h"

#include <cstdio>

#include "netware/VisibleControls.h"

namespace welcomer {
namespace {

MessageBoxPresenter* g_presenter = nullptr;

bool AskOnTerminal(Terminal& terminal, const std::string& question) {
  if (!terminal.Write("welcomer: " + question + " [y/N] "))
    return false;
  while (true) {
    const TerminalKey key = terminal.ReadKey();
    if (key.kind != TerminalKey::Kind::kByte) {
      terminal.Write("\n");
      return false;
    }
    if (key.byte == 'y' || key.byte == 'Y') {
      terminal.Write("y\n");
      return true;
    }
    if (key.byte == 'n' || key.byte == 'N' || key.byte == '\n' || key.byte == '\r') {
      terminal.Write("n\n");
      return false;
    }
  }
}

}  // namespace

std::string MnemonicsAsText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != ' ') {
      ++i;
    }
    out += text[i];
  }
  return out;
}

const char* BoxTitle(BoxKind kind) {
  switch (kind) {
    case BoxKind::kInformation:
      return "Information";
    case BoxKind::kConfirm:
      return "Confirm";
    case BoxKind::kError:
      return "Error";
  }
  return "Information";
}

bool StderrMessageBoxPresenter::Show(BoxKind kind, const std::string& text) {
  const std::string shown = ShowControlCharacters(MnemonicsAsText(text));
  if (kind == BoxKind::kConfirm && openTerminal_) {
    if (const std::unique_ptr<Terminal> terminal = openTerminal_())
      return AskOnTerminal(*terminal, shown);
  }
  std::fprintf(stderr, "welcomer: %s: %s\n", BoxTitle(kind), shown.c_str());
  if (kind == BoxKind::kConfirm)
    std::fprintf(stderr, "welcomer: no display to answer on: No\n");
  return false;
}

MessageBoxPresenter& CurrentMessageBoxPresenter() {
  // Asks nothing: only the program, which knows whether anyone is there, installs one that asks.
  static StderrMessageBoxPresenter fallback(nullptr);
  return g_presenter ? *g_presenter : fallback;
}

MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter) {
  MessageBoxPresenter* previous = g_presenter;
  g_presenter = presenter;
  return previous;
}

}  // namespace welcomer
