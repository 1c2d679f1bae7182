#include "tools/batch_options.h"

#include "common/leading_number.h"
#include "common/rounding.h"
#include "params/print_settings.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <set>

namespace tovrel {

namespace {

constexpr std::string_view kUsage =
    R"(tovrel-batch [options] PICTURE1 PICTURE2 [PICTURE3 ... PICTURE64]
tovrel-batch [options] --frames-from FOLDER
  Pictures: 2 to 64 frames, BMP, PNG, JPEG or TIFF files (.bmp .png .jpg .jpeg .tif .tiff). Pictures
  other than plain 24-bit BMP files are decoded first into $XDG_CACHE_HOME/tovrel
  (else ~/.cache/tovrel); a picture's embedded colour profile is honoured, one
  without is taken as sRGB (or as --input-profile).
  --pitch MM            lens pitch in millimetres (required; above 0, at most 3)
  --sharpness N         sharpness multiple (required; a whole number from 1 to 20)
  --width CM            print width; default: the window's proposal
  --height CM           print height; default: the window's proposal (kept in proportion)
  --anchor K:X,Y        anchor point of picture K (default 0,0; beyond the fourth frame
                        the first frame's), repeatable
  --frames-from FOLDER  the frames: the folder's pictures in natural order (f2 before f10)
  --reverse             the frames in the opposite order
  --key-frame K         the frame that lies in the card's plane (default 1)
  --parallax PIXELS     horizontal shift between neighbouring frames about the key frame
                        (default 0); the common frame shrinks to what all frames share
  --horizontal          horizontal flip (strips are rows); vertical by default
  --white-gap N         white gap of N pixels at the end of every strip (default 0: none)
  --printer-ppi R       render at the printer's resolution R (72 to 4800 pixels per inch):
                        lenses of R x pitch / 25.4 pixels, centred on the card; at least
                        pictures x 25.4 / pitch, so that every lens holds every picture
  -o, --output PATH     default: the window's proposed name (first picture's path without
                        its extension, "!" or "-", ".tif")
  --bigtiff             write a BigTIFF whatever the size (by default only files
                        beyond 2 GB, which a classic TIFF cannot hold, are)
  --input-profile FILE.icc   the RGB profile of pictures that carry none (default sRGB)
  --output-profile FILE.icc  make the output for this profile and embed it: an RGB
                        profile gives RGB, a CMYK (press) profile a CMYK TIFF
                        (default: sRGB, no profile embedded)
  --intent NAME         perceptual, relative (default), saturation or absolute
  --no-bpc              no black-point compensation (on by default)
  --broken-profile-as-srgb  take a picture whose embedded profile is broken as sRGB
                        (by default such a picture is refused)
  --bleed MM            bleed on every side of the card, 0 to 20 (default 0; 3 on a sheet):
                        the pictures cover the card and its bleed, trimmed at the print size
  --sheet A4|A3|SRA3|Letter|Tabloid|WxH  a press sheet (WxH in cm) of copies of the card,
                        centred, on one lens grid across the whole sheet
  --copies auto|RxC     copies on the sheet: as many as fit (default) or R rows x C columns
  --gutter MM           space between the cards' bleed edges, 0 to 20 (default 4); across the
                        lenses it grows to the next whole lens
  --marks               crop marks, lens alignment bars and a slug line in the margins
  --layout-out FILE.json  the sheet's layout: card trim and bleed boxes in pixels, lens grid
  --cut-out FILE.svg    the trim lines at the sheet's size, for cutters
  --data-file PATH      default: kvxj.dll next to the program, else your own
                        $XDG_DATA_HOME/tovrel/kvxj.dll (~/.local/share/tovrel/kvxj.dll),
                        first made as a copy of the installed /usr/share/tovrel/kvxj.dll
  --simulate PHASE      instead of the TIFF, a PNG of the card seen through its lenses at a
                        viewing phase from 0 up to (not including) 1; needs --simulate-width
                        and --simulate-out
  --simulate-width PIXELS  width of that picture (1 to 8192)
  --pitch-error PERCENT    lenses that much wider (or narrower) than the print's (-2 to 2; default 0)
  --simulate-out FILE.png|FILE.gif  where the picture goes: FILE.png the view at PHASE,
                        FILE.gif the window's looping sweep through every phase
  --version             prints the version and ends

tovrel-batch --pitch-test --pitch MM [options] -o FILE
  writes a pitch test chart: one band of lines per candidate pitch, and lists
  the bands' pitches (mm and lenses per inch), top or left band first
  --range MM            bands at pitch + i x step for the whole i with |i x step| <= MM
                        (default 1 % of the pitch)
  --step MM             pitch step between bands (default 0.05 % of the pitch; at most 201 bands)
  --resolution PPI      pixels per inch the chart is printed at, 72 to 4800 (default 720)
  --width CM            width of every band across its lines, its label included,
                        15 to 300 (default 18)
  --band-height MM      height of every band along its lines, 6 to 100 (default 6)
  --paper A4|A3|Letter  the chart fits this paper less 1 cm on every side, upright or
                        turned (default A4)
  --horizontal          horizontal lines, for horizontal flips; bands then stand side by side
  --data-file PATH      as above: the chart's header comes from it

tovrel-batch --read-pitch PHOTO --pitch MM [chart options]
  reads the lens pitch from a photograph (JPEG, PNG, ...) of the printed chart lying
  under the lens sheet, taken from above with the chart filling the frame; give the
  options the chart was made with. Prints the pitch with its uncertainty and the
  nearest band; the last line is the pitch alone, in mm to 6 decimals
)";

Status bad(const std::string& option, const std::string& why) {
    return Status::fail(option + "：" + why);
}

Result<double> numberOf(const std::string& option, const std::string& text) {
    if (!isPlainNumber(text)) {
        return bad(option, "“" + text + "”不是数字。");
    }
    return leadingNumber(text);
}

const std::set<std::string> kValueOptions = {
    "--pitch",          "--sharpness",   "--width",         "--height",         "--anchor",
    "--white-gap",      "--output",      "--data-file",     "--printer-ppi",    "--simulate",
    "--simulate-width", "--pitch-error", "--simulate-out",  "--range",          "--step",
    "--resolution",     "--band-height", "--paper",         "--frames-from",    "--read-pitch",
    "--key-frame",      "--parallax",    "--input-profile", "--output-profile", "--intent",
    "--bleed",          "--sheet",       "--copies",        "--gutter",         "--layout-out",
    "--cut-out"};

// Options whose value is a number: one beyond the double range is refused by
// name before anything is computed from it.
const std::set<std::string> kNumberOptions = {
    "--pitch",       "--sharpness", "--width",       "--height", "--printer-ppi",
    "--simulate",    "--range",     "--pitch-error", "--step",   "--resolution",
    "--band-height", "--parallax",  "--bleed",       "--gutter"};

// What only a run takes, and what only a pitch test chart takes.
const std::set<std::string> kRunOnly = {"--sharpness",   "--height",
                                        "--anchor",      "--white-gap",
                                        "--printer-ppi", "--bigtiff",
                                        "--simulate",    "--simulate-width",
                                        "--pitch-error", "--simulate-out",
                                        "--frames-from", "--reverse",
                                        "--key-frame",   "--parallax",
                                        "--bleed",       "--sheet",
                                        "--copies",      "--gutter",
                                        "--marks",       "--layout-out",
                                        "--cut-out",     "--broken-profile-as-srgb"};
// What only a sheet takes.
const std::set<std::string> kSheetOnly = {"--copies", "--gutter", "--marks", "--layout-out",
                                          "--cut-out"};
const std::set<std::string> kChartOnly = {"--range", "--step", "--resolution", "--band-height",
                                          "--paper"};
// What a flip preview, which writes no TIFF, has no use for.
const std::set<std::string> kNotSimulated = {"--output", "--bigtiff", "--sheet",      "--copies",
                                             "--gutter", "--marks",   "--layout-out", "--cut-out"};

// A whole number of 1 to most written in plain digits, else 0.
int32_t wholeNumber(const std::string& text, int32_t most) {
    const auto digit = [](unsigned char c) { return std::isdigit(c) != 0; };
    if (text.empty() || text.size() > 4 || !std::all_of(text.begin(), text.end(), digit)) {
        return 0;
    }
    const int32_t value = std::stoi(text);
    return value <= most ? value : 0;
}

Status parseAnchor(BatchOptions& o, const std::string& text) {
    const std::string option = "--anchor";
    const std::size_t colon = text.find(':');
    const std::size_t comma = text.find(',', colon == std::string::npos ? 0 : colon);
    const std::string k = text.substr(0, colon);
    const int32_t frame = wholeNumber(k, kMaxFrames);
    if (colon == std::string::npos || comma == std::string::npos || frame < 1) {
        return bad(option, "“" + text + "”应写成 K:X,Y，K 为 1 到 " + std::to_string(kMaxFrames) +
                               " 的图片序号。");
    }
    BatchAnchor anchor{text.substr(colon + 1, comma - colon - 1), text.substr(comma + 1)};
    for (const std::string& coordinate : {anchor.x, anchor.y}) {
        if (!isPlainNumber(coordinate)) {
            return bad(option, "“" + coordinate + "”不是数字。");
        }
    }
    auto& slot = o.anchors[std::size_t(frame - 1)];
    if (slot) {
        return bad(option, "第 " + k + " 张图片的定位点给了不止一次。");
    }
    slot = anchor;
    return Status::ok();
}

Status parseWhiteGap(BatchOptions& o, const std::string& typed) {
    const std::string text = asciiNumberText(typed);
    const auto digit = [](unsigned char c) { return std::isdigit(c) != 0; };
    if (text.empty() || text.size() > 3 || !std::all_of(text.begin(), text.end(), digit)) {
        return bad("--white-gap", "“" + typed + "”不是 0 或正整数（像素）。");
    }
    o.whiteGap = std::stoi(text);
    return Status::ok();
}

Status parseSimulation(BatchOptions& o, const std::string& name, const std::string& value) {
    if (name == "--simulate-out") {
        o.simulateOut = value;
        return Status::ok();
    }
    if (name == "--simulate-width") {
        const std::string text = asciiNumberText(value);
        const auto digit = [](unsigned char c) { return std::isdigit(c) != 0; };
        if (text.empty() || text.size() > 4 || !std::all_of(text.begin(), text.end(), digit) ||
            std::stoi(text) < 1 || std::stoi(text) > 8192) {
            return bad(name, "“" + value + "”不是 1 到 8192 之间的整数（像素）。");
        }
        o.simulateWidth = std::stoi(text);
        return Status::ok();
    }
    Result<double> number = numberOf(name, value);
    if (!number) {
        return number.status();
    }
    if (name == "--simulate") {
        // Phase 1 is the next lens's phase 0.
        if (!(number.value() >= 0 && number.value() < 1)) {
            return bad(name, "视角必须不小于 0 且小于 1。");
        }
        o.simulate = number.value();
    } else {
        if (!(number.value() >= -2 && number.value() <= 2)) {
            return bad(name, "栅距误差必须在 -2 到 2（百分比）之间。");
        }
        o.pitchError = number.value();
    }
    return Status::ok();
}

Status applyValue(BatchOptions& o, const std::string& name, const std::string& value) {
    if (value.empty()) {
        return bad(name, "取值不能为空。");
    }
    if (kNumberOptions.contains(name) && isPlainNumber(value) &&
        !std::isfinite(leadingNumber(value))) {
        return bad(name, "“" + value + "”超出了数的范围。");
    }
    if (name == "--paper") {
        const std::optional<Paper> paper = paperNamed(value);
        if (!paper) {
            return bad(name, "“" + value + "”不是 A4、A3 或 Letter。");
        }
        o.paper = *paper;
        return Status::ok();
    }
    if (name.starts_with("--simulate") || name == "--pitch-error") {
        return parseSimulation(o, name, value);
    }
    if (name == "--anchor") {
        return parseAnchor(o, value);
    }
    if (name == "--key-frame") {
        o.frames.keyFrame = wholeNumber(asciiNumberText(value), kMaxFrames);
        return o.frames.keyFrame > 0 ? Status::ok()
                                     : bad(name, "“" + value + "”不是 1 到 " +
                                                     std::to_string(kMaxFrames) + " 的帧序号。");
    }
    if (name == "--parallax") {
        Result<double> shift = numberOf(name, value);
        if (!shift) {
            return shift.status();
        }
        if (!(std::abs(shift.value()) <= 10000)) {
            return bad(name, "视差必须在 -10000 到 10000 像素之间。");
        }
        o.frames.parallax = shift.value();
        return Status::ok();
    }
    if (name == "--bleed" || name == "--gutter") {
        Result<double> mm = numberOf(name, value);
        if (!mm) {
            return mm.status();
        }
        (name == "--bleed" ? o.press.bleedMm : o.press.gutterMm) = mm.value();
        return Status::ok();
    }
    if (name == "--sheet") {
        o.press.sheet = true;
        return readPaper(value, o.press);
    }
    if (name == "--copies") {
        return readCopies(value, o.press);
    }
    if (name == "--layout-out" || name == "--cut-out") {
        (name == "--layout-out" ? o.press.layoutOut : o.press.cutOut) = value;
        return Status::ok();
    }
    if (name == "--frames-from") {
        o.framesFrom = value;
        return Status::ok();
    }
    if (name == "--intent") {
        const std::optional<RenderIntent> intent = intentNamed(value);
        if (!intent) {
            return bad(name, "“" + value + "”不是 perceptual、relative、saturation 或 absolute。");
        }
        o.colour.intent = *intent;
        return Status::ok();
    }
    if (name == "--input-profile" || name == "--output-profile") {
        (name == "--input-profile" ? o.colour.inputProfile : o.colour.outputProfile) = value;
        return Status::ok();
    }
    if (name == "--white-gap") {
        return parseWhiteGap(o, value);
    }
    if (name == "--pitch") {
        o.pitch = value;
    } else if (name == "--sharpness") {
        o.sharpness = value;
    } else if (name == "--width") {
        o.width = value;
    } else if (name == "--height") {
        o.height = value;
    } else if (name == "--printer-ppi") {
        o.printerPpi = value;
    } else if (name == "--output") {
        o.output = value;
    } else if (name == "--range") {
        o.range = value;
    } else if (name == "--step") {
        o.step = value;
    } else if (name == "--resolution") {
        o.resolution = value;
    } else if (name == "--band-height") {
        o.bandHeight = value;
    } else if (name == "--read-pitch") {
        o.readPitch = value;
    } else {
        o.dataFile = value;
    }
    return Status::ok();
}

// The flip preview's options come together or not at all.
Status checkSimulation(const BatchOptions& o) {
    if (!o.simulate) {
        const bool stray = o.simulateWidth != 0 || o.simulateOut || o.pitchError;
        return stray ? bad("--simulate", "--simulate-width、--simulate-out 和 --pitch-error "
                                         "只与 --simulate 一起使用。")
                     : Status::ok();
    }
    if (o.simulateWidth == 0) {
        return bad("--simulate-width", "使用 --simulate 时必须给出预览图的宽度。");
    }
    if (!o.simulateOut) {
        return bad("--simulate-out", "使用 --simulate 时必须给出预览图（PNG 或 GIF）的文件名。");
    }
    if (!simulationFormat(*o.simulateOut)) {
        return bad("--simulate-out", "“" + *o.simulateOut +
                                         "”：文件名须以 .png（一个视角）或 .gif（循环动画）结尾。");
    }
    return Status::ok();
}

// A chart takes no pictures and needs its pitch and its file; its values
// are checked with the chart's own rules when it is made.
Status checkChartOptions(const BatchOptions& o, const std::set<std::string>& seen) {
    const std::string mode = o.readPitch ? "--read-pitch" : "--pitch-test";
    for (const std::string& name : seen) {
        if (kRunOnly.contains(name)) {
            return bad(name, "不能和 " + mode + " 一起用。");
        }
    }
    if (!o.pictures.empty()) {
        return bad(mode, "测试图不用图片：“" + o.pictures.front() + "”。");
    }
    if (o.pitch.empty()) {
        return bad("--pitch", "必须给出栅距（毫米）。");
    }
    if (o.readPitch) {
        if (o.pitchTest || o.output) {
            return bad(mode, "读取栅距不写文件，不能和 " +
                                 std::string(o.pitchTest ? "--pitch-test" : "-o") + " 一起用。");
        }
        return Status::ok();
    }
    if (!o.output) {
        return bad("--output", "必须用 -o 给出测试图的文件名。");
    }
    return Status::ok();
}

// The ranges the window's boxes keep, and what only exists with enough
// pictures or a wide enough strip.
Status checkValues(const BatchOptions& o) {
    if (o.framesFrom && !o.pictures.empty()) {
        return bad("--frames-from", "不能再另外给出图片：“" + o.pictures.front() + "”。");
    }
    if (!o.framesFrom && (o.pictures.size() < 2 || o.pictures.size() > kMaxFrames)) {
        return Status::fail("需要 2 到 " + std::to_string(kMaxFrames) + " 张图片，给出了 " +
                            std::to_string(o.pictures.size()) + " 张。");
    }
    if (o.pitch.empty()) {
        return bad("--pitch", "必须给出栅距（毫米）。");
    }
    if (o.sharpness.empty()) {
        return bad("--sharpness", "必须给出清晰倍数。");
    }
    Result<double> pitch = numberOf("--pitch", o.pitch);
    if (!pitch) {
        return pitch.status();
    }
    if (!(pitch.value() > 0 && pitch.value() <= 3)) {
        return bad("--pitch", "栅距必须大于 0 且不超过 3 毫米。");
    }
    Result<double> sharp = numberOf("--sharpness", o.sharpness);
    if (!sharp) {
        return sharp.status();
    }
    if (!sharpnessInRange(sharp.value())) {
        return bad("--sharpness", "清晰倍数必须是 1 到 20 之间的整数。");
    }
    if (o.width) {
        Result<double> width = numberOf("--width", *o.width);
        if (!width) {
            return width.status();
        }
        if (!(width.value() > 0 && width.value() <= 300)) {
            return bad("--width", "打印宽度必须大于 0 且不超过 300 厘米。");
        }
    }
    if (o.height) {
        Result<double> height = numberOf("--height", *o.height);
        if (!height) {
            return height.status();
        }
        if (!(height.value() > 0 && height.value() <= 300)) {
            return bad("--height", "打印高度必须大于 0 且不超过 300 厘米。");
        }
    }
    if (o.printerPpi && (!isPlainNumber(*o.printerPpi) || !printerPpiOf(*o.printerPpi))) {
        return bad("--printer-ppi", "打印机分辨率必须是 " + std::to_string(kMinPrinterPpi) +
                                        " 到 " + std::to_string(kMaxPrinterPpi) + " 之间的整数。");
    }
    // The white-gap list offers the whole numbers 1 to the sharpness less one.
    const double widest = roundHalfEven(sharp.value() - 1);
    if (o.whiteGap > widest) {
        return bad("--white-gap", "清晰倍数为 " + o.sharpness + " 时，留白宽度最多为 " +
                                      std::to_string(static_cast<int32_t>(widest)) + " 像素。");
    }
    if (Status simulation = checkSimulation(o); !simulation) {
        return simulation;
    }
    // A folder's frames are counted when it is read.
    const std::size_t frames = o.framesFrom ? kMaxFrames : o.pictures.size();
    for (std::size_t k = frames; k < o.anchors.size(); ++k) {
        if (o.anchors[k]) {
            return bad("--anchor", "没有第 " + std::to_string(k + 1) + " 张图片。");
        }
    }
    if (!o.framesFrom && std::size_t(o.frames.keyFrame) > o.pictures.size()) {
        return bad("--key-frame", "没有第 " + std::to_string(o.frames.keyFrame) + " 张图片。");
    }
    return Status::ok();
}

} // namespace

