#pragma once
// Names derived from a file picked in the file list.

#include <array>
#include <string>
#include <string_view>

namespace tovrel {

// The picked file's full path: the folder, a "/" unless the folder already
// ends in one (the root folder "/"), and the file name.
std::string pickedPath(const std::string& folder, const std::string& fileName);

// The extensions of the pictures the file list offers, in any case.
inline constexpr std::array<std::string_view, 6> kPictureExtensions{".bmp",  ".png", ".jpg",
                                                                    ".jpeg", ".tif", ".tiff"};

// Whether a file name ends in one of them, in any case.
bool hasPictureExtension(const std::string& name);

// A picture's name without its extension: for the new formats the whole
// extension (photo.jpeg gives photo); otherwise the last four characters,
// as for a listed ".bmp" file, counted in characters, not bytes, so Chinese
// names keep whole characters.
std::string withoutExtension(const std::string& text);

// The output file proposed for a first picture: its path without the
// extension as above, "!" for a vertical or "-" for a horizontal flip, and ".tif".
std::string proposedOutputPath(const std::string& pickPath, bool horizontal);

} // namespace tovrel
