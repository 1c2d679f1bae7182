#include "colour/embedded_profile.h"

#include <algorithm>
#include <cstring>

namespace tovrel {

namespace {

constexpr std::size_t kIccHeader = 128;
constexpr char kJpegSignature[] = "ICC_PROFILE"; // with its NUL, 12 bytes
constexpr std::size_t kJpegPrefix = 14;          // signature, sequence number, count

uint32_t be32(std::span<const uint8_t> b, std::size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 |
           uint32_t(b[at + 3]);
}
uint32_t le32(std::span<const uint8_t> b, std::size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

} // namespace

bool iccWellFormed(std::span<const uint8_t> bytes) {
    if (bytes.size() < kIccHeader + 4 || be32(bytes, 0) != bytes.size() ||
        std::memcmp(&bytes[36], "acsp", 4) != 0) {
        return false;
    }
    const uint64_t tags = be32(bytes, kIccHeader);
    if (tags == 0 || kIccHeader + 4 + tags * 12 > bytes.size()) {
        return false;
    }
    for (uint64_t i = 0; i < tags; ++i) {
        const std::size_t entry = kIccHeader + 4 + std::size_t(i) * 12;
        const uint64_t offset = be32(bytes, entry + 4);
        const uint64_t size = be32(bytes, entry + 8);
        if (offset < kIccHeader || offset + size > bytes.size()) {
            return false;
        }
    }
    return true;
}

EmbeddedProfile embeddedIcc(std::vector<uint8_t> bytes) {
    const bool good = iccWellFormed(bytes);
    return {good ? EmbeddedProfile::Kind::Icc : EmbeddedProfile::Kind::Corrupt, std::move(bytes)};
}

EmbeddedProfile jpegProfile(std::span<const std::vector<uint8_t>> app2) {
    std::vector<const std::vector<uint8_t>*> pieces;
    int count = 0;
    for (const std::vector<uint8_t>& marker : app2) {
        if (marker.size() < kJpegPrefix ||
            std::memcmp(marker.data(), kJpegSignature, sizeof kJpegSignature) != 0) {
            continue;
        }
        const int sequence = marker[12];
        const int total = marker[13];
        if (total == 0 || sequence == 0 || sequence > total || (count != 0 && total != count)) {
            return {EmbeddedProfile::Kind::Corrupt, {}};
        }
        count = total;
        pieces.resize(std::size_t(total), nullptr);
        if (pieces[std::size_t(sequence - 1)] != nullptr) {
            return {EmbeddedProfile::Kind::Corrupt, {}};
        }
        pieces[std::size_t(sequence - 1)] = &marker;
    }
    if (count == 0) {
        return {};
    }
    std::vector<uint8_t> bytes;
    for (const std::vector<uint8_t>* piece : pieces) {
        if (piece == nullptr) {
            return {EmbeddedProfile::Kind::Corrupt, {}};
        }
        bytes.insert(bytes.end(), piece->begin() + kJpegPrefix, piece->end());
    }
    return embeddedIcc(std::move(bytes));
}

EmbeddedProfile bmpProfile(std::span<const uint8_t> infoHeader, const ByteReader& read) {
    constexpr std::size_t kV5 = 124;
    constexpr uint32_t kSrgb = 0x73524742;     // 'sRGB'
    constexpr uint32_t kWindows = 0x57696E20;  // 'Win ', the system's own: sRGB
    constexpr uint32_t kEmbedded = 0x4D424544; // 'MBED'
    if (infoHeader.size() < kV5 || le32(infoHeader, 0) < kV5) {
        return {};
    }
    const uint32_t type = le32(infoHeader, 56);
    if (type == kSrgb || type == kWindows) {
        return {EmbeddedProfile::Kind::Srgb, {}};
    }
    if (type != kEmbedded) {
        return {}; // calibrated primaries or a linked file: taken as sRGB
    }
    const uint64_t at = 14 + uint64_t{le32(infoHeader, 112)};
    const uint32_t size = le32(infoHeader, 116);
    std::vector<uint8_t> bytes;
    if (size != 0 && size <= kMaxProfileBytes) {
        bytes.resize(size);
    }
    if (bytes.empty() || !read(at, bytes)) {
        return {EmbeddedProfile::Kind::Corrupt, {}};
    }
    return embeddedIcc(std::move(bytes));
}

} // namespace tovrel
