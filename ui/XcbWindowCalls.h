#pragma once

#include "ui/IconHide.h"

class QWidget;

namespace welcomer {

/// The application window's calls on X11, for a top-level widget. The extended style maps to
/// the window's `_NET_WM_STATE`: kToolWindowStyle is `_NET_WM_STATE_SKIP_TASKBAR`,
/// kTopmostStyle is `_NET_WM_STATE_ABOVE`. The state is changed while the window is withdrawn,
/// as window managers only read it when a window is mapped; hiding withdraws the window only
/// when it is on the screen, and showing maps it again only then.
class XcbWindowCalls : public ApplicationWindowCalls {
 public:
  /// `window` must have its native window already and outlive this object.
  explicit XcbWindowCalls(QWidget& window);

  uint32_t ReadExtendedStyle() override;
  void SetExtendedStyle(uint32_t style) override;
  void HideWindow() override;
  void ShowWindow() override;

 private:
  QWidget& window_;
  bool wasVisible_ = false;
};

/// Gives a top-level widget's native X11 window an empty title (`_NET_WM_NAME` and `WM_NAME`):
/// Qt puts the application's name in place of an empty title. Does nothing off X11. The widget
/// must have its native window; call it again after each change of the title.
void ClearX11WindowTitle(QWidget& window);

}  // namespace welcomer
