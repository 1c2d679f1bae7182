#pragma once
// Runs a piece of a test in a forked child whose writes are restricted the way
// a user meets them: without the rights of the folder's owner, with the disk
// refusing to let files grow, or on a disk that is full. The child's text comes
// back to the test.
//
// Each returns nothing when the restriction cannot be set up here (the test
// then skips). A child that crashes or exits on its own is reported as a
// failure of the running test, so a crash is never mistaken for a skip.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <sys/types.h>

namespace tovrel::test {

// The user id the restricted child runs as when the tests run as root.
inline constexpr uid_t kOtherUser = 65534;

// Runs fn as kOtherUser, to whom permission bits apply. Needs root: run as
// anyone else, the test's files would be the child's own.
std::optional<std::string> runAsOrdinaryUser(const std::function<std::string()>& fn);

// Runs fn in a child that may not grow any file beyond maxBytes (writes past
// it fail with EFBIG).
std::optional<std::string> runWithFileSizeLimit(off_t maxBytes,
                                                const std::function<std::string()>& fn);

// Runs fn in a child that sees an empty disk of diskBytes mounted over folder
// (a private tmpfs, invisible to the test itself): fn fills it and meets
// ENOSPC. Needs the right to mount, as root has.
std::optional<std::string> runOnSmallDisk(const std::filesystem::path& folder,
                                          std::size_t diskBytes,
                                          const std::function<std::string()>& fn);

// Gives path to the user runAsOrdinaryUser runs as.
void giveToOrdinaryUser(const std::string& path);

} // namespace tovrel::test
