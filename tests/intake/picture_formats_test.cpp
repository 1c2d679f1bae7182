// Pictures in every accepted format and variant give the run a 24-bit BMP of
// the same pixels gives; broken pictures are refused with their reason and
// leave nothing behind.

#include "intake/common_frame.h"
#include "intake/picture_cache.h"
#include "intake/store_preview.h"
#include "render/interlace_engine.h"
#include "tests/intake/picture_variants.h"
#include "tests/params/data_file_maker.h"
#include "tests/render/engine_fixture.h"
#include "tests/support/bmp_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"
#include "tools/batch_setup.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;

class PictureFormats : public ::testing::Test {
  protected:
    // Runs the batch tool's job on the pictures; the output's bytes.
    std::vector<unsigned char> run(const std::vector<std::string>& pictures,
                                   const std::string& out) {
        std::vector<std::string> args{
            "--pitch", "0.5",      "--sharpness", "2",  "--width",
            "2",       "--height", "1.5",         "-o", (dir / out).string()};
        args.insert(args.end(), pictures.begin(), pictures.end());
        Result<BatchRun> batch =
            prepareBatchRun(parseBatchOptions(args).value(), dir.path(), cache);
        EXPECT_TRUE(batch) << batch.message();
        if (!batch) {
            return {};
        }
        RunRecord record;
        const RunResult done =
            runInterlace(batch.value().job, batch.value().settings, recordingHooks(record));
        EXPECT_EQ(done.outcome, RunOutcome::Done) << done.status.message();
        EXPECT_TRUE(readTiff(dir / out, true).complaints.empty());
        return readFile(dir / out);
    }

    std::vector<fs::path> cacheFiles() const {
        std::vector<fs::path> out;
        if (fs::exists(cache.folder())) {
            for (const auto& e : fs::directory_iterator(cache.folder())) {
                out.push_back(e.path().filename());
            }
        }
        return out;
    }

    TempDir dir;
    PictureCache cache{dir / "cache"};
};

TEST_F(PictureFormats, EveryVariantRunsAsABmpOfItsPixels) {
    QImage other(29, 31, QImage::Format_RGB888);
    other.fill(QColor(10, 200, 90));
    ASSERT_TRUE(other.save(QString::fromStdString((dir / "other.bmp").string()), "BMP"));
    for (const PictureVariant& variant : pictureVariants()) {
        SCOPED_TRACE(variant.name);
        QImage expected;
        const fs::path file = variant.make(dir.path(), expected);
        const fs::path reference = dir / (variant.name + "-expected.bmp");
        ASSERT_TRUE(expected.save(QString::fromStdString(reference.string()), "BMP"));
        const std::vector<unsigned char> decoded =
            run({file.string(), (dir / "other.bmp").string()}, variant.name + "!.tif");
        ASSERT_FALSE(decoded.empty());
        EXPECT_EQ(decoded,
                  run({reference.string(), (dir / "other.bmp").string()}, "reference.tif"));

        // The slot describes the upright picture through its store.
        JobState job;
        job.InPath(1) = file.string();
        ASSERT_TRUE(readSlotHeader(job, 1, &cache));
        EXPECT_EQ(job.ImgW(1), expected.width());
        EXPECT_EQ(job.ImgH(1), expected.height());
        EXPECT_EQ(job.DataOff(1), 54);
        EXPECT_EQ(fs::path(job.RowPath(1)).parent_path(), cache.folder());

        // Its preview: the top and the bottom half averaged to one pixel each.
        const RowLayout rows{job.ImgW(1), job.ImgH(1), job.DataOff(1), job.ImgStride(1)};
        const Result<std::vector<uint8_t>> preview = shrinkRows(job.RowPath(1), rows, 1, 2);
        ASSERT_TRUE(preview);
        for (int half = 0; half < 2; ++half) {
            const int top = half == 0 ? 0 : (expected.height() + 1) / 2;
            const int end = half == 0 ? top + (expected.height() + 1) / 2 : expected.height();
            const int64_t n = int64_t{end - top} * expected.width();
            int64_t sum[3] = {};
            for (int y = top; y < end; ++y) {
                for (int x = 0; x < expected.width(); ++x) {
                    const QRgb p = expected.pixel(x, y);
                    sum[0] += qBlue(p), sum[1] += qGreen(p), sum[2] += qRed(p);
                }
            }
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(preview.value()[size_t(half * 3 + k)], (sum[k] + n / 2) / n) << half;
            }
        }
    }
    // The plain 24-bit BMP is read in place.
    JobState job;
    job.InPath(1) = (dir / "other.bmp").string();
    ASSERT_TRUE(readSlotHeader(job, 1, &cache));
    EXPECT_EQ(job.RowPath(1), "");
}

