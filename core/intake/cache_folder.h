#pragma once
// The folder of the decoded-picture cache: the user's own, never a shared
// one, since stores named there are read back as the pictures of a print.

#include "common/status.h"
#include "params/posix_file.h"

#include <filesystem>

namespace tovrel {

// $XDG_CACHE_HOME/tovrel when that is an absolute path, else
// ~/.cache/tovrel from HOME, else from the password database (arguments may
// be null); empty when there is no home at all.
std::filesystem::path cacheFolderFrom(const char* xdgCacheHome, const char* home);

// The folder opened (O_DIRECTORY, not following a link) and checked: a
// folder, owned by the user, not writable by group or others. With `create`
// it is made first, mode 0700, with its missing parents.
Result<PosixFile> openCacheFolder(const std::filesystem::path& folder, bool create);

} // namespace tovrel
