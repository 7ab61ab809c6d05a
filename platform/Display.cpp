#include "platform/Display.h"

namespace welcomer {

GuiPlatform ChooseGuiPlatform(DisplayEnvironment& environment) {
  if (environment.X11Answers())
    return GuiPlatform::kX11;
  if (environment.WaylandAnswers() && environment.WaylandPluginInstalled())
    return GuiPlatform::kWayland;
  return GuiPlatform::kNone;
}

}  // namespace welcomer
