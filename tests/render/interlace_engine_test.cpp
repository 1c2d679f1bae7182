// Whole runs of the engine: the worked example, the resampling at the edges,
// the carried strip row, the progress values and what a run leaves in the job.

#include "render/interlace_engine.h"
#include "tests/render/engine_fixture.h"
#include "tests/render/oracle_engine.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>

namespace tovrel::test {
namespace {

RunResult run(JobState& job, const RunSettings& settings, RunRecord& record) {
    return runInterlace(job, settings, recordingHooks(record));
}

// Two 640 x 480 pictures, 20 x 15 cm, pitch 0.508, sharpness 3.
struct WorkedExample : ::testing::Test {
    TempDir dir;
    JobState job;
    RunSettings settings{20, 15};
    void SetUp() override {
        choosePictures(job, dir.path(), {{640, 480}, {640, 480, 0, 0, true}});
        job.Pitch = 0.508f;
        job.Sharp = 3;
        job.OutPath = (dir / "out!.tif").string();
    }
};

TEST_F(WorkedExample, ComesOutToTheDigit) {
    RunRecord record;
    const RunResult result = run(job, settings, record);
    ASSERT_EQ(result.outcome, RunOutcome::Done) << result.status.message();
    EXPECT_EQ(job.tifW, 2362);
    EXPECT_EQ(job.tifH, 1771);
    EXPECT_EQ(job.fbl, 300.0f);
    EXPECT_EQ(job.RowBytes, 7086);
    EXPECT_EQ(job.Scale, 3.690625f);
    EXPECT_EQ(job.SharpB, 3);
    EXPECT_EQ(job.TifOK, 1);
    EXPECT_EQ(record.headers, 1);

    const std::vector<unsigned char> file = readFile(job.OutPath);
    ASSERT_EQ(file.size(), 1449u + 7086u * 1771u);
    // Rows 1 to 5 (y of 0 or 1) take frame row 1 and rows 1770 and 1771
    // (y = 480) frame row 480. Columns 1 to 3 are the strip of column 1
    // (x = 0), which takes frame column 1; column 2362 starts a strip of
    // picture 2 at x = 640, the frame's last column.
    for (const auto& [r, y] : {std::pair{1, 1}, {5, 1}, {6, 2}, {1770, 480}, {1771, 480}}) {
        for (int j : {1, 2, 3}) {
            EXPECT_EQ(outputPixel(file, job, j, r), frameColour(job, 1, 1, y)) << j << "," << r;
        }
        EXPECT_EQ(outputPixel(file, job, 2362, r), frameColour(job, 2, 640, y)) << "row " << r;
    }
    // No pixel is black.
    for (int r : {1, 6, 900, 1769, 1771}) {
        for (int j = 1; j <= 2362; ++j) {
            ASSERT_NE(outputPixel(file, job, j, r), kBlack) << "column " << j << ", row " << r;
        }
    }
    // Columns 4 to 6: picture 2 at x = round(4 / 3.690625) = 1; 7 to 9:
    // picture 1 at x = 2; 2359 to 2361: picture 1 at x = 639.
    for (int j : {4, 5, 6}) {
        EXPECT_EQ(outputPixel(file, job, j, 6), frameColour(job, 2, 1, 2));
    }
    for (int j : {7, 8, 9}) {
        EXPECT_EQ(outputPixel(file, job, j, 6), frameColour(job, 1, 2, 2));
    }
    for (int j : {2359, 2360, 2361}) {
        EXPECT_EQ(outputPixel(file, job, j, 1769), frameColour(job, 1, 639, 479));
    }
    ASSERT_FALSE(record.progress.empty());
    EXPECT_EQ(record.progress.back(), 1000);
}

TEST_F(WorkedExample, ReadsBackThroughLibtiffRowForRow) {
    RunRecord record;
    ASSERT_EQ(run(job, settings, record).outcome, RunOutcome::Done);
    const TiffContents tiff = readTiff(job.OutPath, true);
    ASSERT_TRUE(tiff.opened);
    EXPECT_TRUE(tiff.complaints.empty()) << tiff.complaints.front();
    EXPECT_EQ(tiff.width, 2362u);
    EXPECT_EQ(tiff.height, 1771u);
    EXPECT_EQ(tiff.xResolution, 300.0f);
    ASSERT_EQ(tiff.rows.size(), 1771u);
    const std::vector<unsigned char> file = readFile(job.OutPath);
    // libtiff's first scanline is the top row, r = tifH.
    for (int r : {1, 6, 7, 885, 1769, 1771}) {
        const std::vector<uint8_t>& line = tiff.rows[std::size_t(1771 - r)];
        for (int j : {1, 4, 7, 1000, 2361}) {
            const Rgb pixel = outputPixel(file, job, j, r);
            EXPECT_EQ((Rgb{line[3 * j - 3], line[3 * j - 2], line[3 * j - 1]}), pixel);
        }
    }
}

TEST_F(WorkedExample, EqualsTheLineByLineRun) {
    RunRecord engineRecord, oracleRecord;
    ASSERT_EQ(run(job, settings, engineRecord).outcome, RunOutcome::Done);
    JobState plain = job;
    plain.OutPath = (dir / "plain.tif").string();
    ASSERT_EQ(oracleInterlace(plain, settings, recordingHooks(oracleRecord)).outcome,
              RunOutcome::Done);
    EXPECT_EQ(readFile(job.OutPath), readFile(plain.OutPath));
    EXPECT_EQ(job.OutRow, plain.OutRow);
}

// A frame of 5 x 5 pixels at Scale 4.
struct ScaleFour : ::testing::Test {
    TempDir dir;
    JobState job;
    void SetUp() override {
        choosePictures(job, dir.path(), {{5, 5}, {7, 6, 2, 1}});
        job.Pitch = 1;
        job.Sharp = 1;
        job.OutPath = (dir / "out.tif").string();
    }
    RunSettings sized(bool horizontal) {
        return {sizeFor(job, 20), sizeFor(job, 12), false, 0, horizontal};
    }
};

TEST_F(ScaleFour, RowsAndColumnsThatRoundOutsideTakeTheNearestFramePixel) {
    RunRecord record;
    ASSERT_EQ(run(job, sized(false), record).outcome, RunOutcome::Done);
    ASSERT_EQ(job.Scale, 4.0f);
    const std::vector<unsigned char> file = readFile(job.OutPath);
    // y = 0, 0, 1, 1, 1 for rows 1 to 5: frame row 1; 1.5 rounds to 2 at row
    // 6, 2.5 to 2 at row 10; rows 11 and 12 give 3.
    const int y[] = {1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3};
    for (int r = 1; r <= 12; ++r) {
        const int fy = y[r - 1];
        // x = 0 for columns 1 and 2 (0.5 rounds to 0): frame column 1.
        EXPECT_EQ(outputPixel(file, job, 1, r), frameColour(job, 1, 1, fy)) << r;
        EXPECT_EQ(outputPixel(file, job, 2, r), frameColour(job, 2, 1, fy)) << r;
        EXPECT_EQ(outputPixel(file, job, 3, r), frameColour(job, 1, 1, fy)) << r;
        EXPECT_EQ(outputPixel(file, job, 6, r), frameColour(job, 2, 2, fy)) << r;
        // x = 5 = BaseW for column 20: the frame's last column.
        EXPECT_EQ(outputPixel(file, job, 20, r), frameColour(job, 2, 5, fy)) << r;
    }
    EXPECT_EQ(record.progress.back(), 1000);
}

TEST_F(ScaleFour, AHorizontalStripStartingBelowTheFrameTakesItsBottomRow) {
    job.Sharp = 3; // lenses of 6 rows: 1-3 picture 1, 4-6 picture 2, 7-9 picture 1
    RunRecord record;
    ASSERT_EQ(run(job, sized(true), record).outcome, RunOutcome::Done);
    ASSERT_EQ(job.tifH, 12);
    const std::vector<unsigned char> file = readFile(job.OutPath);
    // The strips starting at rows 1 and 4 (y = 0 and 1) show frame row 1;
    // those at rows 7 and 10 frame row 2. Every row of a strip repeats its
    // first row.
    for (int r = 1; r <= 12; ++r) {
        const int n = (r - 1) / 3 % 2 + 1;
        EXPECT_EQ(outputPixel(file, job, 3, r), frameColour(job, n, 1, r <= 6 ? 1 : 2))
            << "row " << r;
    }
}

TEST(Engine, AFrameOfTheOutputsProportionsFillsTheCardToEveryEdge) {
    TempDir dir;
    JobState job;
    choosePictures(job, dir.path(), {{10, 8}, {10, 8}});
    job.Pitch = 1;
    job.Sharp = 1;
    job.OutPath = (dir / "out.tif").string();
    RunRecord record;
    ASSERT_EQ(run(job, {sizeFor(job, 20), sizeFor(job, 16)}, record).outcome, RunOutcome::Done);
    ASSERT_EQ(job.Scale, 2.0f);
    const std::vector<unsigned char> file = readFile(job.OutPath);
    // y = r / 2, halves going to the even neighbour: rows 1 and 2 give 0 and
    // 1 (frame row 1), rows 15 and 16 give 8 = BaseH.
    const int y[] = {1, 1, 2, 2, 2, 3, 4, 4, 4, 5, 6, 6, 6, 7, 8, 8};
    for (int r = 1; r <= 16; ++r) {
        // x = j / 2: column 1 gives 0 (frame column 1), columns 19 and 20
        // give 10 = BaseW.
        EXPECT_EQ(outputPixel(file, job, 1, r), frameColour(job, 1, 1, y[r - 1])) << r;
        EXPECT_EQ(outputPixel(file, job, 19, r), frameColour(job, 1, 10, y[r - 1])) << r;
        EXPECT_EQ(outputPixel(file, job, 20, r), frameColour(job, 2, 10, y[r - 1])) << r;
        EXPECT_EQ(outputPixel(file, job, 18, r), frameColour(job, 2, 9, y[r - 1])) << r;
    }
    EXPECT_EQ(record.progress.back(), 1000);
}

TEST(Engine, ProgressRisesToTheValueOfTheLastRowWritten) {
    TempDir dir;
    JobState job;
    choosePictures(job, dir.path(), {{30, 400}, {30, 400}});
    job.Pitch = 1;
    job.Sharp = 4;
    job.OutPath = (dir / "out.tif").string();
    RunRecord record;
    // Horizontal with white gaps: the last strip starts at row 393 and its
    // white rows run to row tifH = 395, which reaches 1000.
    const RunSettings settings{sizeFor(job, 20), sizeFor(job, 395), true, 3, true};
    ASSERT_EQ(run(job, settings, record).outcome, RunOutcome::Done);
    ASSERT_EQ(job.tifH, 395);
    // Row 395 itself samples frame row 400 = BaseH, but as a white row it is written.
    EXPECT_EQ(outputPixel(readFile(job.OutPath), job, 5, 395), kWhite);
    ASSERT_FALSE(record.progress.empty());
    EXPECT_TRUE(std::is_sorted(record.progress.begin(), record.progress.end()));
    EXPECT_EQ(record.progress.back(), 1000);
    RunRecord plain;
    JobState again = job;
    again.OutPath = (dir / "plain.tif").string();
    ASSERT_EQ(oracleInterlace(again, settings, recordingHooks(plain)).outcome, RunOutcome::Done);
    // Every value shown is one the row-by-row run shows too.
    for (int value : record.progress) {
        EXPECT_NE(std::find(plain.progress.begin(), plain.progress.end(), value),
                  plain.progress.end())
            << value;
    }
}

TEST(Engine, WhiteGapsOfWidthZeroGiveTheOutputWithoutWhiteGaps) {
    for (bool horizontal : {false, true}) {
        TempDir dir;
        JobState job;
        choosePictures(job, dir.path(), {{20, 20}, {24, 18, 3, 1}, {20, 22}});
        job.Pitch = 0.254f;
        job.Sharp = 3;
        std::vector<std::vector<unsigned char>> files;
        for (bool whiteGaps : {false, true}) {
            job.OutPath = (dir / (whiteGaps ? "gaps.tif" : "plain.tif")).string();
            RunRecord record;
            const RunSettings settings{0.9, 0.8, whiteGaps, 0, horizontal};
            ASSERT_EQ(run(job, settings, record).outcome, RunOutcome::Done);
            files.push_back(readFile(job.OutPath));
        }
        EXPECT_EQ(files[0], files[1]) << (horizontal ? "horizontal" : "vertical");
        EXPECT_GT(files[0].size(), 1449u);
    }
}

TEST(Engine, ATypedSharpnessThatIsNotWholeIsRefused) {
    TempDir dir;
    JobState job;
    choosePictures(job, dir.path(), {{40, 40}, {40, 40}});
    job.Pitch = 1;
    job.Sharp = 2.5f;
    job.OutPath = (dir / "out.tif").string();
    RunRecord record;
    // 1 cm x 10 x 2 pictures x 2.5 / 1 mm = 50 pixels would hold strips of 2
    // (40 pixels): a card that cannot flip. Nothing is written.
    const RunResult result = run(job, {1, 1}, record);
    EXPECT_EQ(result.outcome, RunOutcome::Refused);
    EXPECT_EQ(result.status.message(), "清晰倍数必须是整数。");
    EXPECT_EQ(record.headers, 0);
    EXPECT_FALSE(std::filesystem::exists(job.OutPath));
}

TEST(Engine, LeavesTheLastAssembledRowInOutRow) {
    TempDir dir;
    JobState job;
    choosePictures(job, dir.path(), {{16, 20}, {16, 20}});
    job.Pitch = 1;
    job.Sharp = 2;
    job.OutPath = (dir / "out.tif").string();
    RunRecord record;
    // Horizontal, white first rows, Scale 0.5: the last row (tifH = 9) starts
    // a strip of picture 1 and is white, while OutRow holds that strip's row.
    ASSERT_EQ(run(job, {sizeFor(job, 8), sizeFor(job, 9), true, 1, true}, record).outcome,
              RunOutcome::Done);
    ASSERT_EQ(job.OutRow.size(), std::size_t(job.RowBytes));
    const std::vector<unsigned char> file = readFile(job.OutPath);
    EXPECT_EQ(outputPixel(file, job, 3, 9), kWhite);
    ASSERT_EQ(job.Scale, 0.5f);
    EXPECT_EQ((Rgb{job.OutRow[6], job.OutRow[7], job.OutRow[8]}), frameColour(job, 1, 6, 18));
}

} // namespace
} // namespace tovrel::test
