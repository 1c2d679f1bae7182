// What a run refuses before touching any file, and how it fails once the
// header is written: a clear message, every file closed, the new file gone
// and an earlier file at the output path untouched.

#include "render/interlace_engine.h"
#include "tests/render/engine_fixture.h"
#include "tests/support/restricted_run.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <set>
#include <sys/resource.h>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;

const std::vector<unsigned char> kEarlier = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Two 20 x 20 pictures and an earlier file at the output path.
struct RunScene : ::testing::Test {
    TempDir dir;
    JobState job;
    RunSettings settings;
    RunRecord record;
    std::set<std::string> before;

    void SetUp() override {
        choosePictures(job, dir.path(), {{20, 20}, {24, 22, 2, 1, true}});
        job.Pitch = 1;
        job.Sharp = 2;
        job.OutPath = (dir / "out.tif").string();
        writeFile(job.OutPath, kEarlier);
        settings = {sizeFor(job, 30), sizeFor(job, 25)};
        before = namesIn(dir.path());
    }

    // Nothing was written: the header hook never ran, the folder holds what
    // it held and the earlier output is unchanged.
    void expectUntouched() {
        EXPECT_EQ(namesIn(dir.path()), before);
        EXPECT_EQ(readFile(dir / "out.tif"), kEarlier);
    }
};

struct Refusal {
    const char* name;
    std::function<void(JobState&, RunSettings&, const TempDir&)> change;
    const char* says; // a part of the message
};

