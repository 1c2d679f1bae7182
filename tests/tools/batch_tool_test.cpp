// The built batch tool, run as a user runs it: its help, its output file and
// report, the pitch it records, its progress bar and every refusal.

#include "flip/sweep_gif.h"
#include "params/pitch_store.h"
#include "tests/flip/flip_fixture.h"
#include "tests/params/data_file_maker.h"
#include "tests/render/engine_fixture.h"
#include "tests/support/bmp_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"
#include "tests/tools/batch_process.h"
#include "tools/batch_options.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <set>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;

using Args = std::vector<std::string>;

class BatchTool : public ::testing::Test {
  public:
    void SetUp() override {
        fs::create_directory(data);
        writeDataBytes(readFile(shippedDataFile()));
        JobState job;
        choosePictures(job, work.path(), {{16, 12}, {16, 12, 2, 1}});
    }

    void writeDataBytes(const std::vector<unsigned char>& bytes) {
        writeFile(data / "kvxj.dll", bytes);
    }

    std::string picture(int n) const {
        return (work / ("pic" + std::to_string(n) + ".bmp")).string();
    }

    // Two pictures, 2 x 1.5 cm at pitch 0.5 and sharpness 3: 240 x 180 pixels.
    Args standard(const Args& more = {}) const {
        Args args{
            "--pitch", "0.5",      "--sharpness", "3",           "--width",
            "2",       "--height", "1.5",         "--data-file", (data / "kvxj.dll").string()};
        args.insert(args.end(), more.begin(), more.end());
        args.push_back(picture(1));
        args.push_back(picture(2));
        return args;
    }

    // The standard run simulated into `file`, 40 pixels wide.
    Args simulated(const std::string& phase, const fs::path& file, Args more = {}) const {
        more.insert(more.end(), {"--simulate", phase, "--simulate-width", "40", "--simulate-out",
                                 file.string()});
        return standard(more);
    }

    std::set<fs::path> folderContents() const {
        std::set<fs::path> names;
        for (const auto& entry : fs::directory_iterator(work.path())) {
            names.insert(entry.path().filename());
        }
        return names;
    }

    // A 16 x 12 BMP V5 file carrying `profile` (here a broken one, whose
    // header is cut short), or marked sRGB when it is empty.
    static std::vector<unsigned char> v5Picture(std::vector<unsigned char> profile) {
        std::vector<unsigned char> b = bmpFile({16, 12, 2835, 2835, 124});
        putLE32(b, 14 + 56, profile.empty() ? 0x73524742 : 0x4D424544); // 'sRGB' or 'MBED'
        putLE32(b, 14 + 112, uint32_t(b.size() - 14));
        putLE32(b, 14 + 116, uint32_t(profile.size()));
        b.insert(b.end(), profile.begin(), profile.end());
        return b;
    }
    static std::vector<unsigned char> brokenProfile() {
        const std::vector<unsigned char> srgb =
            readFile("/usr/share/color/icc/ghostscript/srgb.icc");
        return {srgb.begin(), srgb.begin() + 100};
    }

    fs::path defaultOutput() const { return work / "pic1!.tif"; }
    fs::path dataFile() const { return data / "kvxj.dll"; }
    const TempDir& folder() const { return work; }

    TempDir work;
    fs::path data = work / "data";
};

