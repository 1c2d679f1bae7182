#include "tests/app/data_file.h"

#include "tests/support/temp_dir.h"

#include <bit>
#include <stdexcept>

namespace tovrel::test {

namespace {
constexpr size_t kTemplate = 1448;
}

std::vector<unsigned char> templateBytes() {
    std::vector<unsigned char> bytes = readFile(TOVREL_DATA_FILE);
    if (bytes.size() < kTemplate) {
        throw std::runtime_error("the shipped data file " TOVREL_DATA_FILE " is missing or short");
    }
    bytes.resize(kTemplate);
    return bytes;
}

std::vector<unsigned char> dataFileBytes(const std::vector<float>& entries) {
    std::vector<unsigned char> bytes = templateBytes();
    for (float entry : entries) {
        const auto bits = std::bit_cast<uint32_t>(entry);
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<unsigned char>((bits >> shift) & 0xFF));
        }
    }
    return bytes;
}

void writeDataFile(const std::filesystem::path& folder, const std::vector<float>& entries) {
    writeFile(folder / "kvxj.dll", dataFileBytes(entries));
}

std::vector<float> entriesOf(const std::vector<unsigned char>& bytes) {
    std::vector<float> entries;
    for (size_t at = kTemplate; at + 4 <= bytes.size(); at += 4) {
        uint32_t bits = 0;
        for (int k = 0; k < 4; ++k) {
            bits |= static_cast<uint32_t>(bytes[at + static_cast<size_t>(k)]) << (8 * k);
        }
        entries.push_back(std::bit_cast<float>(bits));
    }
    return entries;
}

} // namespace tovrel::test
