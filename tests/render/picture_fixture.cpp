#include "tests/render/picture_fixture.h"

#include "intake/bmp_layout.h"
#include "intake/common_frame.h"
#include "tests/support/bmp_file.h"
#include "tests/support/temp_dir.h"

#include <QImage>
#include <algorithm>
#include <stdexcept>
#include <string>

namespace tovrel::test {

Rgb sourceColour(int32_t n, int32_t column, int32_t storedRow) {
    // Beyond picture 6 red wraps (n and n + 32 share it): green tells them apart.
    const int32_t frameShift = n > 6 ? 97 * n : 0;
    return Rgb{static_cast<uint8_t>(40 * n + 1 + (column / 256 + 3 * (storedRow / 256)) % 39),
               static_cast<uint8_t>((storedRow + frameShift) % 256),
               static_cast<uint8_t>(column % 256)};
}

namespace {

void writeHandBuilt(const std::filesystem::path& file, int32_t n, const TestPicture& picture) {
    BmpFields fields;
    fields.width = picture.width;
    fields.height = picture.height;
    fields.infoBytes = picture.dataOffset >= 138 ? 124 : 40;
    std::vector<unsigned char> bytes = bmpFile(fields);
    // Junk between the headers and the pixels when they start later.
    const std::size_t headers = 14 + fields.infoBytes;
    bytes.insert(bytes.begin() + std::ptrdiff_t(headers), std::size_t(picture.dataOffset) - headers,
                 0xEE);
    putLE32(bytes, 10, uint32_t(picture.dataOffset));
    const int32_t stride = rowStride(picture.width);
    for (int32_t row = 1; row <= picture.height; ++row) {
        for (int32_t column = 1; column <= picture.width; ++column) {
            const Rgb c = sourceColour(n, column, row);
            const std::size_t at = std::size_t(picture.dataOffset) + std::size_t(row - 1) * stride +
                                   std::size_t(column - 1) * 3;
            bytes[at] = c.b;
            bytes[at + 1] = c.g;
            bytes[at + 2] = c.r;
        }
    }
    const int64_t keep = static_cast<int64_t>(bytes.size()) + picture.tailBytes;
    bytes.resize(std::size_t(std::max<int64_t>(keep, 0)), 0xCD);
    putLE32(bytes, 2, uint32_t(bytes.size()));
    writeFile(file, bytes);
}

void writeWithQt(const std::filesystem::path& file, int32_t n, const TestPicture& picture) {
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    for (int32_t row = 1; row <= picture.height; ++row) {
        for (int32_t column = 1; column <= picture.width; ++column) {
            const Rgb c = picture.solid.value_or(sourceColour(n, column, row));
            image.setPixel(column - 1, picture.height - row, qRgb(c.r, c.g, c.b));
        }
    }
    if (!image.save(QString::fromStdString(file.string()), "BMP")) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

} // namespace

void writePicture(const std::filesystem::path& file, int32_t n, const TestPicture& picture) {
    if (picture.handBuilt) {
        writeHandBuilt(file, n, picture);
    } else {
        writeWithQt(file, n, picture);
    }
}

void choosePictures(JobState& job, const std::filesystem::path& folder,
                    const std::vector<TestPicture>& pictures, const PictureCache* cache) {
    const auto count = static_cast<int32_t>(pictures.size());
    job.ViewCount = static_cast<uint8_t>(count);
    job.Views = static_cast<float>(count);
    AnchorTexts x, y;
    for (int32_t n = 1; n <= count; ++n) {
        const TestPicture& picture = pictures[std::size_t(n - 1)];
        const std::filesystem::path file = folder / ("pic" + std::to_string(n) + ".bmp");
        writePicture(file, n, picture);
        job.InPath(n) = file.string();
        x[std::size_t(n - 1)] = std::to_string(picture.anchorX);
        y[std::size_t(n - 1)] = std::to_string(picture.anchorY);
    }
    const SlotArray<double> offY = readAnchors(job, x, y);
    for (int32_t n = 1; n <= count; ++n) {
        if (const Status read = readSlotHeader(job, n, cache); !read) {
            throw std::runtime_error(read.message());
        }
    }
    computeCommonFrame(job, offY);
}

Rgb frameColour(const JobState& job, int32_t n, int32_t x, int32_t y) {
    const int64_t rowStart =
        int64_t{job.FramePos(n)} - 1 - job.DataOff(n) - (int64_t{job.FrameCol(n)} - 1) * 3;
    const int64_t row = rowStart / job.ImgStride(n) + y;
    return sourceColour(n, job.FrameCol(n) + x - 1, static_cast<int32_t>(row));
}

} // namespace tovrel::test