const Refusal kRefusals[] = {
    {"width below one pixel", [](JobState&, RunSettings& s, const TempDir&) { s.widthCm = 0; },
     "太小"},
    {"height below one pixel",
     [](JobState& j, RunSettings& s, const TempDir&) { s.heightCm = sizeFor(j, 1) / 2; }, "太小"},
    {"negative size", [](JobState&, RunSettings& s, const TempDir&) { s.heightCm = -5; }, "太小"},
    {"width beyond 32 bits", [](JobState&, RunSettings& s, const TempDir&) { s.widthCm = 1e12; },
     "太大"},
    {"row bytes beyond 32 bits",
     [](JobState& j, RunSettings& s, const TempDir&) { s.widthCm = sizeFor(j, 800'000'000); },
     "太大"},
    {"rows longer than a strip of the BigTIFF the size needs",
     [](JobState& j, RunSettings& s, const TempDir&) {
         s.widthCm = sizeFor(j, 2'800'000);
         s.heightCm = sizeFor(j, 300);
     },
     "8 MiB"},
    {"a BigTIFF beyond 4 TB",
     [](JobState& j, RunSettings& s, const TempDir&) {
         s.widthCm = sizeFor(j, 2'000'000);
         s.heightCm = sizeFor(j, 700'000);
     },
     "4 TB"},
    {"no common frame width", [](JobState& j, RunSettings&, const TempDir&) { j.BaseW = 0; },
     "公共画面"},
    {"no common frame height", [](JobState& j, RunSettings&, const TempDir&) { j.BaseH = -3; },
     "公共画面"},
    {"frame reaching past a picture's right edge",
     [](JobState& j, RunSettings&, const TempDir&) {
         j.FrameCol(2) += 5;
         j.FramePos(2) += 15;
     },
     "超出了图片的范围"},
    {"frame reaching past a picture's top",
     [](JobState& j, RunSettings&, const TempDir&) { j.FramePos(1) += 5 * j.ImgStride(1); },
     "超出了图片的范围"},
    {"frame position between rows",
     [](JobState& j, RunSettings&, const TempDir&) { j.FramePos(2) += 1; }, "超出了图片的范围"},
    {"one picture only",
     [](JobState& j, RunSettings&, const TempDir&) {
         j.ViewCount = 1;
         j.Views = 1;
     },
     "2 到 4"},
    {"pitch of 0", [](JobState& j, RunSettings&, const TempDir&) { j.Pitch = 0; }, "栅距"},
    {"sharpness rounding to 0", [](JobState& j, RunSettings&, const TempDir&) { j.Sharp = 0.4f; },
     "清晰倍数"},
    {"lenses wider than 255 pixels",
     [](JobState& j, RunSettings&, const TempDir&) { j.Sharp = 128; }, "清晰倍数"},
    {"sharpness not whole", [](JobState& j, RunSettings&, const TempDir&) { j.Sharp = 2.5f; },
     "清晰倍数必须是整数"},
    {"printer lenses narrower than the pictures",
     [](JobState& j, RunSettings& s, const TempDir&) {
         j.Pitch = 0.5f; // 2 x 25.4 / 0.5 = 101.6
         s.printerPpi = 101;
     },
     "至少要 102 像素/英寸"},
    {"white width above the strip width",
     [](JobState&, RunSettings& s, const TempDir&) {
         s.whiteGaps = true;
         s.whiteWidth = 3;
     },
     "留白"},
    {"negative white width",
     [](JobState&, RunSettings& s, const TempDir&) {
         s.whiteGaps = true;
         s.whiteWidth = -1;
     },
     "留白"},
    {"bleed beyond 20 mm", [](JobState&, RunSettings& s, const TempDir&) { s.press.bleedMm = 21; },
     "出血须在 0 到 20"},
    {"negative gutter",
     [](JobState&, RunSettings& s, const TempDir&) {
         s.press.sheet = true;
         s.press.paperWidthMm = s.press.paperHeightMm = 300;
         s.press.gutterMm = -1;
     },
     "间距须在 0 到 20"},
    {"card larger than the sheet with its marks",
     [](JobState&, RunSettings& s, const TempDir&) {
         s.press.sheet = true;
         s.press.marks = true;
         s.press.paperWidthMm = 40; // 36 mm of marks leave 4 mm for a 7.5 mm card
         s.press.paperHeightMm = 300;
     },
     "可用 4×264 毫米"},
    {"copies that do not fit",
     [](JobState&, RunSettings& s, const TempDir& d) {
         s.press.sheet = true;
         s.press.paperWidthMm = s.press.paperHeightMm = 100;
         s.press.rows = 1;
         s.press.columns = 9;
         s.press.layoutOut = (d / "layout.json").string();
     },
     "最多 10 行 × 8 列"},
    {"empty output path", [](JobState& j, RunSettings&, const TempDir&) { j.OutPath.clear(); },
     "输出文件名"},
    {"output path equal to a source",
     [](JobState& j, RunSettings&, const TempDir&) { j.OutPath = j.InPath(2); }, "源图片"},
    {"output path naming a source another way",
     [](JobState& j, RunSettings&, const TempDir& d) {
         j.OutPath = (d / "." / ".." / d.path().filename() / "pic1.bmp").string();
     },
     "源图片"},
    {"output path naming a source through a link",
     [](JobState& j, RunSettings&, const TempDir& d) {
         fs::create_symlink(d / "pic2.bmp", d / "link.tif");
         j.OutPath = (d / "link.tif").string();
     },
     "源图片"},
    {"output folder missing",
     [](JobState& j, RunSettings&, const TempDir& d) { j.OutPath = (d / "no" / "o.tif").string(); },
     "不存在"},
    {"output path naming a folder",
     [](JobState& j, RunSettings&, const TempDir& d) {
         fs::create_directory(d / "sub.tif");
         j.OutPath = (d / "sub.tif").string();
     },
     "不是普通文件"},
};

class RefusedRun : public RunScene, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedRun, SaysWhyAndTouchesNothing) {
    GetParam().change(job, settings, dir);
    before = namesIn(dir.path()); // what the change itself made stays
    const RunResult result = runInterlace(job, settings, recordingHooks(record));
    EXPECT_EQ(result.outcome, RunOutcome::Refused);
    EXPECT_NE(result.status.message().find(GetParam().says), std::string::npos)
        << result.status.message();
    EXPECT_EQ(record.headers, 0);
    EXPECT_TRUE(record.progress.empty());
    expectUntouched();
}

INSTANTIATE_TEST_SUITE_P(Engine, RefusedRun, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<Refusal>& info) {
                             return "case" + std::to_string(info.index);
                         });