// Resolution in pixels per metre from each format's own fields.
TEST_F(PictureFormats, ResolutionOfEachFormat) {
    QImage img(8, 4, QImage::Format_RGB888);
    img.fill(Qt::white);
    img.setDotsPerMeterX(3780);
    const std::string ppm = (dir / "p.ppm").string();
    ASSERT_TRUE(img.save(QString::fromStdString((dir / "p.png").string()), "PNG"));
    ASSERT_TRUE(img.save(QString::fromStdString(ppm), "PPM"));
    ASSERT_TRUE(shell("cjpeg " + ppm + " > " + (dir / "p.jpg").string()));
    // JFIF density: unit byte at 13, horizontal density at 14 (big-endian).
    std::vector<unsigned char> jfif = readFile(dir / "p.jpg");
    jfif[13] = 1, jfif[14] = 0, jfif[15] = 150;
    writeFile(dir / "dpi.jpg", jfif);
    jfif[13] = 2, jfif[15] = 40;
    writeFile(dir / "dpcm.jpg", jfif);
    writeFile(dir / "exif.jpg", withExifOrientation(readFile(dir / "p.jpg"), 1));
    ASSERT_TRUE(shell("ppm2tiff -R 300 " + ppm + " " + (dir / "p.tif").string()));
    const std::pair<const char*, int32_t> rows[] = {{"p.png", 3780},    {"dpi.jpg", 5906},
                                                    {"dpcm.jpg", 4000}, {"exif.jpg", 2835},
                                                    {"p.jpg", 0},       {"p.tif", 11811}};
    for (const auto& [name, resolution] : rows) {
        JobState job;
        job.InPath(1) = (dir / name).string();
        ASSERT_TRUE(readSlotHeader(job, 1, &cache)) << name;
        EXPECT_EQ(job.ImgRes(1), resolution) << name;
    }
}

void putBE32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) {
        b[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
    }
}

std::vector<unsigned char> pngChunk(const char* type, const std::vector<unsigned char>& data) {
    std::vector<unsigned char> c(4);
    putBE32(c, 0, uint32_t(data.size()));
    c.insert(c.end(), type, type + 4);
    c.insert(c.end(), data.begin(), data.end());
    const uLong crc = crc32(0, c.data() + 4, uInt(c.size() - 4));
    c.resize(c.size() + 4);
    putBE32(c, c.size() - 4, uint32_t(crc));
    return c;
}

// A PNG that claims 100000 x 100000 pixels in a few bytes of zeros.
std::vector<unsigned char> pngBomb() {
    std::vector<unsigned char> ihdr(13);
    putBE32(ihdr, 0, 100000);
    putBE32(ihdr, 4, 100000);
    ihdr[8] = 8, ihdr[9] = 2;
    std::vector<unsigned char> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const auto& c :
         {pngChunk("IHDR", ihdr), pngChunk("IDAT", {0x78, 0x9C, 3, 0}), pngChunk("IEND", {})}) {
        out.insert(out.end(), c.begin(), c.end());
    }
    return out;
}

