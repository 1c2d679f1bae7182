#include "tests/params/data_file_maker.h"

#include "tests/support/temp_dir.h"

#include <bit>

namespace tovrel::test {

TiffTemplate patternTemplate() {
    TiffTemplate t;
    for (std::size_t i = 0; i < t.size(); ++i) {
        t[i] = static_cast<uint8_t>(i * 37 + 11);
    }
    return t;
}

std::array<uint8_t, 4> entryBytes(float value) {
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    return {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
            static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
}

std::vector<unsigned char> dataFileBytes(const TiffTemplate& tmpl,
                                         const std::vector<float>& entries,
                                         const std::vector<unsigned char>& tail) {
    std::vector<unsigned char> bytes(tmpl.begin(), tmpl.end());
    for (float e : entries) {
        const auto b = entryBytes(e);
        bytes.insert(bytes.end(), b.begin(), b.end());
    }
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

void writeDataFile(const std::filesystem::path& folder, const std::vector<float>& entries,
                   const std::vector<unsigned char>& tail) {
    writeFile(folder / "kvxj.dll", dataFileBytes(patternTemplate(), entries, tail));
}

std::filesystem::path shippedDataFile() {
    return TOVREL_DATA_FILE;
}

} // namespace tovrel::test
