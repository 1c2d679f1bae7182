// The strip layouts' edge cases, each a row of one table: a scene at Scale
// 0.5 (frame pixel 2c of column c, frame row 2r of row r) and the expected
// content of every column of one row (vertical strips) or of every row
// (horizontal strips).

#include "render/interlace_engine.h"
#include "tests/render/engine_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace tovrel::test {
namespace {

struct EdgeCase {
    const char* name;
    int views;
    float sharp;
    bool horizontal;
    bool whiteGaps;
    int whiteWidth;
    int tifW;
    int tifH;
    // Space-separated, one per column (vertical) or per row from the bottom
    // (horizontal): W white, K black, n@c picture n's resampled pixel (or
    // row) at output column (or row) c. Null: the run is refused.
    const char* expected;
};

const EdgeCase kCases[] = {
    {"two pictures s1: odd columns picture 1, even picture 2, each its own column", 2, 1, false,
     false, 0, 10, 4, "1@1 2@2 1@3 2@4 1@5 2@6 1@7 2@8 1@9 2@10"},
    {"two pictures s3: each strip repeats its first column", 2, 3, false, false, 0, 12, 4,
     "1@1 1@1 1@1 2@4 2@4 2@4 1@7 1@7 1@7 2@10 2@10 2@10"},
    {"two pictures s3 white 1: the last column of every strip is white", 2, 3, false, true, 1, 12,
     4, "1@1 1@1 W 2@4 2@4 W 1@7 1@7 W 2@10 2@10 W"},
    {"four pictures s2 width 20: the cut-off lens holds pictures 1 and 2", 4, 2, false, false, 0,
     20, 4,
     "1@1 1@1 2@3 2@3 3@5 3@5 4@7 4@7 1@9 1@9 2@11 2@11 3@13 3@13 4@15 4@15 1@17 1@17 "
     "2@19 2@19"},
    {"two pictures s2 width 5: column 5 starts a cut-off strip of picture 1", 2, 2, false, false, 0,
     5, 4, "1@1 1@1 2@3 2@3 1@5"},
    {"two pictures s2 width 5 white 1: the cut-off strip gets no white", 2, 2, false, true, 1, 5, 4,
     "1@1 W 2@3 W 1@5"},
    {"cut-off strip with white 2 of s3: the unfilled pixel keeps picture 1's own", 2, 3, false,
     true, 2, 11, 4, "1@1 W W 2@4 W W 1@7 W W 2@10 1@11"},
    {"white on with width 0: no white, strips filled", 2, 3, false, true, 0, 7, 4,
     "1@1 1@1 1@1 2@4 2@4 2@4 1@7"},
    // Strips of 2.5 pixels cannot match the lens: refused before any file.
    {"typed sharpness 2.5: refused", 2, 2.5f, false, false, 0, 10, 4, nullptr},
    {"typed sharpness 2.5 with white 2: refused", 2, 2.5f, false, true, 2, 11, 4, nullptr},
    {"horizontal three pictures s2: strips of rows, each repeating its first", 3, 2, true, false, 0,
     4, 8, "1@1 1@1 2@3 2@3 3@5 3@5 1@7 1@7"},
    {"horizontal s4 white 1: the first row of every strip is white", 2, 4, true, true, 1, 4, 10,
     "W 1@1 1@1 1@1 W 2@5 2@5 2@5 W 1@9"},
    {"horizontal s4 white 3 height 10: rows 9 and 10 white, nothing beyond", 2, 4, true, true, 3, 4,
     10, "W W W 1@1 W W W 2@5 W W"},
    {"horizontal white on with width 0: no white rows", 2, 2, true, true, 0, 4, 6,
     "1@1 1@1 2@3 2@3 1@5 1@5"},
    {"twelve frames s1: column j shows frame (j - 1) mod 12 + 1", 12, 1, false, false, 0, 26, 4,
     "1@1 2@2 3@3 4@4 5@5 6@6 7@7 8@8 9@9 10@10 11@11 12@12 1@13 2@14 3@15 4@16 5@17 6@18 7@19 "
     "8@20 9@21 10@22 11@23 12@24 1@25 2@26"},
    {"twelve frames s1 horizontal: row r shows frame (r - 1) mod 12 + 1", 12, 1, true, false, 0, 4,
     14, "1@1 2@2 3@3 4@4 5@5 6@6 7@7 8@8 9@9 10@10 11@11 12@12 1@13 2@14"},
    {"forty frames s2 white 1: every second column white", 40, 2, false, true, 1, 6, 4,
     "1@1 W 2@3 W 3@5 W"},
};

class StripLayoutCase : public ::testing::TestWithParam<EdgeCase> {};

// A scene whose Scale is 0.5: the frame is twice the output in the direction
// that sets the scale and larger in the other, so no row or column the case
// looks at falls outside it (the last column of a horizontal case is the
// frame's last).
JobState sceneFor(const EdgeCase& c, const TempDir& dir) {
    JobState job;
    const TestPicture frame = c.horizontal ? TestPicture{2 * c.tifW, 2 * c.tifH + 2}
                                           : TestPicture{2 * c.tifW + 2, 2 * c.tifH};
    choosePictures(job, dir.path(), std::vector<TestPicture>(std::size_t(c.views), frame));
    job.Pitch = 1;
    job.Sharp = c.sharp;
    job.OutPath = (dir / "out.tif").string();
    return job;
}

// Picture n's resampled pixel at output column c of output row r.
Rgb resampled(const JobState& job, int n, int c, int r) {
    return frameColour(job, n, 2 * c, 2 * r);
}

TEST_P(StripLayoutCase, GivesTheExpectedLayout) {
    const EdgeCase& c = GetParam();
    TempDir dir;
    JobState job = sceneFor(c, dir);
    const RunSettings settings{sizeFor(job, c.tifW), sizeFor(job, c.tifH), c.whiteGaps,
                               c.whiteWidth, c.horizontal};
    RunRecord record;
    const RunResult result = runInterlace(job, settings, recordingHooks(record));
    if (c.expected == nullptr) {
        EXPECT_EQ(result.outcome, RunOutcome::Refused);
        EXPECT_EQ(result.status.message(), "清晰倍数必须是整数。");
        EXPECT_EQ(record.headers, 0);
        EXPECT_FALSE(std::filesystem::exists(job.OutPath));
        return;
    }
    ASSERT_EQ(result.outcome, RunOutcome::Done) << result.status.message();
    ASSERT_EQ(job.tifW, c.tifW);
    ASSERT_EQ(job.tifH, c.tifH);
    ASSERT_EQ(job.Scale, 0.5f);
    const std::vector<unsigned char> file = readFile(job.OutPath);
    ASSERT_EQ(file.size(), 1449 + std::size_t(job.RowBytes) * std::size_t(job.tifH));
    const TiffContents tiff = readTiff(job.OutPath, true);
    ASSERT_TRUE(tiff.opened && tiff.complaints.empty());
    ASSERT_EQ(tiff.rows.size(), std::size_t(c.tifH));
    // libtiff's last scanline is the bottom row, last in the file but for its final zero.
    EXPECT_TRUE(std::equal(tiff.rows.back().begin(), tiff.rows.back().end(),
                           file.end() - 1 - job.RowBytes));

    std::istringstream tokens(c.expected);
    std::string token;
    int i = 0;
    const int checkedRow = 2; // vertical cases look at row 2: frame row 4
    while (tokens >> token) {
        ++i;
        for (int j = 1; j <= (c.horizontal ? c.tifW : 1); ++j) {
            const int column = c.horizontal ? j : i;
            const int row = c.horizontal ? i : checkedRow;
            Rgb want;
            if (token == "W") {
                want = kWhite;
            } else if (token == "K") {
                want = kBlack;
            } else {
                const int n = std::stoi(token);
                const int from = std::stoi(token.substr(token.find('@') + 1));
                want = c.horizontal ? resampled(job, n, column, from)
                                    : resampled(job, n, from, checkedRow);
            }
            EXPECT_EQ(outputPixel(file, job, column, row), want)
                << "token " << i << " (" << token << "), column " << column << ", row " << row;
        }
    }
    EXPECT_EQ(i, c.horizontal ? c.tifH : c.tifW)
        << "the case must describe every " << (c.horizontal ? "row" : "column");
}

INSTANTIATE_TEST_SUITE_P(Engine, StripLayoutCase, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<EdgeCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

} // namespace
} // namespace tovrel::test
