#pragma once
// The colour profile a picture file carries, as its format stores it: JPEG
// APP2 "ICC_PROFILE" markers (a profile split over several, in sequence
// order), PNG iCCP or sRGB chunks, TIFF tag 34675, a BMP V5 header's
// embedded profile or LCS_sRGB. Only the bytes are gathered and checked for
// shape here; LittleCMS judges the content (colour_profile.h).

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace tovrel {

struct EmbeddedProfile {
    enum class Kind {
        None,   // no profile: taken as sRGB or as the profile the user assigns
        Srgb,   // marked as sRGB without a profile (PNG sRGB chunk, BMP LCS_sRGB)
        Icc,    // bytes holds the profile
        Corrupt // a profile is there but broken (missing pieces, bad header)
    };
    Kind kind = Kind::None;
    std::vector<uint8_t> bytes;
};

// Whether bytes have the shape of an ICC profile: a 128-byte header whose
// size field is the length, the "acsp" signature, and a tag table whose
// every tag lies inside.
bool iccWellFormed(std::span<const uint8_t> bytes);

// An embedded profile of these bytes: Icc when well formed, else Corrupt.
EmbeddedProfile embeddedIcc(std::vector<uint8_t> bytes);

// The profile of a JPEG file from the contents of its APP2 markers (each
// without the marker and length bytes), in file order. Markers that are not
// "ICC_PROFILE" are passed over; the pieces must number 1 to N once each,
// all saying N.
EmbeddedProfile jpegProfile(std::span<const std::vector<uint8_t>> app2);

// Reads `out.size()` bytes of the file at a position; false when it cannot.
using ByteReader = std::function<bool(uint64_t at, std::vector<uint8_t>& out)>;

// The largest embedded profile taken (real ones are below a few MB).
inline constexpr uint32_t kMaxProfileBytes = 64u << 20;

// The profile of a BMP file from its information header (from offset 14,
// as much of it as there is): a V5 header's LCS_sRGB or PROFILE_EMBEDDED
// (the profile at 14 + bV5ProfileData, read through `read`).
EmbeddedProfile bmpProfile(std::span<const uint8_t> infoHeader, const ByteReader& read);

} // namespace tovrel
