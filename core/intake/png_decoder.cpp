// PNG through libpng: every colour type and depth, Adam7 interlacing pass by
// pass, so that no more than a row of the picture is held in memory.

#include "common/warning_log.h"
#include "intake/format_decoders.h"
#include "intake/picture_message.h"
#include "intake/pixel_rules.h"

#include <csetjmp>
#include <cstring>
#include <png.h>
#include <vector>

namespace tovrel {

namespace {

class PngDecoder final : public PictureDecoder {
  public:
    PngDecoder(std::filesystem::path file, std::FILE* f) : file_(std::move(file)), f_(f) {}
    ~PngDecoder() override {
        if (png_ != nullptr) {
            png_destroy_read_struct(&png_, &pinfo_, nullptr);
        }
        std::fclose(f_);
    }
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;

    Status open();
    Status decode(DecodedRows& out) override;

  private:
    // Each library step runs under its own setjmp, with nothing on the stack
    // that a jump could skip the destructor of.
    bool readInfo();
    bool prepareRows(int& colours, bool& alpha, int& bits);
    bool readRow(uint8_t* row);
    bool readEnd();
    Status failure() const { return libraryFailure(file_, "PNG", message_); }

    static void onError(png_structp png, png_const_charp text) {
        auto* self = static_cast<PngDecoder*>(png_get_error_ptr(png));
        std::snprintf(self->message_, sizeof self->message_, "%s", text);
        png_longjmp(png, 1);
    }
    static void onWarning(png_structp png, png_const_charp text) {
        auto* self = static_cast<PngDecoder*>(png_get_error_ptr(png));
        logWarning("图片" + quotedPath(self->file_) + "：PNG 库的提示：" + text);
    }

    std::filesystem::path file_;
    std::FILE* f_;
    png_structp png_ = nullptr;
    png_infop pinfo_ = nullptr;
    char message_[200] = "";
};

bool PngDecoder::readInfo() {
    if (setjmp(png_jmpbuf(png_))) {
        return false;
    }
    png_init_io(png_, f_);
    png_read_info(png_, pinfo_);
    return true;
}

bool PngDecoder::prepareRows(int& colours, bool& alpha, int& bits) {
    if (setjmp(png_jmpbuf(png_))) {
        return false;
    }
    const int type = png_get_color_type(png_, pinfo_);
    if (type == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png_);
    }
    if (type == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png_, pinfo_) < 8) {
        png_set_expand_gray_1_2_4_to_8(png_);
    }
    if (png_get_valid(png_, pinfo_, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png_);
    }
    png_read_update_info(png_, pinfo_);
    const int channels = png_get_channels(png_, pinfo_);
    alpha = channels == 2 || channels == 4;
    colours = alpha ? channels - 1 : channels;
    bits = png_get_bit_depth(png_, pinfo_);
    return true;
}

bool PngDecoder::readRow(uint8_t* row) {
    if (setjmp(png_jmpbuf(png_))) {
        return false;
    }
    png_read_row(png_, row, nullptr);
    return true;
}

bool PngDecoder::readEnd() {
    if (setjmp(png_jmpbuf(png_))) {
        return false;
    }
    png_read_end(png_, nullptr);
    return true;
}

Status PngDecoder::open() {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, onError, onWarning);
    pinfo_ = png_ == nullptr ? nullptr : png_create_info_struct(png_);
    if (pinfo_ == nullptr) {
        return refusePicture(file_, "内存不足，无法读取 PNG 文件");
    }
    if (!readInfo()) {
        return failure();
    }
    info_.width = static_cast<int32_t>(png_get_image_width(png_, pinfo_));
    info_.height = static_cast<int32_t>(png_get_image_height(png_, pinfo_));
    png_uint_32 x = 0, y = 0;
    int unit = 0;
    if (png_get_pHYs(png_, pinfo_, &x, &y, &unit) != 0 && unit == PNG_RESOLUTION_METER) {
        info_.resolution = x > 0x7FFFFFFF ? 0 : static_cast<int32_t>(x);
    }
    // libpng inflates iCCP and checks its header; a chunk it cannot use is
    // dropped with a warning.
    png_charp name = nullptr;
    int compression = 0;
    png_bytep icc = nullptr;
    png_uint_32 iccBytes = 0;
    int intent = 0;
    if (png_get_iCCP(png_, pinfo_, &name, &compression, &icc, &iccBytes) != 0 && icc != nullptr) {
        info_.profile = embeddedIcc({icc, icc + iccBytes});
    } else if (png_get_sRGB(png_, pinfo_, &intent) != 0) {
        info_.profile.kind = EmbeddedProfile::Kind::Srgb;
    }
    return Status::ok();
}

Status PngDecoder::decode(DecodedRows& out) {
    int colours = 3, bits = 8;
    bool alpha = false;
    if (!prepareRows(colours, alpha, bits)) {
        return failure();
    }
    const int stride = colours + (alpha ? 1 : 0);
    std::vector<uint8_t> row(png_get_rowbytes(png_, pinfo_));
    std::vector<uint8_t> bgr(static_cast<size_t>(info_.width) * 3);
    const SampleRow samples{row.data(), colours, alpha, stride, bits, true, false, false};
    const auto w = static_cast<png_uint_32>(info_.width);
    const auto h = static_cast<png_uint_32>(info_.height);
    if (png_get_interlace_type(png_, pinfo_) == PNG_INTERLACE_NONE) {
        for (int32_t y = 0; y < info_.height; ++y) {
            if (!readRow(row.data())) {
                return failure();
            }
            samplesToBgr(samples, info_.width, bgr.data());
            if (Status s = out.row(y, bgr.data()); !s) {
                return s;
            }
        }
    } else {
        // Without libpng's interlace handling each pass comes as its own
        // small picture; its pixels go straight to their places.
        for (int pass = 0; pass < 7; ++pass) {
            const auto cols = static_cast<int32_t>(PNG_PASS_COLS(w, pass));
            const auto rows = static_cast<int32_t>(PNG_PASS_ROWS(h, pass));
            if (cols == 0 || rows == 0) {
                continue;
            }
            for (int32_t r = 0; r < rows; ++r) {
                if (!readRow(row.data())) {
                    return failure();
                }
                samplesToBgr(samples, cols, bgr.data());
                const int32_t y = PNG_PASS_START_ROW(pass) + (r << PNG_PASS_ROW_SHIFT(pass));
                if (Status s = out.pixels(y, PNG_PASS_START_COL(pass),
                                          1 << PNG_PASS_COL_SHIFT(pass), bgr.data(), cols);
                    !s) {
                    return s;
                }
            }
        }
    }
    return readEnd() ? Status::ok() : failure();
}

} // namespace

DecoderResult openPng(const std::filesystem::path& file, std::FILE* f) {
    auto decoder = std::make_unique<PngDecoder>(file, f);
    if (Status s = decoder->open(); !s) {
        return s;
    }
    return std::unique_ptr<PictureDecoder>(std::move(decoder));
}

} // namespace tovrel
