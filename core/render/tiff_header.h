#pragma once
// The header of an output file: the template from the data file, patched with
// the run's size and resolution, and the file made full length.

#include "common/status.h"
#include "params/pitch_store.h"

#include <array>
#include <cstdint>
#include <filesystem>

namespace tovrel {

// fbl pixels per inch as 16.16 fixed point, big-endian.
std::array<uint8_t, 4> resolutionBytes(float fbl);

// Refuses sizes and resolutions the header cannot describe.
Status checkHeaderLimits(int32_t tifW, int32_t tifH, float fbl);

// Writes the patched header into out and makes the file exactly
// 1449 + 3 * tifW * tifH bytes long, its last byte zero, with the disk's room
// for all of it set aside. Refuses sizes and templates it cannot describe
// before touching out. On failure a file it created is removed; a file that
// stood at out is unchanged when it could not be opened or the room for the
// new file could not be had, and may be changed by a later failure.
// Messages name shownAs when it is given: a run writes into a temporary file
// the user never chose, and is told about the output file instead.
Status writeTiffHeader(const std::filesystem::path& out, const TiffTemplate& tmpl, int32_t tifW,
                       int32_t tifH, float fbl, const std::filesystem::path& shownAs = {});

// Adds the run's pitch to the data file when the list does not hold it yet.
Status recordPitch(PitchStore& store, float pitch);

} // namespace tovrel
