#pragma once

#include <memory>

#include "client/DirectoryBackend.h"

namespace welcomer::client {

/// The backend that welcomer/directory.conf chooses: the embedded directory when there is no
/// file or it says `backend sqlite`, the organisation's LDAP directory for `backend ldap`. A file
/// that cannot be read or parsed gives a backend that serves no state, and a notice that says
/// why, rather than a guess.
std::unique_ptr<DirectoryBackend> CreateConfiguredBackend();

}  // namespace welcomer::client
