#include "tests/render/picture_fixture.h"

#include "intake/bmp_layout.h"
#include "render/run_checks.h"
#include "tests/support/temp_dir.h"

#include <QImage>
#include <algorithm>
#include <stdexcept>
#include <string>

namespace tovrel::test {

Rgb sourceColour(int32_t n, int32_t column, int32_t storedRow) {
    return Rgb{static_cast<uint8_t>(40 * n + 1 + (column / 256 + 3 * (storedRow / 256)) % 39),
               static_cast<uint8_t>(storedRow % 256), static_cast<uint8_t>(column % 256)};
}

namespace {

void putLong(std::vector<unsigned char>& bytes, std::size_t at, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        bytes[at + std::size_t(i)] = static_cast<unsigned char>(u >> (8 * i));
    }
}

void writeHandBuilt(const std::filesystem::path& file, int32_t n, const PictureSpec& spec) {
    const int32_t stride = rowStride(spec.width);
    // A 124-byte information header when the pixels start at 138 or later,
    // else a 40-byte one; any gap before the pixels is junk.
    std::vector<unsigned char> bytes(std::size_t(spec.dataOffset), 0xEE);
    bytes[0] = 'B';
    bytes[1] = 'M';
    putLong(bytes, 10, spec.dataOffset);
    putLong(bytes, 14, spec.dataOffset >= 138 ? 124 : 40);
    putLong(bytes, 18, spec.width);
    putLong(bytes, 22, spec.height);
    bytes[26] = 1;
    bytes[27] = 0;
    bytes[28] = 24;
    bytes[29] = 0;
    putLong(bytes, 30, 0);
    putLong(bytes, 38, 2835);
    for (int32_t row = 1; row <= spec.height; ++row) {
        for (int32_t column = 1; column <= spec.width; ++column) {
            const Rgb c = sourceColour(n, column, row);
            bytes.insert(bytes.end(), {c.b, c.g, c.r});
        }
        bytes.insert(bytes.end(), std::size_t(stride - spec.width * 3), 0xAB);
    }
    // The last row's pad bytes count as part of the tail.
    const auto pad = static_cast<int64_t>(stride - spec.width * 3);
    const int64_t keep = static_cast<int64_t>(bytes.size()) - pad + spec.tailBytes;
    bytes.resize(std::size_t(std::max<int64_t>(keep, 0)), 0xCD);
    putLong(bytes, 2, static_cast<int32_t>(bytes.size()));
    writeFile(file, bytes);
}

void writeWithQt(const std::filesystem::path& file, int32_t n, const PictureSpec& spec) {
    QImage image(spec.width, spec.height, QImage::Format_RGB32);
    for (int32_t row = 1; row <= spec.height; ++row) {
        for (int32_t column = 1; column <= spec.width; ++column) {
            const Rgb c = sourceColour(n, column, row);
            image.setPixel(column - 1, spec.height - row, qRgb(c.r, c.g, c.b));
        }
    }
    if (!image.save(QString::fromStdString(file.string()), "BMP")) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

int32_t readLong(const std::vector<unsigned char>& bytes, std::size_t at) {
    uint32_t u = 0;
    for (int i = 3; i >= 0; --i) {
        u = (u << 8) | bytes.at(at + std::size_t(i));
    }
    return static_cast<int32_t>(u);
}

} // namespace

void writePicture(const std::filesystem::path& file, int32_t n, const PictureSpec& spec) {
    if (spec.handBuilt) {
        writeHandBuilt(file, n, spec);
    } else {
        writeWithQt(file, n, spec);
    }
}

void choosePictures(JobState& job, const std::filesystem::path& folder,
                    const std::vector<PictureSpec>& specs) {
    const auto count = static_cast<int32_t>(specs.size());
    job.ViewCount = static_cast<uint8_t>(count);
    job.Views = static_cast<float>(count);
    int32_t left = 0, right = 0, top = 0, bottom = 0;
    for (int32_t n = 1; n <= count; ++n) {
        const PictureSpec& spec = specs[std::size_t(n - 1)];
        const std::filesystem::path file = folder / ("pic" + std::to_string(n) + ".bmp");
        writePicture(file, n, spec);
        const std::vector<unsigned char> header = readFile(file);
        job.InPath(n) = file.string();
        job.DataOff(n) = readLong(header, 10);
        job.ImgW(n) = readLong(header, 18);
        job.ImgH(n) = readLong(header, 22);
        job.ImgStride(n) = rowStride(job.ImgW(n));
        const int32_t fromLeft = spec.anchorX, toRight = job.ImgW(n) - spec.anchorX;
        const int32_t fromTop = spec.anchorY, toBottom = job.ImgH(n) - spec.anchorY;
        left = n == 1 ? fromLeft : std::min(left, fromLeft);
        right = n == 1 ? toRight : std::min(right, toRight);
        top = n == 1 ? fromTop : std::min(top, fromTop);
        bottom = n == 1 ? toBottom : std::min(bottom, toBottom);
    }
    job.BaseW = left + right;
    job.BaseH = top + bottom;
    for (int32_t n = 1; n <= count; ++n) {
        const PictureSpec& spec = specs[std::size_t(n - 1)];
        job.FrameCol(n) = spec.anchorX - left + 1;
        const int32_t frameRow = job.ImgH(n) - spec.anchorY - bottom + 1;
        job.FramePos(n) =
            job.DataOff(n) + (frameRow - 1) * job.ImgStride(n) + (job.FrameCol(n) - 1) * 3 + 1;
    }
}

Rgb frameColour(const JobState& job, int32_t n, int32_t x, int32_t y) {
    const int64_t row = frameRow(job, n).value() + y - 1;
    return sourceColour(n, job.FrameCol(n) + x - 1, static_cast<int32_t>(row));
}

} // namespace tovrel::test