std::optional<SimulationFormat> simulationFormat(const std::string& file) {
    std::string extension = std::filesystem::path(file).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png") {
        return SimulationFormat::Png;
    }
    if (extension == ".gif") {
        return SimulationFormat::Gif;
    }
    return std::nullopt;
}

std::string_view batchUsage() {
    return kUsage;
}

std::string batchVersion() {
    return "tovrel-batch " TOVREL_VERSION "\n";
}

Result<BatchOptions> parseBatchOptions(const std::vector<std::string>& args) {
    BatchOptions o;
    std::set<std::string> seen;
    bool optionsEnd = false;
    for (std::size_t at = 0; at < args.size(); ++at) {
        const std::string& arg = args[at];
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            o.pictures.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        const std::size_t eq = arg.starts_with("--") ? arg.find('=') : std::string::npos;
        const std::string name = arg == "-o" ? "--output" : arg.substr(0, eq);
        if (name == "--help" || name == "--version") {
            (name == "--help" ? o.help : o.version) = true;
            return o;
        }
        const bool flag = name == "--horizontal" || name == "--bigtiff" || name == "--pitch-test" ||
                          name == "--reverse" || name == "--no-bpc" || name == "--marks" ||
                          name == "--broken-profile-as-srgb";
        if (!flag && !kValueOptions.contains(name)) {
            return Status::fail("未知的选项：" + arg);
        }
        if (!seen.insert(name).second && name != "--anchor") {
            return bad(name, "给了不止一次。");
        }
        if (flag) {
            if (eq != std::string::npos) {
                return bad(name, "不带取值。");
            }
            if (name == "--horizontal") {
                o.horizontal = true;
            } else if (name == "--reverse") {
                o.reverse = true;
            } else if (name == "--no-bpc") {
                o.colour.blackPointCompensation = false;
            } else if (name == "--broken-profile-as-srgb") {
                o.brokenProfileAsSrgb = true;
            } else if (name == "--marks") {
                o.press.marks = true;
            } else {
                (name == "--bigtiff" ? o.bigTiff : o.pitchTest) = true;
            }
            continue;
        }
        std::string value;
        if (eq != std::string::npos) {
            value = arg.substr(eq + 1);
        } else if (at + 1 < args.size()) {
            value = args[++at];
        } else {
            return bad(name, "缺少取值。");
        }
        if (Status applied = applyValue(o, name, value); !applied) {
            return applied;
        }
    }
    if (o.pitchTest || o.readPitch) {
        if (Status chart = checkChartOptions(o, seen); !chart) {
            return chart;
        }
        return o;
    }
    for (const std::string& name : seen) {
        if (kChartOnly.contains(name)) {
            return bad(name, "只能和 --pitch-test 一起用（或 --read-pitch）。");
        }
        if (o.simulate && kNotSimulated.contains(name)) {
            return bad(name, "使用 --simulate 时不写 TIFF 文件，不能用这个选项。");
        }
    }
    if (Status values = checkValues(o); !values) {
        return values;
    }
    for (const std::string& name : seen) {
        if (kSheetOnly.contains(name) && !o.press.sheet) {
            return bad(name, "只能和 --sheet 一起用。");
        }
    }
    if (o.press.sheet && !seen.contains("--bleed")) {
        o.press.bleedMm = kSheetBleedMm;
    }
    if (Status press = checkSheetRanges(o.press); !press) {
        return bad(seen.contains("--bleed") &&
                           !(o.press.bleedMm >= 0 && o.press.bleedMm <= kMaxBleedMm)
                       ? "--bleed"
                       : "--gutter",
                   press.message());
    }
    return o;
}

} // namespace tovrel
