#include "intake/store_identity.h"

#include "intake/bmp_layout.h"

#include <cstdio>
#include <cstring>

namespace fs = std::filesystem;

namespace tovrel {

uint64_t fnv1a(uint64_t h, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        h = (h ^ p[i]) * 0x100000001B3ULL;
    }
    return h;
}

namespace {

constexpr char kMagic[8] = {'T', 'O', 'V', 'R', 'E', 'L', 'I', 'D'};
constexpr int64_t kHeaderBytes = 54;

uint32_t le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

} // namespace

StoreRecord storeRecord(const struct stat& st, const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    const std::string& name = ec ? path.native() : absolute.native();
    const uint64_t fields[9] = {
        uint64_t(st.st_dev),          uint64_t(st.st_ino),
        uint64_t(st.st_size),         uint64_t(st.st_mtim.tv_sec),
        uint64_t(st.st_mtim.tv_nsec), uint64_t(st.st_ctim.tv_sec),
        uint64_t(st.st_ctim.tv_nsec), fnv1a(kFnvStart, name.data(), name.size()),
        uint64_t(name.size())};
    StoreRecord r{};
    std::memcpy(r.data(), kMagic, sizeof kMagic);
    for (size_t i = 0; i < 9; ++i) {
        for (size_t b = 0; b < 8; ++b) {
            r[sizeof kMagic + i * 8 + b] = static_cast<uint8_t>(fields[i] >> (8 * b));
        }
    }
    return r;
}

std::string storeNameOf(const StoreRecord& record, uint64_t colourKey) {
    char name[48];
    const auto source =
        static_cast<unsigned long long>(fnv1a(kFnvStart, record.data(), record.size()));
    if (colourKey == 0) {
        std::snprintf(name, sizeof name, "%016llx.bmp", source);
    } else {
        std::snprintf(name, sizeof name, "%016llx-%016llx.bmp", source,
                      static_cast<unsigned long long>(colourKey));
    }
    return name;
}

bool storeCarries(const PosixFile& store, const StoreRecord& record) {
    uint8_t h[kHeaderBytes];
    struct stat st {};
    if (store.readAt(h, sizeof h, 0) != 0 || store.status(st) != 0) {
        return false;
    }
    const int64_t width = static_cast<int32_t>(le32(&h[18]));
    const int64_t height = static_cast<int32_t>(le32(&h[22]));
    const int32_t px = h[28] == 32 ? 4 : 3; // CMYK stores have 4 bytes a pixel
    if (h[0] != 'B' || h[1] != 'M' || width <= 0 || height <= 0 || width > (INT32_MAX - 3) / px) {
        return false;
    }
    const int64_t at =
        int64_t{le32(&h[10])} + int64_t{rowStride(static_cast<int32_t>(width), px)} * height;
    StoreRecord found{};
    return st.st_size == at + kStoreRecordBytes &&
           store.readAt(found.data(), found.size(), static_cast<off_t>(at)) == 0 && found == record;
}

std::optional<bool> storeBelongsTo(const PosixFile& store, const fs::path& source) {
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return storeCarries(store, storeRecord(st, source));
}

} // namespace tovrel
