#pragma once

#include <string>

namespace welcomer {

/// The folder of the current user's state: $XDG_STATE_HOME/welcomer, where an unset, empty or
/// relative XDG_STATE_HOME stands for ~/.local/state (the home folder from $HOME, else from the
/// account database). Empty when there is no home folder either.
std::string StateFolderPath();

/// Makes every missing folder of the absolute `folder` with mode 0700, as folders of per-user
/// state should be. False, with the reason in plain words, when a part of the way is not a
/// folder or cannot be made.
bool PrepareStateFolder(const std::string& folder, std::string& reason);

/// What PrepareStateFile found.
struct StateFile {
  bool usable = false;  ///< a regular file that may be opened; `reason` says why not
  std::string head;     ///< its first bytes, as many as were asked for; empty for an empty file
  std::string reason;
};

/// Makes `path` an empty file of mode 0600 unless something is there, and reads the first
/// `headSize` bytes of a file that was there. Opens without blocking, so that a pipe put in the
/// file's place cannot hang a login; anything but a regular file is not usable.
StateFile PrepareStateFile(const std::string& path, size_t headSize);

}  // namespace welcomer
