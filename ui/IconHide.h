#pragma once

#include <QObject>

#include <cstdint>

namespace welcomer {

/// Extended-style bit of a tool window: it has no task-bar button.
inline constexpr uint32_t kToolWindowStyle = 0x80;
/// Extended-style bit of a window that stays on top of the others.
inline constexpr uint32_t kTopmostStyle = 0x08;

/// The calls TIconHide makes on the application window.
class ApplicationWindowCalls {
 public:
  virtual ~ApplicationWindowCalls() = default;
  /// The window's extended style (kToolWindowStyle, kTopmostStyle and others).
  virtual uint32_t ReadExtendedStyle() = 0;
  /// Gives the window the extended style `style`.
  virtual void SetExtendedStyle(uint32_t style) = 0;
  /// Takes the window off the screen before its style changes.
  virtual void HideWindow() = 0;
  /// Puts the window back after its style changed.
  virtual void ShowWindow() = 0;
};

/// Keeps the program's window off the task bar. Its state is the program's, not the instance's:
/// every instance reads and writes the same `Hidden`, and a new instance hides the button at
/// once.
class TIconHide : public QObject {
 public:
  explicit TIconHide(QObject* owner);

  bool Hidden() const;
  /// Hides the task-bar button (true) or puts back the style saved at start (false). Setting
  /// the value it already has makes no window calls.
  void SetHidden(bool value);

  /// Starts the program-wide state on the application window reached through `calls` (not
  /// owned; null for none): saves its extended style and sets Hidden to false without a call.
  static void StartUnit(ApplicationWindowCalls* calls);
  /// Forgets the window calls, for when the window they act on goes away.
  static void StopUnit();
};

}  // namespace welcomer