TEST_F(PictureFormats, BrokenPicturesAreRefusedWithTheirReason) {
    QImage img(64, 48, QImage::Format_RGB888);
    img.fill(QColor(1, 2, 3));
    ASSERT_TRUE(img.save(QString::fromStdString((dir / "good.png").string()), "PNG"));
    ASSERT_TRUE(img.save(QString::fromStdString((dir / "good.ppm").string()), "PPM"));
    ASSERT_TRUE(
        shell("cjpeg " + (dir / "good.ppm").string() + " > " + (dir / "good.jpg").string()));
    ASSERT_TRUE(shell("ppm2tiff -c lzw " + (dir / "good.ppm").string() + " " +
                      (dir / "good.tif").string()));
    const auto png = readFile(dir / "good.png"), jpg = readFile(dir / "good.jpg");
    const auto tif = readFile(dir / "good.tif");
    auto cut = [](std::vector<unsigned char> b, size_t n) {
        b.resize(n);
        return b;
    };
    auto flipped = [](std::vector<unsigned char> b, size_t at) {
        b[at] ^= 0x55;
        return b;
    };
    // An RLE8 picture of four rows whose code ends in the second.
    std::vector<unsigned char> rle(54 + 8, 0);
    rle[0] = 'B', rle[1] = 'M';
    putLE32(rle, 10, 62), putLE32(rle, 14, 40), putLE32(rle, 18, 4), putLE32(rle, 22, 4);
    putLE16(rle, 26, 1), putLE16(rle, 28, 8), putLE32(rle, 30, 1), putLE32(rle, 46, 2);
    rle.insert(rle.end(), {4, 1, 0, 0, 4, 1});
    struct Row {
        const char* name;
        std::vector<unsigned char> bytes;
        const char* reason;
    };
    const Row rows[] = {
        {"empty.png", {}, "文件是空的"},
        {"text.jpg", {'h', 'e', 'l', 'l', 'o'}, "不是 BMP、PNG、JPEG 或 TIFF"},
        {"header.png", cut(png, 20), "PNG 文件不完整"},
        {"pixels.png", cut(png, png.size() - 40), "PNG 文件不完整"},
        {"checksum.png", flipped(png, 29), "校验和不符"},
        {"bomb.png", pngBomb(), "太大了"},
        {"header.jpg", cut(jpg, 30), "JPEG 文件不完整"},
        {"pixels.jpg", cut(jpg, jpg.size() - 200), "JPEG 文件不完整"},
        {"header.tif", cut(tif, 12), "TIFF"},
        {"pixels.tif", cut(tif, tif.size() / 2), "TIFF"},
        {"pixels.bmp", rle, "BMP 文件不完整"},
        {"lying.bmp", jpg, ""}, // a JPEG by another name is still a JPEG
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(dir / row.name, row.bytes);
        JobState job;
        job.InPath(1) = (dir / row.name).string();
        const Status status = readSlotHeader(job, 1, &cache);
        if (row.reason[0] == '\0') {
            EXPECT_TRUE(status) << status.message();
            cache.removeAllBut({});
            continue;
        }
        ASSERT_FALSE(status);
        EXPECT_NE(status.message().find((dir / row.name).string()), std::string::npos)
            << status.message();
        EXPECT_NE(status.message().find(row.reason), std::string::npos) << status.message();
        EXPECT_EQ(job.RowPath(1), "");
        EXPECT_EQ(cacheFiles(), std::vector<fs::path>{});
        // The batch tool refuses it before it makes an output file.
        EXPECT_FALSE(prepareBatchRun(parseBatchOptions({"--pitch", "1", "--sharpness", "1",
                                                        job.InPath(1), (dir / "good.png").string()})
                                         .value(),
                                     dir.path(), cache));
        EXPECT_FALSE(fs::exists(dir / (fs::path(row.name).stem().string() + "!.tif")));
    }
}

// A store follows its source: a changed source is noticed at the run, and
// the cache keeps under its cap by dropping the oldest stores.
TEST_F(PictureFormats, StoresFollowTheirSourcesAndTheCap) {
    QImage img(40, 30, QImage::Format_RGB888);
    img.fill(QColor(9, 8, 7));
    for (const char* name : {"a.png", "b.png", "c.png"}) {
        ASSERT_TRUE(img.save(QString::fromStdString((dir / name).string()), "PNG"));
    }
    const PictureCache small(dir / "small", 2 * RowStoreWriter::storeBytes({40, 30, 0, 1}));
    JobState job;
    job.ViewCount = 2;
    job.InPath(1) = (dir / "a.png").string();
    job.InPath(2) = (dir / "b.png").string();
    ASSERT_TRUE(readSlotHeader(job, 1, &small));
    ASSERT_TRUE(readSlotHeader(job, 2, &small));
    const std::string first = job.RowPath(1);
    job.InPath(2) = (dir / "c.png").string();
    ASSERT_TRUE(readSlotHeader(job, 2, &small)); // b's store goes, a's is in use
    EXPECT_TRUE(fs::exists(first));
    EXPECT_EQ(std::distance(fs::directory_iterator(small.folder()), fs::directory_iterator()), 2);

    ASSERT_TRUE(img.scaled(41, 30).save(QString::fromStdString(job.InPath(1)), "PNG"));
    job.Pitch = 0.5f, job.Sharp = 1, job.Views = 2;
    job.OutPath = (dir / "out.tif").string();
    computeCommonFrame(job, SlotArray<double>());
    RunRecord record;
    const RunResult changed =
        runInterlace(job, RunSettings{2, 1.5, false, 0, false}, recordingHooks(record));
    EXPECT_EQ(changed.outcome, RunOutcome::Failed);
    EXPECT_NE(changed.status.message().find("被修改过"), std::string::npos)
        << changed.status.message();

    small.removeAllBut({job.RowPath(2)});
    EXPECT_FALSE(fs::exists(first));
    EXPECT_TRUE(fs::exists(job.RowPath(2)));
}

} // namespace
} // namespace tovrel::test