TEST_F(BatchTool, HelpDocumentsEveryOption) {
    const BatchOutcome help = runBatch({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out, batchUsage());
    EXPECT_EQ(help.err, "");
    for (const char* option :
         {"--pitch MM", "--sharpness N", "--width CM", "--height CM", "--anchor K:X,Y",
          "--horizontal", "--white-gap N", "-o, --output PATH", "--data-file PATH", "--bigtiff",
          "--simulate PHASE", "--simulate-width PIXELS", "--pitch-error PERCENT",
          "--simulate-out FILE.png|FILE.gif", "--frames-from FOLDER", "--reverse", "--key-frame K",
          "--parallax PIXELS", "--broken-profile-as-srgb"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    const BatchOutcome version = runBatch({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, batchVersion());
    EXPECT_TRUE(version.out.starts_with("tovrel-batch 2.")) << version.out;
}

TEST_F(BatchTool, WritesTheFileTheCoreWrites) {
    writeFile(defaultOutput(), {'o', 'l', 'd'});
    const std::vector<unsigned char> dataBefore = readFile(data / "kvxj.dll");
    const BatchOutcome done = runBatch(standard({"--anchor", "2:2,1", "--white-gap", "1"}));
    ASSERT_EQ(done.exitCode, 0) << done.err;
    // Standard error is no terminal: no progress bar, nothing else either.
    EXPECT_EQ(done.err, "");
    EXPECT_NE(done.out.find("输出文件：" + defaultOutput().string()), std::string::npos);
    EXPECT_NE(done.out.find("打印尺寸：2 × 1.5 厘米"), std::string::npos) << done.out;
    EXPECT_NE(done.out.find("宽度：240 像素"), std::string::npos) << done.out;
    EXPECT_NE(done.out.find("高度：180 像素"), std::string::npos) << done.out;
    // 2 x 3 x 10 x 2.54 / 0.5
    EXPECT_NE(done.out.find("分辨率：304.8 像素/英寸"), std::string::npos) << done.out;

    EXPECT_TRUE(readsAsTiff(defaultOutput(), 240, 180, 304.8f));

    // The same job and settings through the core directly.
    JobState job;
    TempDir coreDir;
    choosePictures(job, coreDir.path(), {{16, 12}, {16, 12, 2, 1}});
    job.Pitch = 0.5f;
    job.Sharp = 3;
    job.OutPath = (coreDir / "out.tif").string();
    RunRecord record;
    const RunResult core =
        runInterlace(job, RunSettings{2, 1.5, true, 1, false}, recordingHooks(record));
    ASSERT_EQ(core.outcome, RunOutcome::Done) << core.status.message();
    EXPECT_EQ(readFile(defaultOutput()), readFile(job.OutPath));

    // The new pitch went to the end of the data file.
    std::vector<unsigned char> recorded = dataBefore;
    const auto entry = entryBytes(0.5f);
    recorded.insert(recorded.end(), entry.begin(), entry.end());
    EXPECT_EQ(readFile(data / "kvxj.dll"), recorded);
}

TEST_F(BatchTool, SimulatesTheCardInsteadOfWritingIt) {
    const fs::path png = work / "card.png";
    const std::vector<unsigned char> dataBefore = readFile(dataFile());
    const BatchOutcome done = runBatch(
        standard({"--anchor", "2:2,1", "--white-gap", "1", "--simulate", "0.75", "--simulate-width",
                  "120", "--pitch-error", "0.5", "--simulate-out", png.string()}));
    ASSERT_EQ(done.exitCode, 0) << done.err;
    EXPECT_EQ(done.err, "");
    EXPECT_NE(done.out.find("预览图：" + png.string()), std::string::npos) << done.out;
    EXPECT_NE(done.out.find("尺寸：120 × 90 像素"), std::string::npos) << done.out;
    // No TIFF, no pitch recorded, nothing else in the folder.
    EXPECT_FALSE(fs::exists(defaultOutput()));
    EXPECT_EQ(readFile(dataFile()), dataBefore);
    EXPECT_EQ(folderContents(), (std::set<fs::path>{"card.png", "data", "pic1.bmp", "pic2.bmp"}));

    // The same view through the core.
    FlipScene scene;
    TempDir coreDir;
    choosePictures(scene.job, coreDir.path(), {{16, 12}, {16, 12, 2, 1}});
    scene.job.Pitch = 0.5f;
    scene.job.Sharp = 3;
    scene.settings = RunSettings{2, 1.5, true, 1, false};
    FlipSimulator simulator = simulatorFor(scene);
    const Result<ViewImage> view = simulator.render({120, 90}, 0.75, 0.005);
    ASSERT_TRUE(view) << view.message();
    const ViewImage written = decodePng(readFile(png));
    EXPECT_EQ(written.width, 120);
    EXPECT_EQ(written.height, 90);
    EXPECT_EQ(written.rgb, view.value().rgb);
}

// FILE.gif: the looping sweep the window saves, byte for byte.
TEST_F(BatchTool, SimulatesTheSweepAsTheWindowSavesIt) {
    const fs::path gif = work / "card.gif";
    const BatchOutcome done =
        runBatch(standard({"--anchor", "2:2,1", "--simulate", "0.25", "--simulate-width", "60",
                           "--pitch-error", "-1", "--simulate-out", gif.string()}));
    ASSERT_EQ(done.exitCode, 0) << done.err;
    EXPECT_NE(done.out.find("预览图：" + gif.string()), std::string::npos) << done.out;
    FlipScene scene;
    TempDir coreDir;
    choosePictures(scene.job, coreDir.path(), {{16, 12}, {16, 12, 2, 1}});
    scene.job.Pitch = 0.5f;
    scene.job.Sharp = 3;
    scene.settings = RunSettings{2, 1.5};
    FlipSimulator simulator = simulatorFor(scene);
    const Result<std::vector<uint8_t>> sweep = encodeSweepGif(simulator, {60, 45}, -0.01);
    ASSERT_TRUE(sweep) << sweep.message();
    EXPECT_EQ(readFile(gif),
              std::vector<unsigned char>(sweep.value().begin(), sweep.value().end()));
}

TEST_F(BatchTool, KnownPitchLeavesTheDataFileAlone) {
    ASSERT_EQ(runBatch(standard()).exitCode, 0);
    const std::vector<unsigned char> once = readFile(data / "kvxj.dll");
    const BatchOutcome again = runBatch(standard());
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(readFile(data / "kvxj.dll"), once);
}

TEST_F(BatchTool, ProgressBarOnlyOnATerminal) {
    BatchEnvironment terminal;
    terminal.terminal = true;
    const BatchOutcome shown = runBatch(standard(), terminal);
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.err.find("\r["), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find("#"), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find("%"), std::string::npos) << shown.err;
    EXPECT_EQ(shown.out.find("%"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("宽度：240 像素"), std::string::npos) << shown.out;
}

// Both streams on one terminal, as in a shell: the bar's line ends before
// the summary starts.
TEST_F(BatchTool, TheProgressLineEndsBeforeTheSummary) {
    BatchEnvironment shell;
    shell.sharedTerminal = true;
    const BatchOutcome done = runBatch(standard(), shell);
    ASSERT_EQ(done.exitCode, 0) << done.err;
    const std::size_t summary = done.err.find("输出文件：");
    ASSERT_NE(summary, std::string::npos) << done.err;
    // The bar's figure, the end of its line (a terminal turns a line feed
    // into a carriage return and a line feed), then the summary.
    ASSERT_GE(summary, 3u);
    EXPECT_EQ(done.err.substr(summary - 3, 3), "%\r\n") << done.err;
}

// --bigtiff: the same pixels in the BigTIFF form, said so in the summary.
TEST_F(BatchTool, BigTiffHoldsThePixelsOfTheClassicFile) {
    const BatchOutcome classic = runBatch(standard());
    ASSERT_EQ(classic.exitCode, 0) << classic.err;
    EXPECT_NE(classic.out.find("格式：TIFF\n"), std::string::npos) << classic.out;
    const std::vector<unsigned char> plain = readFile(defaultOutput());
    const std::string software = readTiff(defaultOutput(), false).software;
    EXPECT_FALSE(software.empty());
    const BatchOutcome big = runBatch(standard({"--bigtiff"}));
    ASSERT_EQ(big.exitCode, 0) << big.err;
    EXPECT_NE(big.out.find("格式：BigTIFF\n"), std::string::npos) << big.out;
    const std::vector<unsigned char> bigBytes = readFile(defaultOutput());
    const std::size_t pixels = 240 * 180 * 3;
    ASSERT_EQ(plain.size(), 1449 + pixels);
    ASSERT_GT(bigBytes.size(), 16 + pixels);
    EXPECT_TRUE(std::equal(plain.begin() + 1448, plain.end() - 1, bigBytes.begin() + 16));
    const TiffContents t = readTiff(defaultOutput(), false);
    EXPECT_TRUE(t.bigTiff);
    EXPECT_EQ(t.software, software);
    EXPECT_TRUE(readsAsTiff(defaultOutput(), 240, 180, 304.8f));
}

// The CMYK file of a press profile, classic and BigTIFF, against LittleCMS's
// own transform of the RGB run's pixels; libtiff reads it as separated.
TEST_F(BatchTool, CmykOutputIsTheRgbRunThroughThePressProfile) {
    const std::string press = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
    ASSERT_EQ(runBatch(standard({"--white-gap", "1"})).exitCode, 0);
    const TiffContents rgb = readTiff(defaultOutput(), true);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE cmyk = cmsOpenProfileFromFile(press.c_str(), "r");
    cmsHTRANSFORM reference =
        cmsCreateTransform(srgb, TYPE_RGB_8, cmyk, TYPE_CMYK_8, INTENT_RELATIVE_COLORIMETRIC,
                           cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOCACHE);
    for (const bool big : {false, true}) {
        SCOPED_TRACE(big);
        Args more{"--output-profile", press, "--white-gap", "1"};
        if (big) {
            more.push_back("--bigtiff");
        }
        const BatchOutcome done = runBatch(standard(more));
        ASSERT_EQ(done.exitCode, 0) << done.err;
        const TiffContents t = readTiff(defaultOutput(), true);
        EXPECT_TRUE(t.complaints.empty());
        EXPECT_EQ(t.bigTiff, big);
        EXPECT_EQ(t.photometric, 5);
        EXPECT_EQ(t.samplesPerPixel, 4);
        EXPECT_EQ(t.inkSet, 1);
        EXPECT_EQ(t.iccProfile, readFile(press));
        ASSERT_EQ(t.rows.size(), rgb.rows.size());
        int worst = 0;
        for (std::size_t r = 0; r < t.rows.size(); ++r) {
            std::vector<uint8_t> expected(240 * 4);
            cmsDoTransform(reference, rgb.rows[r].data(), expected.data(), 240);
            ASSERT_EQ(t.rows[r].size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i) {
                worst = std::max(worst, std::abs(int(t.rows[r][i]) - int(expected[i])));
            }
        }
        EXPECT_LE(worst, 1);
    }
    cmsDeleteTransform(reference);
    cmsCloseProfile(cmyk);
    cmsCloseProfile(srgb);
}

// With --broken-profile-as-srgb a picture whose embedded profile is broken
// gives the file of the same picture marked sRGB (refused without: a row of
// the refusals below).
TEST_F(BatchTool, BrokenEmbeddedProfileTakenAsSrgbOnRequest) {
    writeFile(work / "broken.bmp", v5Picture(brokenProfile()));
    writeFile(work / "srgb.bmp", v5Picture({}));
    Args taken = standard({"--broken-profile-as-srgb", "-o", (work / "taken.tif").string()});
    taken.back() = (work / "broken.bmp").string();
    const BatchOutcome done = runBatch(taken);
    ASSERT_EQ(done.exitCode, 0) << done.err;
    Args marked = standard({"-o", (work / "marked.tif").string()});
    marked.back() = (work / "srgb.bmp").string();
    ASSERT_EQ(runBatch(marked).exitCode, 0);
    const TiffContents t = readTiff(work / "taken.tif", true);
    EXPECT_TRUE(t.complaints.empty());
    EXPECT_EQ(t.photometric, 2);
    EXPECT_EQ(t.rows, readTiff(work / "marked.tif", true).rows);
    EXPECT_EQ(t.rows.size(), 180u);
}

TEST_F(BatchTool, PitchThatCannotBeRecordedStillGivesTheOutput) {
    // A data file longer than the output, and files that may not grow beyond
    // it: the output fits, the pitch entry does not.
    const Result<TiffTemplate> shipped = PitchStore(shippedDataFile().parent_path()).readTemplate();
    ASSERT_TRUE(shipped);
    const std::vector<unsigned char> full =
        dataFileBytes(shipped.value(), std::vector<float>(2000, 0.254f));
    writeDataBytes(full);
    BatchEnvironment disk;
    disk.maxFileBytes = static_cast<off_t>(full.size());
    // 60 x 30 pixels: 1449 + 5400 bytes.
    const BatchOutcome done =
        runBatch(Args{"--pitch", "0.5", "--sharpness", "3", "--width", "0.5", "--height", "0.25",
                      "--data-file", (data / "kvxj.dll").string(), picture(1), picture(2)},
                 disk);
    EXPECT_EQ(done.exitCode, 0) << done.err;
    EXPECT_NE(done.err.find("本次的栅距没有记入栅距列表，输出文件照常生成。"), std::string::npos)
        << done.err;
    EXPECT_EQ(readFile(data / "kvxj.dll"), full);
    EXPECT_TRUE(readsAsTiff(defaultOutput(), 60, 30, 304.8f));
    EXPECT_EQ(fs::file_size(defaultOutput()), 1449u + 5400u);
}

TEST_F(BatchTool, OutputWithoutRoomIsReportedUnderItsOwnName) {
    // 240 x 180 pixels need 129,049 bytes; files may not grow beyond 100,000.
    const std::vector<unsigned char> earlier{'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    writeFile(defaultOutput(), earlier);
    BatchEnvironment disk;
    disk.maxFileBytes = 100000;
    const BatchOutcome refused = runBatch(standard(), disk);
    EXPECT_EQ(refused.exitCode, 1);
    // The run writes into a hidden file first; the user is told about the
    // file they asked for.
    EXPECT_NE(refused.err.find("无法写入输出文件 " + defaultOutput().string() +
                               "：文件超出了允许的大小。"),
              std::string::npos)
        << refused.err;
    // The limit is the process's, not a full disk's.
    EXPECT_NE(refused.err.find("超过了本程序可写文件的大小上限 100 KB（ulimit -f）"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(refused.err.find(".tovrel.tmp"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(defaultOutput()), earlier);
    EXPECT_EQ(folderContents(), (std::set<fs::path>{"data", "pic1!.tif", "pic1.bmp", "pic2.bmp"}));
}

TEST_F(BatchTool, DataFileNextToTheProgramByDefault) {
    // A copy of the tool in a folder of its own, with a data file beside it.
    TempDir installed;
    BatchEnvironment copy;
    copy.program = (installed / "tovrel-batch").string();
    fs::copy_file(TOVREL_BATCH, copy.program);
    Args args = standard();
    args.erase(args.begin() + 8, args.begin() + 10); // no --data-file

    const BatchOutcome missing = runBatch(args, copy);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("kvxj.dll 没有找到。"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(defaultOutput()));

    const std::vector<unsigned char> shipped = readFile(shippedDataFile());
    writeFile(installed / "kvxj.dll", shipped);
    const BatchOutcome done = runBatch(args, copy);
    ASSERT_EQ(done.exitCode, 0) << done.err;
    EXPECT_EQ(readFile(installed / "kvxj.dll").size(), shipped.size() + 4);
    EXPECT_EQ(readFile(data / "kvxj.dll"), shipped);
    EXPECT_TRUE(fs::exists(defaultOutput()));
}

struct ToolRefusal {
    const char* name;
    std::function<Args(const BatchTool&)> args;
    int exitCode;
    const char* says;
};

class BatchToolRefusal : public BatchTool, public ::testing::WithParamInterface<ToolRefusal> {};

TEST_P(BatchToolRefusal, ExitsWithAMessageAndLeavesEverythingAsItWas) {
    const std::vector<unsigned char> earlier{'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    writeFile(defaultOutput(), earlier);
    writeFile(work / "not-a-picture.bmp", {'h', 'e', 'l', 'l', 'o'});
    const std::set<fs::path> before = folderContents();
    const std::vector<unsigned char> dataBefore = readFile(data / "kvxj.dll");
    const std::vector<unsigned char> pictureBefore = readFile(picture(1));

    const BatchOutcome refused = runBatch(GetParam().args(*this));
    EXPECT_EQ(refused.exitCode, GetParam().exitCode);
    EXPECT_EQ(refused.out, "");
    EXPECT_TRUE(refused.err.starts_with("tovrel-batch: ")) << refused.err;
    EXPECT_NE(refused.err.find(GetParam().says), std::string::npos) << refused.err;

    EXPECT_EQ(folderContents(), before);
    EXPECT_EQ(readFile(defaultOutput()), earlier);
    EXPECT_EQ(readFile(picture(1)), pictureBefore);
    if (fs::exists(data / "kvxj.dll")) {
        EXPECT_EQ(readFile(data / "kvxj.dll"), dataBefore);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchToolRefusal,
    ::testing::Values(
        ToolRefusal{"NoArguments", [](const BatchTool&) { return Args{}; }, 2,
                    "需要 2 到 64 张图片，给出了 0 张。\n用 --help 查看用法。"},
        ToolRefusal{"UnknownOption", [](const BatchTool& t) { return t.standard({"--fast"}); }, 2,
                    "未知的选项：--fast"},
        ToolRefusal{"PitchOutOfRange",
                    [](const BatchTool& t) {
                        return Args{"--pitch", "3.5",        "--sharpness",
                                    "3",       t.picture(1), t.picture(2)};
                    },
                    2, "栅距必须大于 0 且不超过 3 毫米"},
        ToolRefusal{"WhiteGapTooWide",
                    [](const BatchTool& t) {
                        return t.standard({"--white-gap", "3"});
                    },
                    2, "留白宽度最多为 2 像素"},
        ToolRefusal{"ChartResolutionBelowRange",
                    [](const BatchTool& t) {
                        return Args{"--pitch-test",
                                    "--pitch",
                                    "0.254",
                                    "--resolution",
                                    "71",
                                    "-o",
                                    (t.folder() / "c.tif").string()};
                    },
                    2, "分辨率必须在 72 到 4800 像素/英寸之间。"},
        ToolRefusal{"ChartBeyondThePaper",
                    [](const BatchTool& t) {
                        return Args{
                            "--pitch-test",        "--pitch", "0.254",
                            "--band-height",       "8",       "--data-file",
                            t.dataFile().string(), "-o",      (t.folder() / "c.tif").string()};
                    },
                    2, "A4 纸的可打印范围（四边各留 1 厘米）最多放得下 31 条测试条，现在有 41 条"},
        ToolRefusal{"DataFileOfAnotherName",
                    [](const BatchTool& t) {
                        return Args{"--pitch",    "0.5",         "--sharpness",
                                    "3",          "--data-file", (t.folder() / "data.bin").string(),
                                    t.picture(1), t.picture(2)};
                    },
                    2, "--data-file：数据文件必须名为 kvxj.dll"},
        ToolRefusal{
            "HeightWhoseWidthPassesTheCap",
            [](const BatchTool& t) {
                // 16 x 12 pictures: 240 cm high would be 320 cm wide.
                return Args{"--pitch",    "0.5",       "--sharpness", "3",
                            "--height",   "240",       "--data-file", t.dataFile().string(),
                            t.picture(1), t.picture(2)};
            },
            2,
            "--height：按图片的宽高比例，这个高度的打印宽度超过 300 厘米；高度最多为 225 厘米。"},
        ToolRefusal{"SharpnessNotWhole",
                    [](const BatchTool& t) {
                        Args args = t.standard();
                        args[3] = "2.5";
                        return args;
                    },
                    2, "--sharpness：清晰倍数必须是 1 到 20 之间的整数"},
        ToolRefusal{"SimulatePhaseOne",
                    [](const BatchTool& t) { return t.simulated("1", t.folder() / "v.png"); }, 2,
                    "视角必须不小于 0 且小于 1"},
        ToolRefusal{"SimulateIntoAJpeg",
                    [](const BatchTool& t) { return t.simulated("0.5", t.folder() / "s.jpg"); }, 2,
                    "文件名须以 .png（一个视角）或 .gif（循环动画）结尾"},
        // 2 x 25.4 / 0.5 = 101.6: lenses of 1.97 pixels at 100 ppi.
        ToolRefusal{"PrinterLensNarrowerThanThePictures",
                    [](const BatchTool& t) {
                        return t.standard({"--printer-ppi", "100"});
                    },
                    1, "打印机分辨率至少要 102 像素/英寸"},
        ToolRefusal{"SimulatedLensNarrowerThanThePictures",
                    [](const BatchTool& t) {
                        return t.simulated("0.5", t.folder() / "v.gif", {"--printer-ppi", "100"});
                    },
                    1, "打印机分辨率至少要 102 像素/英寸"},
        ToolRefusal{"OutputProfileNotAProfile",
                    [](const BatchTool& t) {
                        return t.standard(
                            {"--output-profile", (t.folder() / "not-a-picture.bmp").string()});
                    },
                    1, "无法打开输出色彩配置文件：它不是可用的 ICC 色彩配置文件"},
        ToolRefusal{"OutputProfileOfGrey",
                    [](const BatchTool& t) {
                        return t.standard({"--output-profile",
                                           "/usr/share/color/icc/ghostscript/default_gray.icc"});
                    },
                    1, "输出色彩配置文件既不是 RGB 的也不是 CMYK 的，不能用于输出。"},
        ToolRefusal{"CmykProfileForRgbPictures",
                    [](const BatchTool& t) {
                        return t.standard({"--input-profile",
                                           "/usr/share/color/icc/ghostscript/default_cmyk.icc"});
                    },
                    1, "指定给图片的色彩配置文件不是 RGB 的，不能用于 RGB 图片。"},
        ToolRefusal{
            "BrokenEmbeddedProfile",
            [](const BatchTool& t) {
                writeFile(t.picture(2), BatchTool::v5Picture(BatchTool::brokenProfile()));
                return t.standard();
            },
            1,
            "它内嵌的色彩配置文件已损坏。\n用 --broken-profile-as-srgb 可按 sRGB 处理这张图片。"},
        ToolRefusal{"UnknownIntent",
                    [](const BatchTool& t) {
                        return t.standard({"--intent", "vivid"});
                    },
                    2, "“vivid”不是 perceptual、relative、saturation 或 absolute。"},
        ToolRefusal{"MissingPicture",
                    [](const BatchTool& t) {
                        Args args = t.standard();
                        args.back() = (t.folder() / "gone.bmp").string();
                        return args;
                    },
                    1, "无法打开图片文件"},
        ToolRefusal{"NotAPicture",
                    [](const BatchTool& t) {
                        Args args = t.standard();
                        args.back() = (t.folder() / "not-a-picture.bmp").string();
                        return args;
                    },
                    1, "无法使用"},
        ToolRefusal{"NoCommonFrame",
                    [](const BatchTool& t) {
                        return t.standard({"--anchor", "1:16,0"});
                    },
                    1, "没有公共画面"},
        ToolRefusal{"DataFileMissing",
                    [](const BatchTool& t) {
                        fs::remove(t.dataFile());
                        return t.standard();
                    },
                    1, "kvxj.dll 没有找到。\n    请复制 kvxj.dll 到该应用程序所在的文件夹。\n"},
        ToolRefusal{"OutputIsTheDataFile",
                    [](const BatchTool& t) {
                        return t.standard({"-o", t.dataFile().string()});
                    },
                    1, "是本程序自己的数据文件 kvxj.dll"},
        ToolRefusal{"OutputIsASourcePicture",
                    [](const BatchTool& t) {
                        return t.standard({"-o", t.picture(1)});
                    },
                    1, "输出文件不能是源图片本身（第 1 张图片）"},
        ToolRefusal{"SimulationOverASourcePicture",
                    [](const BatchTool& t) {
                        return t.standard({"--simulate", "0.5", "--simulate-width", "40",
                                           "--simulate-out", t.picture(1)});
                    },
                    2, "文件名须以 .png（一个视角）或 .gif（循环动画）结尾"},
        ToolRefusal{"SimulationOverTheDataFile",
                    [](const BatchTool& t) {
                        return t.standard({"--simulate", "0.5", "--simulate-width", "40",
                                           "--simulate-out", t.dataFile().string()});
                    },
                    2, "文件名须以 .png（一个视角）或 .gif（循环动画）结尾"},
        ToolRefusal{"SimulationFolderMissing",
                    [](const BatchTool& t) {
                        return t.standard({"--simulate", "0.5", "--simulate-width", "40",
                                           "--simulate-out",
                                           (t.folder() / "none" / "v.png").string()});
                    },
                    1, "输出文件夹不存在"},
        ToolRefusal{"OutputFolderMissing",
                    [](const BatchTool& t) {
                        return t.standard({"-o", (t.folder() / "none" / "x.tif").string()});
                    },
                    1, "输出文件夹不存在"},
        ToolRefusal{"OutputTooLarge",
                    [](const BatchTool& t) {
                        return Args{"--pitch",     "0.1",
                                    "--sharpness", "20",
                                    "--width",     "300",
                                    "--height",    "300",
                                    "--data-file", t.dataFile().string(),
                                    t.picture(1),  t.picture(2)};
                    },
                    1, "4 TB"},
        ToolRefusal{"RowsTooLongForStrips",
                    [](const BatchTool& t) {
                        return Args{"--pitch",     "0.04",
                                    "--sharpness", "20",
                                    "--width",     "300",
                                    "--height",    "1",
                                    "--data-file", t.dataFile().string(),
                                    t.picture(1),  t.picture(2)};
                    },
                    1, "8 MiB"},
        ToolRefusal{"ResolutionTooHigh",
                    [](const BatchTool& t) {
                        return Args{"--pitch",     "0.01",
                                    "--sharpness", "20",
                                    "--width",     "3",
                                    "--height",    "3",
                                    "--data-file", t.dataFile().string(),
                                    t.picture(1),  t.picture(2)};
                    },
                    1, "32768"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovrel::test
