#include "flip/gif_file.h"

#include "flip/gif_palette.h"

#include <gif_lib.h>
#include <memory>
#include <new>
#include <unordered_map>

namespace tovrel {

namespace {

int onWrite(GifFileType* gif, const GifByteType* data, int length) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(gif->UserData);
    try {
        bytes->insert(bytes->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        return 0; // giflib reports a failed write
    }
    return length;
}

Status gifFailure(int error) {
    const char* text = GifErrorString(error);
    return Status::fail(std::string("无法生成 GIF 动画：") + (text != nullptr ? text : "未知错误") +
                        "。");
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};
using GifWriter = std::unique_ptr<GifFileType, GifCloser>;

struct MapFree {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// Plays the frames in a loop: the application extension browsers know.
bool putLoop(GifFileType* gif) {
    static const GifByteType kName[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType kForever[] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof kName, kName) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof kForever, kForever) == GIF_OK &&
           EGifPutExtensionTrailer(gif) == GIF_OK;
}

// A frame of at most 256 colours keeps them exactly (flat artwork, text).
bool exactPalette(const ViewImage& image, ColorMapObject& map, std::vector<GifByteType>& indices) {
    std::unordered_map<uint32_t, GifByteType> index;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        const uint8_t* rgb = image.rgb.data() + 3 * i;
        const uint32_t key = uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
        auto [at, added] = index.try_emplace(key, GifByteType(index.size()));
        if (added) {
            if (index.size() > 256) {
                return false;
            }
            map.Colors[at->second] = {rgb[0], rgb[1], rgb[2]};
        }
        indices[i] = at->second;
    }
    return true;
}

// Other frames are reduced to 256 of their own colours.
void reducedPalette(const ViewImage& image, ColorMapObject& map,
                    std::vector<GifByteType>& indices) {
    ReducedFrame reduced = reduceColours(image);
    for (std::size_t i = 0; i < reduced.palette.size(); ++i) {
        const PaletteColour& c = reduced.palette[i];
        map.Colors[i] = {c.r, c.g, c.b};
    }
    indices = std::move(reduced.indices);
}

Status putFrame(GifFileType* gif, const ViewImage& image, int32_t delay) {
    const std::size_t pixels = std::size_t(image.width) * std::size_t(image.height);
    std::vector<GifByteType> indices(pixels);
    std::unique_ptr<ColorMapObject, MapFree> map(GifMakeMapObject(256, nullptr));
    if (!map) {
        return gifFailure(E_GIF_ERR_NOT_ENOUGH_MEM);
    }
    if (!exactPalette(image, *map, indices)) {
        reducedPalette(image, *map, indices);
    }
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.DelayTime = delay;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const std::size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) !=
            GIF_OK ||
        EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, map.get()) != GIF_OK ||
        EGifPutLine(gif, indices.data(), static_cast<int>(pixels)) != GIF_OK) {
        return gifFailure(gif->Error);
    }
    return Status::ok();
}

} // namespace

Result<std::vector<uint8_t>> encodeGif(int32_t frames, int32_t delayCentiseconds,
                                       const std::function<Result<ViewImage>(int32_t)>& frame) {
    std::vector<uint8_t> bytes;
    int error = 0;
    GifWriter gif(EGifOpen(&bytes, onWrite, &error));
    if (!gif) {
        return gifFailure(error);
    }
    EGifSetGifVersion(gif.get(), true);
    for (int32_t i = 0; i < frames; ++i) {
        Result<ViewImage> image = frame(i);
        if (!image) {
            return image.status();
        }
        if (i == 0 && (EGifPutScreenDesc(gif.get(), image.value().width, image.value().height, 8, 0,
                                         nullptr) != GIF_OK ||
                       !putLoop(gif.get()))) {
            return gifFailure(gif->Error);
        }
        if (Status put = putFrame(gif.get(), image.value(), delayCentiseconds); !put) {
            return put;
        }
    }
    // Closing writes the trailer.
    GifFileType* open = gif.release();
    if (EGifCloseFile(open, &error) != GIF_OK) {
        return gifFailure(error);
    }
    return bytes;
}

} // namespace tovrel
