// The BigTIFF form. A forced BigTIFF holds the very pixel area of the classic
// file of the same run, in strips of whole rows that libtiff and its tools
// read back; a file just beyond the classic form's 2 GB, made sparse, reads
// back with every tag, strip and its last row in place.

#include "render/interlace_engine.h"
#include "tests/faults/run_scene.h"
#include "tests/params/data_file_maker.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"
#include "tests/tools/batch_process.h"
#include "tiff/tiff_container.h"
#include "tiff/tiff_resolution.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <tuple>
#include <unistd.h>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

constexpr uint64_t kStripLimit = 8 << 20;

uint64_t le64(const Bytes& b, std::size_t at) {
    uint64_t v = 0;
    for (std::size_t k = 8; k-- > 0;) {
        v = v << 8 | b.at(at + k);
    }
    return v;
}

// libtiff's tools read the file without a word on standard error.
void expectToolsReadCleanly(const fs::path& file, bool copy) {
    std::vector<std::vector<std::string>> commands = {{"/usr/bin/tiffinfo", file.string()},
                                                      {"/usr/bin/tiffdump", file.string()}};
    const fs::path copied = file.string() + ".copy.tif";
    if (copy) {
        commands.push_back({"/usr/bin/tiffcp", file.string(), copied.string()});
    }
    for (const auto& command : commands) {
        SCOPED_TRACE(command.front());
        BatchEnvironment tool;
        tool.program = command.front();
        const BatchOutcome said = runBatch({command.begin() + 1, command.end()}, tool);
        EXPECT_EQ(said.exitCode, 0);
        EXPECT_EQ(said.err, "");
    }
    if (copy) {
        EXPECT_EQ(readTiff(copied, true).rows, readTiff(file, true).rows);
        fs::remove(copied);
    }
}

// An uncompressed chunky 8-bit RGB BigTIFF of that size and resolution in
// pixels per inch, read without a complaint, its strips of whole rows of at
// most 8 MiB one after the other from offset 16.
void expectBigTiff(const TiffContents& t, uint32_t w, uint32_t h, float resolution) {
    ASSERT_TRUE(t.opened);
    EXPECT_EQ(t.complaints, std::vector<std::string>{});
    EXPECT_TRUE(t.bigTiff);
    EXPECT_EQ(std::tie(t.width, t.height, t.samplesPerPixel, t.bitsPerSample, t.photometric,
                       t.planar, t.compression, t.resolutionUnit),
              std::make_tuple(w, h, uint16_t{3}, uint16_t{8}, uint16_t{2}, uint16_t{1}, uint16_t{1},
                              uint16_t{2}));
    EXPECT_EQ(t.xResolution, resolution);
    EXPECT_EQ(t.yResolution, resolution);
    EXPECT_FALSE(t.software.empty()); // the classic header's Software tag too
    const uint64_t rowBytes = 3 * uint64_t{w};
    const uint64_t rowsPerStrip = std::min<uint64_t>(kStripLimit / rowBytes, t.height);
    EXPECT_EQ(t.rowsPerStrip, rowsPerStrip);
    ASSERT_EQ(t.strips, (t.height + rowsPerStrip - 1) / rowsPerStrip);
    ASSERT_EQ(t.stripOffsets.size(), t.strips);
    ASSERT_EQ(t.stripByteCounts.size(), t.strips);
    for (uint32_t i = 0; i < t.strips; ++i) {
        const uint64_t rows = std::min<uint64_t>(rowsPerStrip, t.height - i * rowsPerStrip);
        EXPECT_EQ(t.stripOffsets[i], 16 + i * rowsPerStrip * rowBytes) << "strip " << i;
        EXPECT_EQ(t.stripByteCounts[i], rows * rowBytes) << "strip " << i;
        EXPECT_LE(t.stripByteCounts[i], kStripLimit);
    }
}

