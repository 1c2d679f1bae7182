#pragma once
// Warnings that do not stop the work (a library's note on a picture it still
// decodes): written to standard error by default; a front end or a test may
// take them instead.

#include <functional>
#include <string>

namespace tovrel {

using WarningSink = std::function<void(const std::string&)>;

// Replaces where warnings go; an empty sink restores standard error.
void setWarningSink(WarningSink sink);

void logWarning(const std::string& text);

} // namespace tovrel
