#pragma once
// The frames of an animation or depth card, as a folder or a list of files
// gives them.

#include "common/status.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tovrel {

// Names in the order people count them: runs of digits compare by their
// value, so f2 comes before f10; otherwise byte by byte. Equal values with
// different zeros (f02, f2) fall back to the plain byte order, so the order is total.
bool naturalLess(std::string_view a, std::string_view b);

// The pictures of a folder (regular files with a picture extension, hidden
// files left out), full paths in natural order of their names.
Result<std::vector<std::string>> framesInFolder(const std::filesystem::path& folder);

} // namespace tovrel