TEST(BigTiff, HoldsThePixelAreaOfTheClassicFileOfTheSameRun) {
    const struct {
        const char* name;
        int32_t w, h;
        bool horizontal;
        int32_t whiteWidth;
    } cases[] = {
        // 6000-byte rows: strips of 1398 rows, the last of 204.
        {"vertical", 2000, 3000, false, 0},
        {"vertical, white gaps", 2000, 3000, false, 1},
        // 12003-byte rows: strips of 698 rows, the last of 104 or of 1.
        {"horizontal", 4001, 1500, true, 0},
        {"horizontal, white gaps", 4001, 1500, true, 1},
        {"a last strip of one row", 4001, 1397, false, 1},
        // 6144-byte rows: two strips of 1365 rows exactly.
        {"rows dividing evenly", 2048, 2730, true, 1},
        // One strip, its offset and count inside the directory entries.
        {"one strip", 700, 500, false, 1},
    };
    const fs::path shm = "/dev/shm";
    const TempDir dir = fs::is_directory(shm) ? TempDir(shm) : TempDir();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        JobState job;
        RunSettings settings;
        setUpRun(job, settings, dir.path(), {{300, 200}, {280, 210, 4, 3}, {290, 200, 0, 5}}, c.w,
                 c.h);
        settings.horizontal = c.horizontal;
        settings.whiteGaps = c.whiteWidth > 0;
        settings.whiteWidth = c.whiteWidth;
        JobState big = job;
        big.OutPath = (dir / "big.tif").string();
        RunSettings forced = settings;
        forced.bigTiff = true;
        ASSERT_EQ(runAndSay(job, settings), "done");
        ASSERT_EQ(runAndSay(big, forced), "done");
        ASSERT_EQ(job.tifW, c.w);
        ASSERT_EQ(job.tifH, c.h);

        const Bytes classic = readFile(job.OutPath);
        const Bytes bigBytes = readFile(big.OutPath);
        const std::size_t pixels = 3 * std::size_t(c.w) * std::size_t(c.h);
        ASSERT_EQ(classic.size(), 1449 + pixels);
        ASSERT_GT(bigBytes.size(), 16 + pixels);
        EXPECT_EQ(Bytes(bigBytes.begin(), bigBytes.begin() + 8),
                  (Bytes{'I', 'I', 43, 0, 8, 0, 0, 0}));
        // The directory lies behind the pixels, 8-aligned.
        EXPECT_EQ(le64(bigBytes, 8), (16 + pixels + 7) / 8 * 8);
        EXPECT_TRUE(std::equal(classic.begin() + 1448, classic.begin() + 1448 + ptrdiff_t(pixels),
                               bigBytes.begin() + 16));
        EXPECT_EQ(big.OutRow, job.OutRow);

        const TiffContents a = readTiff(job.OutPath, true);
        const TiffContents b = readTiff(big.OutPath, true);
        expectBigTiff(b, uint32_t(c.w), uint32_t(c.h), a.xResolution);
        EXPECT_EQ(b.photoshop, a.photoshop);
        EXPECT_TRUE(b.rows == a.rows);
    }
    // The tools on the last file of the table.
    expectToolsReadCleanly(dir / "big.tif", true);
}

// Writes the container of a file larger than the classic form holds with
// the pixel area left a hole, as far as the file system allows, and the
// rows given (0 = the top row) in it.
void writeSparse(const fs::path& file, const TiffContainer& c, int64_t rowBytes,
                 const std::vector<std::pair<int64_t, Bytes>>& rows) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    auto put = [fd](const Bytes& bytes, int64_t at) {
        ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), at), ssize_t(bytes.size()));
    };
    ASSERT_EQ(::ftruncate(fd, c.length()), 0);
    put(c.head, 0);
    put(c.tail, c.pixelOffset() + c.pixelBytes);
    for (const auto& [row, bytes] : rows) {
        put(bytes, c.pixelOffset() + row * rowBytes);
    }
    ASSERT_EQ(::close(fd), 0);
}

TEST(BigTiff, JustBeyondTheClassicLimitReadsBackThroughLibtiff) {
    // 3 x 26755 x 26755 = 2,147,488,075 pixel bytes: past the classic 2 GB.
    constexpr int32_t kSide = 26755;
    constexpr int64_t kRowBytes = 3 * int64_t{kSide};
    constexpr float kFbl = 127.5f;
    ASSERT_EQ(tiffFormFor(kSide, kSide, false), TiffForm::Big);
    ASSERT_EQ(tiffFormFor(kSide, kSide - 1, false), TiffForm::Classic);
    const Result<TiffContainer> c =
        composeTiffContainer(kSide, kSide, kFbl, shippedTemplate(), false);
    ASSERT_TRUE(c) << c.message();
    EXPECT_EQ(c.value().form, TiffForm::Big);
    EXPECT_EQ(c.value().pixelOffset(), pixelAreaOffset(TiffForm::Big));
    EXPECT_EQ(c.value().pixelBytes, kRowBytes * kSide);

    Bytes top(std::size_t{kRowBytes}), last(std::size_t{kRowBytes});
    for (std::size_t i = 0; i < top.size(); ++i) {
        top[i] = static_cast<unsigned char>(i * 7 + 1);
        last[i] = static_cast<unsigned char>(i * 13 + 5);
    }
    const TempDir dir;
    const fs::path file = dir / "poster.tif";
    writeSparse(file, c.value(), kRowBytes, {{0, top}, {kSide - 1, last}});

    const TiffContents t = readTiffRows(file, {kSide - 1, 0, kSide / 2});
    expectBigTiff(t, kSide, kSide, kFbl);
    // 104 rows a strip: 258 strips, the last of 27 rows.
    EXPECT_EQ(t.strips, 258u);
    EXPECT_EQ(t.stripByteCounts.back(), 27 * uint64_t{kRowBytes});
    // The resolution resource as the classic header patches it.
    const std::vector<uint8_t> info = imageResource(t.photoshop, 1005);
    ASSERT_EQ(info.size(), 16u);
    const auto fixed = resolutionBytes(kFbl);
    EXPECT_TRUE(std::equal(fixed.begin(), fixed.end(), info.begin()));
    EXPECT_TRUE(std::equal(fixed.begin(), fixed.end(), info.begin() + 8));
    EXPECT_EQ(info[5], 1);
    EXPECT_EQ(info[13], 1);
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_TRUE(t.rows[0] == last);
    EXPECT_TRUE(t.rows[1] == top);
    EXPECT_TRUE(std::all_of(t.rows[2].begin(), t.rows[2].end(), [](uint8_t v) { return v == 0; }));
    expectToolsReadCleanly(file, false);
}

} // namespace
} // namespace tovrel::test
