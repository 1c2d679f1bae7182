// The chunked row writer with chunks of a few rows, so that every way a chunk
// ends (full, a gap between rows, the end) is met many times.

#include "output/row_sink.h"

#include "params/posix_file.h"
#include "tests/support/temp_dir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>

namespace tovrel::test {
namespace {

constexpr int32_t kRowBytes = 12;
constexpr int32_t kRows = 400;

std::vector<unsigned char> emptyOutput(std::size_t areaOffset = 1448) {
    return std::vector<unsigned char>(areaOffset + std::size_t(kRows) * kRowBytes + 1, 0);
}

// Chunks of every size, with the pixel area where the classic header ends
// and where the BigTIFF header does.
TEST(RowSink, WritesEveryRowAtItsPlaceWhateverTheChunkSize) {
    std::mt19937 random(7);
    const std::vector<unsigned char> white(kRowBytes, 255);
    const std::vector<unsigned char> start(kRowBytes, 0);
    for (const auto& [chunkRows, areaOffset] : {std::pair<std::size_t, std::size_t>{1, 1448},
                                                {2, 1448},
                                                {3, 16},
                                                {5, 1448},
                                                {64, 1448},
                                                {1, 16},
                                                {5, 16},
                                                {64, 16}}) {
        SCOPED_TRACE("pixel area at " + std::to_string(areaOffset));
        TempDir dir;
        const auto file = dir / "out.tif";
        writeFile(file, emptyOutput(areaOffset));
        std::vector<unsigned char> expected = emptyOutput(areaOffset);
        std::vector<int> progress;
        {
            PosixFile out = PosixFile::open(file, O_WRONLY);
            RowSink sink(
                out.fd(), int64_t(areaOffset), kRows, kRowBytes, start.data(),
                [&](int value) { progress.push_back(value); }, "out.tif", chunkRows * kRowBytes);
            std::vector<unsigned char> current = start;
            int32_t lastWritten = 0;
            for (int32_t r = 1; r <= kRows; ++r) {
                const unsigned choice = random() % 8;
                if (choice == 0) {
                    continue; // a row left as the file holds it
                }
                const unsigned char* row = nullptr;
                if (choice <= 2) {
                    auto made = sink.fresh();
                    ASSERT_TRUE(made.isOk());
                    for (int i = 0; i < kRowBytes; ++i) {
                        current[std::size_t(i)] = static_cast<unsigned char>(r * 7 + i);
                        made.value()[i] = current[std::size_t(i)];
                    }
                }
                if (choice == 3) {
                    ASSERT_TRUE(sink.putFixed(r, white.data()).isOk());
                    row = white.data();
                } else {
                    ASSERT_TRUE(sink.putCurrent(r).isOk());
                    row = current.data();
                }
                std::copy(row, row + kRowBytes,
                          expected.begin() + std::ptrdiff_t(areaOffset) +
                              std::ptrdiff_t(kRows - r) * kRowBytes);
                lastWritten = r;
            }
            ASSERT_TRUE(sink.finish().isOk());
            ASSERT_FALSE(progress.empty());
            EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
            EXPECT_EQ(progress.back(), lastWritten * 1000 / kRows);
            EXPECT_EQ(std::equal(sink.current(), sink.current() + kRowBytes, current.begin()),
                      true);
        }
        EXPECT_EQ(readFile(file), expected) << chunkRows << " rows a chunk";
        if (chunkRows < 64) {
            EXPECT_GT(progress.size(), std::size_t(kRows / 8 / chunkRows)) << chunkRows;
        }
    }
}

TEST(RowSink, AFailedWriteNamesTheFileAndItsCause) {
    TempDir dir;
    const auto file = dir / "out.tif";
    writeFile(file, emptyOutput());
    PosixFile readOnly = PosixFile::open(file, O_RDONLY);
    const std::vector<unsigned char> start(kRowBytes, 0);
    RowSink sink(readOnly.fd(), 1448, kRows, kRowBytes, start.data(), {}, "/some/out.tif",
                 kRowBytes);
    ASSERT_TRUE(sink.putCurrent(1).isOk());   // queued only
    const Status second = sink.putCurrent(2); // the chunk is full: written now
    ASSERT_FALSE(second.isOk());
    EXPECT_NE(second.message().find("写入输出文件失败"), std::string::npos) << second.message();
    EXPECT_NE(second.message().find("/some/out.tif"), std::string::npos) << second.message();
    EXPECT_EQ(readFile(file), emptyOutput());
}

// A file in memory gains nothing from direct writes, and a descriptor not
// open for writing must fail as it is: both are written the ordinary way.
TEST(RowSink, WritesFilesInMemoryAndReadOnlyDescriptorsTheOrdinaryWay) {
    TempDir disk;
    writeFile(disk / "out.tif", emptyOutput());
    const PosixFile readOnly = PosixFile::open(disk / "out.tif", O_RDONLY);
    EXPECT_FALSE(DirectWriter(readOnly.fd(), kRowBytes).direct());
    if (!std::filesystem::is_directory("/dev/shm")) {
        GTEST_SKIP() << "no /dev/shm here";
    }
    TempDir memory("/dev/shm");
    writeFile(memory / "out.tif", emptyOutput());
    const PosixFile inMemory = PosixFile::open(memory / "out.tif", O_WRONLY);
    EXPECT_FALSE(DirectWriter(inMemory.fd(), kRowBytes).direct());
}

} // namespace
} // namespace tovrel::test
