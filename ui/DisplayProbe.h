#pragma once

namespace welcomer {

/// True when the platform Qt is about to use can really draw: for X11 the display answers a
/// connection. Qt ends the process when its platform cannot start, so this is asked first.
bool DisplayAnswers();

}  // namespace welcomer
