#pragma once

struct xcb_connection_t;

namespace welcomer {

/// Where the program's boxes and window can be shown.
enum class GuiPlatform {
  kNone,     ///< nowhere: no display answers, or Qt could not reach it
  kX11,      ///< the X display named by DISPLAY
  kWayland,  ///< the Wayland compositor named by WAYLAND_DISPLAY
};

/// What the session offers to draw on; tests answer in its place.
class DisplayEnvironment {
 public:
  virtual ~DisplayEnvironment() = default;
  /// True when the X display named by DISPLAY accepts a connection.
  virtual bool X11Answers() = 0;
  /// True when the compositor named by WAYLAND_DISPLAY answers a round trip in time.
  virtual bool WaylandAnswers() = 0;
  /// True when Qt's Wayland platform is installed.
  virtual bool WaylandPluginInstalled() = 0;
};

/// Which GUI to start, or none: X11 when its display answers (also in a Wayland session that
/// runs X programs, since only X lets the window keep off the task bar), Wayland when only a
/// compositor answers and Qt can reach it, otherwise none. QT_QPA_PLATFORM has no say: a
/// platform that draws nowhere (offscreen, minimal, vnc) would leave the login waiting on a
/// window nobody sees, and one that cannot start would end the process.
GuiPlatform ChooseGuiPlatform(DisplayEnvironment& environment);

/// The session's displays, probed by connecting to them.
class PosixDisplayEnvironment : public DisplayEnvironment {
 public:
  PosixDisplayEnvironment() = default;
  /// Closes the X connection of the probe.
  ~PosixDisplayEnvironment() override;
  PosixDisplayEnvironment(const PosixDisplayEnvironment&) = delete;
  PosixDisplayEnvironment& operator=(const PosixDisplayEnvironment&) = delete;

  /// Keeps the probe's connection open while the object lives: an X server that loses its last
  /// client resets itself and refuses connections for a moment, which would turn away the GUI
  /// that follows the probe. Keep the object until the GUI has connected.
  bool X11Answers() override;
  bool WaylandAnswers() override;
  bool WaylandPluginInstalled() override;

 private:
  xcb_connection_t* x11Connection_ = nullptr;
  void (*x11Disconnect_)(xcb_connection_t*) = nullptr;
};

}  // namespace welcomer
