// What the batch tool makes of its options: the job as choosing the pictures
// leaves it, the print size the window would propose, the output name.

#include "tests/support/bmp_file.h"
#include "tests/support/temp_dir.h"
#include "tools/batch_setup.h"

#include <gtest/gtest.h>

namespace tovrel::test {
namespace {

class BatchSetup : public ::testing::Test {
  protected:
    std::string picture(const std::string& name, int32_t width, int32_t height,
                        int32_t perMetre = 2835) {
        BmpFields fields;
        fields.width = width;
        fields.height = height;
        fields.xPerMetre = perMetre;
        const std::filesystem::path file = dir / name;
        writeFile(file, bmpFile(fields));
        return file.string();
    }

    Result<BatchRun> prepare(std::vector<std::string> args) {
        const Result<BatchOptions> options = parseBatchOptions(args);
        if (!options) {
            return options.status();
        }
        return prepareBatchRun(options.value(), dir.path(), PictureCache(dir.path() / "cache"));
    }

    TempDir dir;
};

TEST_F(BatchSetup, ChoosesThePicturesAsTheWindowDoes) {
    const std::string a = picture("a.bmp", 640, 480);
    const std::string b = picture("b.bmp", 1024, 768);
    const Result<BatchRun> run = prepare({"--pitch", "0.508", "--sharpness", "3", a, b});
    ASSERT_TRUE(run) << run.message();
    const JobState& job = run.value().job;
    EXPECT_EQ(job.ViewCount, 2);
    EXPECT_EQ(job.Views, 2.0f);
    EXPECT_EQ(job.InPath(1), a);
    EXPECT_EQ(job.InPath(2), b);
    EXPECT_EQ(job.ImgStride(1), 1920);
    EXPECT_EQ(job.ImgStride(2), 3072);
    EXPECT_EQ(job.BaseW, 640);
    EXPECT_EQ(job.BaseH, 480);
    EXPECT_EQ(job.FramePos(1), 55);
    EXPECT_EQ(job.FramePos(2), 884791);
    EXPECT_EQ(job.Aspect, 1.3333334f);
    EXPECT_EQ(job.Pitch, 0.508f);
    EXPECT_EQ(job.Sharp, 3.0f);
    EXPECT_EQ(job.OutPath, (dir / "a!.tif").string());
    EXPECT_EQ(run.value().dataFolder, dir.path());
    // The proposal: 640 x 10000 / 2835 = 2257.4956, 22.57 cm, and the height
    // from it, 16.93 cm.
    EXPECT_EQ(run.value().widthText, "22.57");
    EXPECT_EQ(run.value().heightText, "16.93");
    EXPECT_EQ(run.value().settings.widthCm, 22.57);
    EXPECT_EQ(run.value().settings.heightCm, 16.93);
    EXPECT_FALSE(run.value().settings.whiteGaps);
    EXPECT_FALSE(run.value().settings.horizontal);
}

// A folder's pictures in natural order (f2 before f10), here reversed; the
// frames shifted 3 pixels apart about frame 2 share 100 - 2 x 3 columns.
TEST_F(BatchSetup, FramesFromAFolderReversedAndShiftedAboutTheKeyFrame) {
    std::filesystem::create_directory(dir / "frames");
    for (const char* name : {"f10.bmp", "f2.bmp", "f1.bmp", ".f3.bmp"}) {
        picture(std::string("frames/") + name, 100, 50);
    }
    writeFile(dir / "frames" / "notes.txt", {'x'});
    const Result<BatchRun> run =
        prepare({"--pitch", "1", "--sharpness", "1", "--frames-from", (dir / "frames").string(),
                 "--reverse", "--key-frame", "2", "--parallax", "3", "-o", "out.tif"});
    ASSERT_TRUE(run) << run.message();
    const JobState& job = run.value().job;
    ASSERT_EQ(job.ViewCount, 3);
    EXPECT_EQ(job.InPath(1), (dir / "frames" / "f10.bmp").string());
    EXPECT_EQ(job.InPath(2), (dir / "frames" / "f2.bmp").string());
    EXPECT_EQ(job.InPath(3), (dir / "frames" / "f1.bmp").string());
    EXPECT_EQ(job.BaseW, 94);
    EXPECT_EQ(job.BaseH, 50);
    EXPECT_EQ(job.FrameCol(1), 7); // moved 3 pixels to the left
    EXPECT_EQ(job.FrameCol(2), 4);
    EXPECT_EQ(job.FrameCol(3), 1); // moved 3 pixels to the right
    const Result<BatchRun> tooFar =
        prepare({"--pitch", "1", "--sharpness", "1", "--frames-from", (dir / "frames").string(),
                 "--parallax", "50", "-o", "out.tif"});
    ASSERT_FALSE(tooFar);
    EXPECT_NE(tooFar.message().find("没有公共画面"), std::string::npos) << tooFar.message();
}

TEST_F(BatchSetup, AnchorsMoveTheFrame) {
    const std::string a = picture("a.bmp", 640, 480);
    const std::string b = picture("b.bmp", 640, 480);
    const Result<BatchRun> run =
        prepare({"--pitch", "1", "--sharpness", "2", "--anchor", "1:10,20", a, b});
    ASSERT_TRUE(run) << run.message();
    const JobState& job = run.value().job;
    EXPECT_EQ(job.BaseW, 630);
    EXPECT_EQ(job.BaseH, 460);
    EXPECT_EQ(job.FrameCol(1), 11);
    EXPECT_EQ(job.FrameCol(2), 1);
    EXPECT_EQ(job.FramePos(1), 85);
    EXPECT_EQ(job.FramePos(2), 38455);
}

struct SizeCase {
    const char* name;
    int32_t perMetre;
    std::vector<std::string> options;
    const char* width;
    const char* height;
};

class BatchPrintSize : public BatchSetup, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(BatchPrintSize, FollowsTheSizeBoxes) {
    const SizeCase& c = GetParam();
    const std::string a = picture("a.bmp", 640, 480, c.perMetre);
    const std::string b = picture("b.bmp", 800, 600);
    std::vector<std::string> args{"--pitch", "0.5", "--sharpness", "2", a, b};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const Result<BatchRun> run = prepare(args);
    ASSERT_TRUE(run) << run.message();
    EXPECT_EQ(run.value().widthText, c.width);
    EXPECT_EQ(run.value().heightText, c.height);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchPrintSize,
    ::testing::Values(SizeCase{"ProposalAt3780", 3780, {}, "16.93", "12.7"},
                      // 640 pixels at 20 per metre: 320 m, cut to 300 cm.
                      SizeCase{"ProposalBeyondTheCap", 20, {}, "300", "225"},
                      SizeCase{"WidthKeepsProportion", 2835, {"--width", "20"}, "20", "15"},
                      SizeCase{"HeightKeepsProportion", 2835, {"--height", "15"}, "20", "15"},
                      // A height whose width passes the cap is refused (the tool's table).
                      SizeCase{"HeightAtTheCap", 2835, {"--height", "225"}, "300", "225"},
                      SizeCase{
                          "BothAsGiven", 2835, {"--width", "10", "--height", "50"}, "10", "50"},
                      SizeCase{"NoResolutionButGiven", 0, {"--width", "8"}, "8", "6"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BatchSetup, SettingsFromTheOptions) {
    const std::string a = picture("a.bmp", 64, 48);
    const std::string b = picture("b.bmp", 64, 48);
    const Result<BatchRun> run =
        prepare({"--pitch", "0.254", "--sharpness", "4", "--white-gap", "3", "--horizontal", a, b});
    ASSERT_TRUE(run) << run.message();
    EXPECT_TRUE(run.value().settings.whiteGaps);
    EXPECT_EQ(run.value().settings.whiteWidth, 3);
    EXPECT_TRUE(run.value().settings.horizontal);
    EXPECT_EQ(run.value().job.OutPath, (dir / "a-.tif").string());
}

TEST_F(BatchSetup, DataFileByNameOrFolder) {
    const std::string a = picture("a.bmp", 64, 48);
    const std::string b = picture("b.bmp", 64, 48);
    const std::filesystem::path other = dir / "elsewhere";
    std::filesystem::create_directory(other);
    for (const std::string& given : {(other / "kvxj.dll").string(), other.string()}) {
        const Result<BatchRun> run =
            prepare({"--pitch", "1", "--sharpness", "2", "--data-file", given, a, b});
        ASSERT_TRUE(run) << run.message();
        EXPECT_EQ(run.value().dataFolder, other) << given;
    }
}

struct SetupRefusal {
    const char* name;
    std::vector<std::string> options;
    int32_t perMetre;
    bool secondMissing;
    const char* says;
};

class BatchSetupRefusal : public BatchSetup, public ::testing::WithParamInterface<SetupRefusal> {};

TEST_P(BatchSetupRefusal, SaysWhy) {
    const SetupRefusal& c = GetParam();
    const std::string a = picture("a.bmp", 64, 48, c.perMetre);
    const std::string b = c.secondMissing ? (dir / "gone.bmp").string() : picture("b.bmp", 64, 48);
    std::vector<std::string> args{"--pitch", "1", "--sharpness", "2", a, b};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const Result<BatchRun> run = prepare(args);
    ASSERT_FALSE(run);
    EXPECT_NE(run.message().find(c.says), std::string::npos) << run.message();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchSetupRefusal,
    ::testing::Values(
        SetupRefusal{"UnreadablePicture", {}, 2835, true, "无法打开图片文件"},
        SetupRefusal{"NoCommonFrame", {"--anchor", "2:64,0"}, 2835, false, "没有公共画面"},
        SetupRefusal{"AnchorPastTheRightEdge", {"--anchor", "1:70,0"}, 2835, false, "没有公共画面"},
        SetupRefusal{"NoResolutionNoSize", {}, 0, false, "无法从第 1 张图片推算打印尺寸"},
        SetupRefusal{"WidthTooSmall", {"--width", "0.00001"}, 2835, false, "打印尺寸太小"},
        SetupRefusal{"DataFileOtherName",
                     {"--data-file", "/tmp/other.dll"},
                     2835,
                     false,
                     "必须名为 kvxj.dll"},
        SetupRefusal{"LineFeedInTheOutputName", {"-o", "a\nb.tif"}, 2835, false, "控制字符"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BatchSetup, NoOutputNameWithoutABmpExtension) {
    const std::string a = picture("a.pic", 64, 48);
    const std::string b = picture("b.bmp", 64, 48);
    const Result<BatchRun> refused = prepare({"--pitch", "1", "--sharpness", "2", a, b});
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.message().find("请用 -o 指定输出文件"), std::string::npos);
    const Result<BatchRun> named =
        prepare({"--pitch", "1", "--sharpness", "2", "-o", "x.tif", a, b});
    ASSERT_TRUE(named) << named.message();
    // A relative name lies in the working folder, named in full.
    EXPECT_EQ(named.value().job.OutPath, (std::filesystem::current_path() / "x.tif").string());
}

TEST_F(BatchSetup, UpperCaseExtensionIsCutLikeAnyOther) {
    const std::string a = picture("CAT.BMP", 64, 48);
    const std::string b = picture("b.bmp", 64, 48);
    const Result<BatchRun> run = prepare({"--pitch", "1", "--sharpness", "2", a, b});
    ASSERT_TRUE(run) << run.message();
    EXPECT_EQ(run.value().job.OutPath, (dir / "CAT!.tif").string());
}

} // namespace
} // namespace tovrel::test
