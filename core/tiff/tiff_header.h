#pragma once
// The header of an output file written into it: the container's bytes in
// front of and behind the pixel area, and the file made full length with the
// disk's room for all of it set aside.

#include "common/status.h"
#include "params/pitch_store.h"
#include "tiff/tiff_container.h"

#include <cstdint>
#include <filesystem>

namespace tovrel {

// Writes the container into out and makes the file exactly c.length() bytes
// long, its last pixel byte zero, with the disk's room for all of it set
// aside first. On failure a file it created is removed; a file that stood at
// out is unchanged when it could not be opened or the room for the new file
// could not be had, and may be changed by a later failure. Messages name
// shownAs when it is given: a run writes into a temporary file the user
// never chose, and is told about the output file instead.
Status writeTiffContainer(const std::filesystem::path& out, const TiffContainer& c,
                          const std::filesystem::path& shownAs = {});

// composeTiffContainer, then writeTiffContainer. Refuses sizes and templates
// it cannot describe before touching out.
Status writeTiffHeader(const std::filesystem::path& out, const TiffTemplate& tmpl, int32_t tifW,
                       int32_t tifH, float fbl, const std::filesystem::path& shownAs = {},
                       bool forceBigTiff = false, const OutputColour& colour = {});

// Adds the run's pitch to the data file when the list does not hold it yet.
Status recordPitch(PitchStore& store, float pitch);

} // namespace tovrel
