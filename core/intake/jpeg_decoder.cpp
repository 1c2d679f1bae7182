// JPEG through libjpeg-turbo: baseline and progressive, grey and colour, the
// EXIF orientation and the resolution of the JFIF or EXIF header.

#include "common/warning_log.h"
#include "intake/exif_fields.h"
#include "intake/format_decoders.h"
#include "intake/picture_message.h"

#include <csetjmp>
#include <cstring>
#include <jpeglib.h>
#include <vector>

#include <jerror.h>

namespace tovrel {

namespace {

// Progressive pictures keep their coefficients in memory while they are
// decoded (2 bytes a sample); beyond this they are refused.
constexpr long kMaxLibraryMemory = 1024L << 20;

struct ErrorJump {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

class JpegDecoder final : public PictureDecoder {
  public:
    JpegDecoder(std::filesystem::path file, std::FILE* f) : file_(std::move(file)), f_(f) {}
    ~JpegDecoder() override {
        if (created_) {
            jpeg_destroy_decompress(&cinfo_);
        }
        std::fclose(f_);
    }
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    Status open();
    Status decode(DecodedRows& out) override;

  private:
    bool readHeader();
    bool start();
    bool readRow(uint8_t* row);
    bool finish();
    Status failure() const { return libraryFailure(file_, "JPEG", error_.message); }
    void readMarkers();

    static void onError(j_common_ptr cinfo) {
        auto* e = reinterpret_cast<ErrorJump*>(cinfo->err);
        cinfo->err->format_message(cinfo, e->message);
        std::longjmp(e->jump, 1);
    }
    // Warnings of damaged picture data (a file that ends early above all),
    // which would be decoded as grey, refuse the picture like errors. The
    // others (a newer JFIF revision, stray bytes between segments) leave a
    // picture the library decodes well: they are noted.
    static void onMessage(j_common_ptr cinfo, int level) {
        if (level >= 0) {
            return;
        }
        switch (cinfo->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_MUST_RESYNC:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
        case JWRN_NOT_SEQUENTIAL:
        case JWRN_BOGUS_PROGRESSION:
            onError(cinfo);
            break;
        default: {
            char text[JMSG_LENGTH_MAX];
            cinfo->err->format_message(cinfo, text);
            auto* self = static_cast<JpegDecoder*>(cinfo->client_data);
            logWarning("图片" + quotedPath(self->file_) + "：JPEG 库的提示：" + text);
        }
        }
    }

    std::filesystem::path file_;
    std::FILE* f_;
    jpeg_decompress_struct cinfo_{};
    ErrorJump error_{};
    bool created_ = false;
};

bool JpegDecoder::readHeader() {
    cinfo_.err = jpeg_std_error(&error_.mgr);
    error_.mgr.error_exit = onError;
    error_.mgr.emit_message = onMessage;
    if (setjmp(error_.jump)) {
        return false;
    }
    jpeg_create_decompress(&cinfo_);
    created_ = true;
    cinfo_.client_data = this;
    cinfo_.mem->max_memory_to_use = kMaxLibraryMemory;
    jpeg_stdio_src(&cinfo_, f_);
    jpeg_save_markers(&cinfo_, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&cinfo_, JPEG_APP0 + 2, 0xFFFF); // ICC profile pieces
    jpeg_read_header(&cinfo_, TRUE);
    return true;
}

bool JpegDecoder::start() {
    if (setjmp(error_.jump)) {
        return false;
    }
    const bool grey = cinfo_.jpeg_color_space == JCS_GRAYSCALE;
    cinfo_.out_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo_);
    return true;
}

bool JpegDecoder::readRow(uint8_t* row) {
    if (setjmp(error_.jump)) {
        return false;
    }
    JSAMPROW rows[1] = {row};
    return jpeg_read_scanlines(&cinfo_, rows, 1) == 1;
}

bool JpegDecoder::finish() {
    if (setjmp(error_.jump)) {
        return false;
    }
    jpeg_finish_decompress(&cinfo_);
    return true;
}

void JpegDecoder::readMarkers() {
    if (cinfo_.saw_JFIF_marker && (cinfo_.density_unit == 1 || cinfo_.density_unit == 2)) {
        info_.resolution = pixelsPerMetre(cinfo_.X_density, cinfo_.density_unit + 1);
    }
    std::vector<std::vector<uint8_t>> app2;
    for (jpeg_saved_marker_ptr m = cinfo_.marker_list; m != nullptr; m = m->next) {
        if (m->marker == JPEG_APP0 + 2) {
            app2.emplace_back(m->data, m->data + m->data_length);
        }
    }
    info_.profile = jpegProfile(app2);
    for (jpeg_saved_marker_ptr m = cinfo_.marker_list; m != nullptr; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length > 6 &&
            std::memcmp(m->data, "Exif\0\0", 6) == 0) {
            const ExifFields exif = readExifFields(m->data + 6, m->data_length - 6);
            info_.orientation = exif.orientation;
            if (info_.resolution == 0) {
                info_.resolution = exif.resolution;
            }
            break;
        }
    }
}

Status JpegDecoder::open() {
    if (!readHeader()) {
        return failure();
    }
    if (cinfo_.jpeg_color_space == JCS_CMYK || cinfo_.jpeg_color_space == JCS_YCCK) {
        return refusePicture(file_, "这是 CMYK 印刷色 JPEG，没有颜色配置文件无法准确换算成 RGB；"
                                    "请先在图像软件中转换为 RGB");
    }
    info_.width = static_cast<int32_t>(cinfo_.image_width);
    info_.height = static_cast<int32_t>(cinfo_.image_height);
    readMarkers();
    return Status::ok();
}

Status JpegDecoder::decode(DecodedRows& out) {
    if (!start()) {
        return failure();
    }
    const bool grey = cinfo_.output_components == 1;
    std::vector<uint8_t> row(static_cast<size_t>(info_.width) * 3);
    for (int32_t y = 0; y < info_.height; ++y) {
        if (!readRow(row.data())) {
            return failure();
        }
        if (grey) {
            // Spread each grey byte to three, from the right so none is overwritten.
            for (int32_t x = info_.width - 1; x >= 0; --x) {
                const uint8_t v = row[static_cast<size_t>(x)];
                std::memset(&row[static_cast<size_t>(x) * 3], v, 3);
            }
        }
        if (Status s = out.row(y, row.data()); !s) {
            return s;
        }
    }
    return finish() ? Status::ok() : failure();
}

} // namespace

DecoderResult openJpeg(const std::filesystem::path& file, std::FILE* f) {
    auto decoder = std::make_unique<JpegDecoder>(file, f);
    if (Status s = decoder->open(); !s) {
        return s;
    }
    return std::unique_ptr<PictureDecoder>(std::move(decoder));
}

} // namespace tovrel