TEST_F(RunScene, AFolderTheUserCannotWriteIsRefused) {
    fs::permissions(dir.path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    fs::create_directory(dir / "locked");
    fs::permissions(dir / "locked",
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    job.OutPath = (dir / "locked" / "out.tif").string();
    const auto message = runAsOrdinaryUser([&] {
        const RunResult result = runInterlace(job, settings, recordingHooks(record));
        return std::string(result.outcome == RunOutcome::Refused ? "refused: " : "other: ") +
               result.status.message();
    });
    if (!message) {
        GTEST_SKIP() << "cannot run as an ordinary user here";
    }
    EXPECT_EQ(message->rfind("refused: ", 0), 0u) << *message;
    EXPECT_NE(message->find("没有访问权限"), std::string::npos) << *message;
    EXPECT_TRUE(fs::is_empty(dir / "locked"));
}

TEST_F(RunScene, AHeaderNotWrittenEndsTheRunWithNothingLeft) {
    RunHooks hooks = recordingHooks(record);
    hooks.makeTif = [this](JobState&, const fs::path& file, TiffForm) {
        ++record.headers;
        writeFile(file, {1, 2, 3}); // a partial header, as a failing writer may leave
        return false;
    };
    job.TifOK = 1;
    const RunResult result = runInterlace(job, settings, hooks);
    EXPECT_EQ(result.outcome, RunOutcome::HeaderNotWritten);
    EXPECT_EQ(job.TifOK, 0);
    EXPECT_EQ(record.headers, 1);
    expectUntouched();
}

TEST_F(RunScene, ASourceShortenedSinceItWasChosenFailsTheRun) {
    fs::resize_file(job.InPath(2), fs::file_size(job.InPath(2)) / 2);
    const RunResult result = runInterlace(job, settings, recordingHooks(record));
    EXPECT_EQ(result.outcome, RunOutcome::Failed);
    EXPECT_NE(result.status.message().find("第 2 张图片的文件比选择时短"), std::string::npos)
        << result.status.message();
    EXPECT_EQ(record.headers, 1);
    expectUntouched();
}

TEST_F(RunScene, ASourceRemovedSinceItWasChosenFailsTheRun) {
    fs::remove(job.InPath(1));
    before.erase("pic1.bmp");
    const RunResult result = runInterlace(job, settings, recordingHooks(record));
    EXPECT_EQ(result.outcome, RunOutcome::Failed);
    EXPECT_NE(result.status.message().find("无法打开第 1 张图片"), std::string::npos)
        << result.status.message();
    expectUntouched();
}

TEST_F(RunScene, OnlyBytesTheRunUsesMustBeInTheSource) {
    // Scale 1.5 on the 20 x 20 frame: the 25 rows sample frame rows up to
    // round(25 / 1.5) = 17 and the 30 columns frame columns up to 20 (the
    // frame's last column, which the edge columns take). A file
    // cut right after that pixel of that row still gives the run all it uses;
    // one byte less does not.
    const int64_t used = job.FramePos(2) - 1 + int64_t(17 - 1) * job.ImgStride(2) + 3 * 20;
    const std::vector<unsigned char> whole = readFile(job.InPath(2));
    for (const int64_t cut : {used, used - 1}) {
        writeFile(job.InPath(2), std::vector<unsigned char>(whole.begin(), whole.begin() + cut));
        const RunResult result = runInterlace(job, settings, recordingHooks(record));
        ASSERT_EQ(job.Scale, 1.5f);
        EXPECT_EQ(result.outcome, cut == used ? RunOutcome::Done : RunOutcome::Failed)
            << result.status.message();
    }
}

TEST_F(RunScene, AWriteFailingMidRunLeavesTheEarlierFile) {
    // The disk refuses to let the file grow past its first rows once the
    // header is in place: the rows, written from the end of the file, fail.
    const auto message = runWithFileSizeLimit(std::numeric_limits<off_t>::max(), [&] {
        RunHooks hooks = recordingHooks(record);
        hooks.makeTif = [](JobState& j, const fs::path& file, TiffForm form) {
            const bool written = writeTestHeader(j, file, form);
            const rlimit limit{1448 + 4 * rlim_t(j.RowBytes) + 7, RLIM_INFINITY};
            return written && setrlimit(RLIMIT_FSIZE, &limit) == 0;
        };
        const RunResult result = runInterlace(job, settings, hooks);
        return std::string(result.outcome == RunOutcome::Failed ? "failed: " : "other: ") +
               result.status.message();
    });
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->rfind("failed: ", 0), 0u) << *message;
    EXPECT_NE(message->find("文件超出了允许的大小"), std::string::npos) << *message;
    EXPECT_NE(message->find(job.OutPath), std::string::npos) << *message;
    expectUntouched();
}

TEST_F(RunScene, ADoneRunReplacesTheEarlierFileAndLeavesNothingElse) {
    const RunResult result = runInterlace(job, settings, recordingHooks(record));
    ASSERT_EQ(result.outcome, RunOutcome::Done) << result.status.message();
    EXPECT_EQ(namesIn(dir.path()), before);
    const TiffContents tiff = readTiff(job.OutPath, false);
    EXPECT_TRUE(tiff.opened && tiff.complaints.empty());
    EXPECT_EQ(tiff.width, 30u);
    EXPECT_EQ(tiff.height, 25u);
}

} // namespace
} // namespace tovrel::test
