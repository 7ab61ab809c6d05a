#pragma once

namespace welcomer {

/// True when the environment names a display or a Qt platform to draw on. It says nothing about
/// whether that display answers; the GUI module checks that before it starts.
bool HasDisplayEnvironment();

}  // namespace welcomer
