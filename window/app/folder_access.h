#pragma once
// Whether a folder can be listed, and the message that says why not.

#include <QString>

namespace tovrel {

// Empty when the folder exists and may be read; otherwise the message for the
// user.
QString folderListingProblem(const QString& folder);

} // namespace tovrel
