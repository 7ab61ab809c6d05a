#include "netware/MessageBox.h"

#include <cstdio>

namespace welcomer {
namespace {

MessageBoxPresenter* g_presenter = nullptr;

// Mnemonic markers mean nothing on a terminal: "&&" is shown as "&" and a lone marker vanishes,
// except where it stands before a blank or at the end, where the box shows it too.
std::string StripMnemonics(const std::string& text) {
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

}  // namespace

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
  std::string shown = StripMnemonics(text);
  std::fprintf(stderr, "welcomer: %s: %s\n", BoxTitle(kind), shown.c_str());
  if (kind == BoxKind::kConfirm)
    std::fprintf(stderr, "welcomer: no display to answer on: No\n");
  return false;
}

MessageBoxPresenter& CurrentMessageBoxPresenter() {
  static StderrMessageBoxPresenter fallback;
  return g_presenter ? *g_presenter : fallback;
}

MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter) {
  MessageBoxPresenter* previous = g_presenter;
  g_presenter = presenter;
  return previous;
}

}  // namespace welcomer
