#pragma once
// Names derived from a file picked in the file list.

#include <string>

namespace tovrel {

// The picked file's full path: the folder, a "/" unless the folder already
// ends in one (the root folder "/"), and the file name.
std::string pickedPath(const std::string& folder, const std::string& fileName);

// A text without its last four characters (the ".bmp" of a listed file);
// characters, not bytes, so Chinese names keep whole characters.
std::string withoutExtension(const std::string& text);

// The output file proposed for a first picture: its path without the
// extension, "!" for a vertical or "-" for a horizontal flip, and ".tif".
std::string proposedOutputPath(const std::string& pickPath, bool horizontal);

} // namespace tovrel
