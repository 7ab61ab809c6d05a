#include <xcb/xcb.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "ui/DisplayProbe.h"

namespace welcomer {
namespace {

bool X11DisplayAnswers() {
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool answers = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return answers;
}

bool PlatformAnswers(std::string_view platform) {
  if (platform == "xcb")
    return X11DisplayAnswers();
  if (platform == "wayland" || platform.starts_with("wayland-")) {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    return display != nullptr && *display != '\0';
  }
  // The platforms that draw into memory or a network stream start without a display.
  return !platform.empty();
}

}  // namespace

bool DisplayAnswers() {
  const char* requested = std::getenv("QT_QPA_PLATFORM");
  // The build's default platform is X11.
  const std::string platforms = (requested && *requested) ? requested : "xcb";
  // Qt tries each platform of a ";"-separated list in turn; each may carry ":options".
  size_t start = 0;
  while (start <= platforms.size()) {
    size_t end = platforms.find(';', start);
    if (end == std::string::npos)
      end = platforms.size();
    std::string_view platform(platforms.data() + start, end - start);
    platform = platform.substr(0, platform.find(':'));
    if (PlatformAnswers(platform))
      return true;
    start = end + 1;
  }
  return false;
}

}  // namespace welcomer
