// Any bytes as a picture file: it is decoded into a row store as when the
// user chooses it. A decoded store must be a plain 24-bit BMP whose header
// reads back with the picture's size; a refused picture leaves nothing in the
// cache.
//
// Input: the whole file. Seeds (fuzz/corpus/picture_decode/) are small
// pictures of each format and variant, made with pnmtopng, cjpeg, ppm2tiff,
// tiffcp and by hand.

#include "fuzz/fuzz_support.h"

#include "intake/bmp_header.h"
#include "intake/picture_cache.h"

#include <filesystem>

namespace tovrel::fuzz {
namespace {

namespace fs = std::filesystem;

// Stores larger than this are refused like a full cache, so that a tiny
// input claiming a huge picture costs no more than a refusal.
constexpr uint64_t kCacheCap = 32ULL << 20;

bool folderEmpty(const fs::path& folder) {
    std::error_code ec;
    return !fs::exists(folder, ec) || fs::is_empty(folder, ec);
}

} // namespace
} // namespace tovrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tovrel;
    using namespace tovrel::fuzz;
    const fs::path file = scratchFolder() / "picture";
    const PictureCache cache(scratchFolder() / "cache", kCacheCap);
    writeBytes(file, Bytes(data, data + size));
    const Result<fs::path> store = cache.storeFor(file, {});
    if (store) {
        const Result<BmpHeader> header = readBmpHeader(store.value());
        FUZZ_CHECK(header);
        FUZZ_CHECK(header.value().DataOff == 54 && header.value().ImgW > 0 &&
                   header.value().ImgH > 0);
        cache.removeAllBut({});
    }
    FUZZ_CHECK(!store.message().empty() || store);
    FUZZ_CHECK(folderEmpty(cache.folder()));
    return 0;
}
