#include "flip/png_file.h"

#include <csetjmp>
#include <cstring>
#include <new>
#include <png.h>

namespace tovrel {

namespace {

// libpng reports errors through these and a long jump back into encodeRows;
// nothing is printed.
struct PngOutput {
    std::vector<uint8_t> bytes;
    char error[200] = {};
};

void onError(png_structp png, png_const_charp message) {
    auto* output = static_cast<PngOutput*>(png_get_error_ptr(png));
    std::strncpy(output->error, message, sizeof output->error - 1);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void onWrite(png_structp png, png_bytep data, std::size_t length) {
    auto* output = static_cast<PngOutput*>(png_get_io_ptr(png));
    bool full = false;
    try {
        output->bytes.insert(output->bytes.end(), data, data + length);
    } catch (const std::bad_alloc&) {
        full = true;
    }
    // The jump leaves from outside the handler: jumping out of one is undefined.
    if (full) {
        png_error(png, "out of memory");
    }
}

void onFlush(png_structp) {}

// Between setjmp and the jump back no object with a destructor lives here.
bool encodeRows(png_structp png, png_infop info, const ViewImage& image, PngOutput& output) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_write_fn(png, &output, onWrite, onFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t rowBytes = 3 * std::size_t(image.width);
    for (int32_t y = 0; y < image.height; ++y) {
        png_write_row(png, image.rgb.data() + rowBytes * std::size_t(y));
    }
    png_write_end(png, info);
    return true;
}

} // namespace

Result<std::vector<uint8_t>> encodePng(const ViewImage& image) {
    PngOutput output;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &output, onError, onWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    const bool done = info != nullptr && encodeRows(png, info, image, output);
    png_destroy_write_struct(&png, &info);
    if (!done) {
        return Status::fail(std::string("无法生成 PNG 图片：") +
                            (output.error[0] != 0 ? output.error : "内存不足") + "。");
    }
    return std::move(output.bytes);
}

} // namespace tovrel
