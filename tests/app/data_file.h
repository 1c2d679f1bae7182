#pragma once
// Data files for window tests: a 1448-byte header template followed by
// little-endian float pitch entries.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace tovrel::test {

// The template of the shipped data file, which data files of the tests start
// with.
std::vector<unsigned char> templateBytes();

std::vector<unsigned char> dataFileBytes(const std::vector<float>& entries);
void writeDataFile(const std::filesystem::path& folder, const std::vector<float>& entries);

// The entries of a data file's bytes (everything after the template).
std::vector<float> entriesOf(const std::vector<unsigned char>& bytes);

} // namespace tovrel::test
