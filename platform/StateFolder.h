#pragma once

#include <string>

namespace welcomer {

/// The folder of the current user's state: $XDG_STATE_HOME/welcomer, where an unset, empty or
/// relative XDG_STATE_HOME stands for ~/.local/state (the home folder from $HOME, else from the
/// account database). Empty when there is no home folder either.
std::string StateFolderPath();

/// What PrepareStateFolder found.
enum class FolderState {
  kReady,    ///< the folder is there and the user's own
  kMissing,  ///< not there, and not to be made
  kRefused,  ///< not to be used; the reason says why
};

/// Gets the absolute `folder` ready for the user's state. Missing folders on the way are made
/// with mode 0700 when `create` says so. The folder itself must belong to the user (another user
/// could seed state there); when others or the group may write it, it is tightened to 0700.
/// Symbolic links on the way are followed only when they belong to the user or to root. The
/// reason, in plain words, says why a folder is refused.
FolderState PrepareStateFolder(const std::string& folder, bool create, std::string& reason);

/// What PrepareStateFile found.
struct StateFile {
  bool usable = false;  ///< a regular file of the user's that may be opened; else see `reason`
  std::string head;     ///< its first bytes, as many as were asked for; empty for an empty file
  std::string reason;
};

/// Makes `path` an empty file of mode 0600 when nothing is there and `create` says so, and
/// reads the first `headSize` bytes of a file that was there. A file that belongs to someone
/// else, is reached through a link of someone else, or is anything but a regular file is not
/// usable; one that the group or others may write is tightened to 0600. Opens without blocking,
/// so that a pipe put in the file's place cannot hang a login.
StateFile PrepareStateFile(const std::string& path, size_t headSize, bool create);

/// Makes a file of the user's that sits beside the state (a journal left behind) readable and
/// writable by the user alone; leaves anything else alone.
void TightenStateFile(const std::string& path);

}  // namespace welcomer
