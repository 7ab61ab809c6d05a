#pragma once

#include <string>
#include <vector>

namespace welcomer::client {

/// Things the user may want to know about where the state came from or went, such as "the state
/// came from the offline cache" or what the directory answered when it refused a write. The
/// program takes them through NWWelcomerTakeNotice and shows them in verbose mode; a program
/// that never asks loses nothing. Kept for the process, oldest first, at most a few dozen.
void AddClientNotice(const std::string& text);

/// Takes every notice given so far, oldest first.
std::vector<std::string> TakeClientNotices();

}  // namespace welcomer::client
