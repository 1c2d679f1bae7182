#pragma once
// Data files for tests: a recognisable template, then chosen entries and
// optionally some stray bytes at the end.

#include "params/pitch_store.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace tovrel::test {

// A template whose every byte differs from its neighbours, so any change to
// it shows.
TiffTemplate patternTemplate();

// The 4 bytes an entry is stored as.
std::array<uint8_t, 4> entryBytes(float value);

std::vector<unsigned char> dataFileBytes(const TiffTemplate& tmpl,
                                         const std::vector<float>& entries,
                                         const std::vector<unsigned char>& tail = {});

// Writes kvxj.dll into folder with patternTemplate() and the entries.
void writeDataFile(const std::filesystem::path& folder, const std::vector<float>& entries,
                   const std::vector<unsigned char>& tail = {});

// The path of the shipped data file made by the build.
std::filesystem::path shippedDataFile();

} // namespace tovrel::test
