#include "pitch_reading/photo_image.h"

#include "intake/picture_decoder.h"
#include "intake/picture_file.h"

#include <algorithm>
#include <cmath>

namespace tovrel {

namespace {

constexpr int64_t kMaxPhotoPixels = 100'000'000;

// Rows in the stored orientation, put where the upright picture has them.
class GreyRows final : public DecodedRows {
  public:
    explicit GreyRows(const PictureInfo& info)
        : info_(info), image_(swapsSides(info.orientation) ? info.height : info.width,
                              swapsSides(info.orientation) ? info.width : info.height) {}

    Status row(int32_t y, const uint8_t* bgr) override { return pixels(y, 0, 1, bgr, info_.width); }
    Status pixels(int32_t y, int32_t x0, int32_t dx, const uint8_t* bgr, int32_t count) override {
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t* p = bgr + 3 * std::size_t(i);
            put(x0 + i * dx, y, 0.114f * p[0] + 0.587f * p[1] + 0.299f * p[2]);
        }
        return Status::ok();
    }
    GreyImage take() { return std::move(image_); }

  private:
    // EXIF orientations: where stored pixel (x, y) stands upright.
    void put(int32_t x, int32_t y, float v) {
        const int32_t w = info_.width;
        const int32_t h = info_.height;
        int32_t ux = x;
        int32_t uy = y;
        switch (info_.orientation) {
        case 2:
            ux = w - 1 - x;
            break;
        case 3:
            ux = w - 1 - x;
            uy = h - 1 - y;
            break;
        case 4:
            uy = h - 1 - y;
            break;
        case 5:
            ux = y;
            uy = x;
            break;
        case 6:
            ux = h - 1 - y;
            uy = x;
            break;
        case 7:
            ux = h - 1 - y;
            uy = w - 1 - x;
            break;
        case 8:
            ux = y;
            uy = w - 1 - x;
            break;
        default:
            break;
        }
        image_.at(ux, uy) = v;
    }

    PictureInfo info_;
    GreyImage image_;
};

} // namespace

double GreyImage::sample(double x, double y) const {
    const double fx = std::clamp(x - 0.5, 0.0, double(width - 1));
    const double fy = std::clamp(y - 0.5, 0.0, double(height - 1));
    const auto x0 = static_cast<int32_t>(fx);
    const auto y0 = static_cast<int32_t>(fy);
    const int32_t x1 = std::min(x0 + 1, width - 1);
    const int32_t y1 = std::min(y0 + 1, height - 1);
    const double ax = fx - x0;
    const double ay = fy - y0;
    const double top = at(x0, y0) * (1 - ax) + at(x1, y0) * ax;
    const double bottom = at(x0, y1) * (1 - ax) + at(x1, y1) * ax;
    return top * (1 - ay) + bottom * ay;
}

Result<GreyImage> readPhoto(const std::filesystem::path& file) {
    Result<OpenPicture> opened = openPictureFile(file);
    if (!opened) {
        return opened.status();
    }
    Result<std::unique_ptr<PictureDecoder>> decoder = openPicture(file, opened.value().file);
    if (!decoder) {
        return decoder.status();
    }
    const PictureInfo& info = decoder.value()->info();
    if (int64_t{info.width} * info.height > kMaxPhotoPixels) {
        return Status::fail("照片太大：最多一亿像素。");
    }
    GreyRows rows(info);
    if (Status decoded = decoder.value()->decode(rows); !decoded) {
        return decoded;
    }
    return rows.take();
}

} // namespace tovrel
