// Any bytes as the colour profile a picture carries: split into JPEG APP2
// "ICC_PROFILE" pieces, in any order and count, and assembled; and packed
// into a PNG's iCCP chunk, the PNG decoded into a store through a cache that
// converts to a CMYK press profile. Whatever the bytes, a well-formed result
// is what was given, a transform is built only from a profile LittleCMS
// opened, and a refused picture leaves nothing in the cache.
//
// Input: a count of pieces, then per piece its sequence number, its count
// and a length-prefixed body; the rest goes into the iCCP chunk as its
// compressed profile. Seeds (fuzz/corpus/embedded_profile/): a real profile
// in one and in three pieces.

#include "fuzz/fuzz_support.h"

#include "colour/embedded_profile.h"
#include "intake/picture_cache.h"

#include <zlib.h>

namespace tovrel::fuzz {
namespace {

namespace fs = std::filesystem;

void chunk(Bytes& png, const char* type, const Bytes& data) {
    for (int k = 3; k >= 0; --k) {
        png.push_back(uint8_t(data.size() >> (8 * k)));
    }
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    const uLong crc = crc32(0, png.data() + start, uInt(png.size() - start));
    for (int k = 3; k >= 0; --k) {
        png.push_back(uint8_t(crc >> (8 * k)));
    }
}

// A 1 x 1 RGB PNG whose iCCP chunk holds `compressed` as its profile.
Bytes pngWithIccp(std::string_view compressed) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    chunk(png, "IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0});
    Bytes iccp = {'p', 0, 0};
    iccp.insert(iccp.end(), compressed.begin(), compressed.end());
    chunk(png, "iCCP", iccp);
    const Bytes raw = {0, 10, 20, 30}; // filter byte, one pixel
    Bytes idat(compressBound(uLong(raw.size())));
    uLongf size = uLongf(idat.size());
    compress(idat.data(), &size, raw.data(), uLong(raw.size()));
    idat.resize(size);
    chunk(png, "IDAT", idat);
    chunk(png, "IEND", {});
    return png;
}

} // namespace
} // namespace tovrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tovrel;
    using namespace tovrel::fuzz;
    FuzzInput in(data, size);
    std::vector<Bytes> markers;
    Bytes whole;
    for (int n = in.byte() % 8; n > 0 && !in.empty(); --n) {
        const uint8_t sequence = in.byte(), count = in.byte();
        const std::string_view body = in.bytes(in.u16() % 4096);
        Bytes marker(std::begin("ICC_PROFILE"), std::end("ICC_PROFILE"));
        marker.insert(marker.end(), {sequence, count});
        marker.insert(marker.end(), body.begin(), body.end());
        markers.push_back(marker);
        whole.insert(whole.end(), body.begin(), body.end());
    }
    const EmbeddedProfile profile = jpegProfile(markers);
    FUZZ_CHECK(profile.kind != EmbeddedProfile::Kind::Srgb);
    FUZZ_CHECK(profile.kind != EmbeddedProfile::Kind::Icc ||
               (iccWellFormed(profile.bytes) && profile.bytes.size() <= whole.size()));
    FUZZ_CHECK(markers.empty() || profile.kind != EmbeddedProfile::Kind::None);

    static const Result<ColourPlan> press = [] {
        ColourSettings s;
        s.outputProfile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
        return colourPlanOf(s);
    }();
    FUZZ_CHECK(press);
    ColourPlan plan = press.value();
    const Result<PictureColour> colour = PictureColour::make(plan, profile, "p", false);
    FUZZ_CHECK(colour || profile.kind != EmbeddedProfile::Kind::None);

    const fs::path file = scratchFolder() / "picture.png";
    PictureCache cache(scratchFolder() / "cache", 32ULL << 20);
    cache.setColour(std::move(plan));
    writeBytes(file, pngWithIccp(in.rest()));
    const Result<fs::path> store = cache.storeFor(file, {});
    if (store) {
        FUZZ_CHECK(readBytes(store.value()).size() == 54 + 4 + 80);
        cache.removeAllBut({});
    }
    std::error_code ec;
    FUZZ_CHECK(!fs::exists(cache.folder(), ec) || fs::is_empty(cache.folder(), ec));
    return 0;
}
