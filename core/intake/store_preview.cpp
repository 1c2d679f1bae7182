#include "intake/store_preview.h"

#include "params/posix_file.h"

#include <algorithm>
#include <fcntl.h>

namespace tovrel {

Result<std::vector<uint8_t>> shrinkRows(const std::filesystem::path& file, const RowLayout& rows,
                                        int32_t toW, int32_t toH) {
    const PosixFile f = PosixFile::open(file, O_RDONLY);
    if (!f.isOpen() || toW < 1 || toH < 1) {
        return Status::fail("无法读取解码缓存。");
    }
    const auto px = size_t(rows.pixelBytes);
    std::vector<uint8_t> out(size_t(toW) * size_t(toH) * px);
    std::vector<uint8_t> line(size_t(rows.width) * px);
    std::vector<uint64_t> sums(size_t(toW) * px);
    std::vector<uint64_t> counts(static_cast<size_t>(toW));
    std::vector<int32_t> column(size_t(rows.width));
    for (int32_t x = 0; x < rows.width; ++x) {
        column[size_t(x)] = static_cast<int32_t>(int64_t{x} * toW / rows.width);
    }
    int32_t target = 0;
    for (int32_t y = 0; y < rows.height; ++y) {
        const int64_t at = rows.dataOff + int64_t{rows.height - 1 - y} * rows.stride;
        if (f.readAt(line.data(), line.size(), at) != 0) {
            return Status::fail("无法读取解码缓存。");
        }
        for (int32_t x = 0; x < rows.width; ++x) {
            const size_t c = size_t(column[size_t(x)]);
            for (size_t k = 0; k < px; ++k) {
                sums[c * px + k] += line[size_t(x) * px + k];
            }
            ++counts[c];
        }
        const auto next = static_cast<int32_t>(int64_t{y + 1} * toH / rows.height);
        if (next == target && y + 1 < rows.height) {
            continue;
        }
        // Rows target .. next - 1 of the preview take the average so far.
        for (const int32_t end = std::min(std::max(next, target + 1), toH); target < end;
             ++target) {
            for (size_t c = 0; c < size_t(toW); ++c) {
                for (size_t k = 0; k < px; ++k) {
                    const uint64_t n = std::max<uint64_t>(counts[c], 1);
                    out[(size_t(target) * size_t(toW) + c) * px + k] =
                        static_cast<uint8_t>((sums[c * px + k] + n / 2) / n);
                }
            }
        }
        std::fill(sums.begin(), sums.end(), 0);
        std::fill(counts.begin(), counts.end(), 0);
    }
    return out;
}

} // namespace tovrel
