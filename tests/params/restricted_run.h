#pragma once
// Runs a piece of a test in a forked child whose writes are restricted the way
// a user meets them: without the rights of the folder's owner, or with the
// disk refusing to let files grow. The child's text comes back to the test.

#include <functional>
#include <optional>
#include <string>

#include <sys/types.h>

namespace tovrel::test {

// The user id the restricted child runs as when the tests run as root.
inline constexpr uid_t kOtherUser = 65534;

// Runs fn as an ordinary user (kOtherUser when the tests run as root, so that
// permission bits apply). Nothing when the child could not be started.
std::optional<std::string> runAsOrdinaryUser(const std::function<std::string()>& fn);

// Runs fn in a child that may not grow any file beyond maxBytes (writes past
// it fail with EFBIG, as on a full disk).
std::optional<std::string> runWithFileSizeLimit(off_t maxBytes,
                                                const std::function<std::string()>& fn);

// Gives path to the user runAsOrdinaryUser runs as.
void giveToOrdinaryUser(const std::string& path);

} // namespace tovrel::test
