// A whole run as the batch tool makes it: two to four small pictures (or up
// to 64 frames), chosen with anchor texts, then pitch, sharpness and print
// size texts, white gaps and direction, into an output path that may
// already hold a file, may name a source, the data file or a folder. A
// picture may be damaged, or shortened after it was chosen. The run must
//   - when it is done, give the same file byte for byte as the row-by-row
//     rendering, and record its pitch in the pitch list; asked for a
//     BigTIFF, give that rendering's pixel area in the BigTIFF container
//     composed for the run;
//   - otherwise say why, naming no file the user did not choose, and leave
//     an earlier output file as it was;
//   - never leave a temporary file behind, nor damage the data file.
//
// Input: a byte giving the number of pictures (1 + byte % 4, or from 128 on
// 1 + byte % 64 frames), the pitch,
// sharpness, width and height texts (each a length byte and its bytes), a
// flags byte, a signed white width byte, a byte choosing the output path,
// then for each picture a mode byte and its anchor texts, then either a
// generated picture (width, height, gap after the headers, length of the
// header, signed tail length, up to three header byte patches) or the file's
// raw bytes (a 16-bit length and the bytes). Last, for a shortened picture,
// its slot byte and the number of bytes cut off (16 bits).

#include "fuzz/fuzz_support.h"

#include "common/leading_number.h"
#include "common/rounding.h"
#include "intake/bmp_layout.h"
#include "intake/common_frame.h"
#include "params/pitch_store.h"
#include "render/interlace_engine.h"
#include "render/run_header.h"
#include "output/temp_output.h"
#include "tiff/tiff_container.h"
#include "tests/render/oracle_engine.h"

#include <optional>
#include <string>
#include <vector>

namespace tovrel::fuzz {
namespace {

namespace fs = std::filesystem;

// Runs whose file would be larger are skipped: the oracle reads a picture
// per row and the target has to stay fast.
constexpr int64_t kMaxOutputBytes = int64_t{1} << 17;

enum Flags : uint8_t {
    kWhiteGaps = 1,
    kHorizontal = 2,
    kEarlierOutput = 4,
    kShortenAfterChoosing = 8,
    kBigTiff = 16,
};

enum OutputChoice : uint8_t { kPlain, kSource, kDataFile, kFolder, kMissingFolder, kChoices };

void put32(Bytes& b, std::size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) {
        b[at + std::size_t(k)] = static_cast<uint8_t>(v >> (8 * k));
    }
}

// A bottom-up 24-bit picture whose every byte tells its slot and place, with
// optional junk between the headers and the pixels, after the last row (or
// that row cut short), and a few header bytes overwritten.
Bytes generatedPicture(FuzzInput& in, int slot) {
    const int32_t width = 1 + in.byte() % 24;
    const int32_t height = 1 + in.byte() % 24;
    const uint32_t gap = in.byte() % 16;
    static constexpr uint32_t kInfoSizes[] = {40, 108, 124, 12};
    const uint32_t info = kInfoSizes[in.byte() % 4];
    const int tail = static_cast<int8_t>(in.byte());
    const int64_t stride = rowStride(width);
    const uint32_t offset = 14 + info + gap;
    const int64_t full = offset + stride * height;
    // Room for the 54 bytes written below even when the header claims less.
    const int64_t length = std::max<int64_t>(54, full + tail);
    Bytes b(static_cast<std::size_t>(length));
    for (std::size_t k = 0; k < b.size(); ++k) {
        b[k] = static_cast<uint8_t>(k * 31 + k / 251 + std::size_t(slot) * 71);
    }
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<uint32_t>(full));
    put32(b, 6, 0);
    put32(b, 10, offset);
    put32(b, 14, info);
    put32(b, 18, static_cast<uint32_t>(width));
    put32(b, 22, static_cast<uint32_t>(height));
    b[26] = 1;
    b[27] = 0;
    b[28] = 24;
    b[29] = 0;
    put32(b, 30, 0);
    put32(b, 34, static_cast<uint32_t>(stride * height));
    put32(b, 38, 2835);
    put32(b, 42, 2835);
    put32(b, 46, 0);
    put32(b, 50, 0);
    const int patches = in.byte() % 4;
    for (int p = 0; p < patches; ++p) {
        const std::size_t at = in.byte() % 54;
        const uint8_t value = in.byte();
        if (at < b.size()) {
            b[at] = value;
        }
    }
    return b;
}

Bytes rawPicture(FuzzInput& in) {
    const std::string_view bytes = in.bytes(in.u16());
    return Bytes(bytes.begin(), bytes.end());
}

const Bytes& shippedDataFile() {
    static const Bytes bytes = readBytes(TOVREL_DATA_FILE);
    FUZZ_CHECK(bytes.size() >= kTemplateSize);
    return bytes;
}

// The run folder emptied of everything but the data file, a fresh copy.
void freshFolder(const fs::path& folder) {
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder);
    writeBytes(folder / "kvxj.dll", shippedDataFile());
}

struct Scene {
    fs::path folder;
    JobState job;
    RunSettings settings;
    int pictures = 0;
};

// Chooses the pictures as the window does; false when a header is refused
// or there is no common frame (a run is then never offered).
bool choosePictures(FuzzInput& in, Scene& scene) {
    AnchorTexts textX, textY;
    for (int i = 1; i <= scene.pictures; ++i) {
        const uint8_t mode = in.byte();
        textX[std::size_t(i - 1)] = in.shortText();
        textY[std::size_t(i - 1)] = in.shortText();
        const fs::path path = scene.folder / ("pic" + std::to_string(i) + ".bmp");
        writeBytes(path, mode % 8 == 0 ? rawPicture(in) : generatedPicture(in, i));
        scene.job.InPath(i) = path.string();
    }
    const SlotArray<double> offY = readAnchors(scene.job, textX, textY);
    for (int i = 1; i <= scene.pictures; ++i) {
        if (!readSlotHeader(scene.job, i)) {
            return false;
        }
    }
    return computeCommonFrame(scene.job, offY).found;
}

std::string outputPath(const Scene& scene, uint8_t choice) {
    switch (choice % kChoices) {
    case kSource:
        return scene.job.InPath(1);
    case kDataFile:
        return (scene.folder / "kvxj.dll").string();
    case kFolder:
        return scene.folder.string();
    case kMissingFolder:
        return (scene.folder / "gone" / "out.tif").string();
    default:
        return (scene.folder / "out.tif").string();
    }
}

// Whether the run would write a file small enough for the oracle.
bool smallEnough(const Scene& scene) {
    JobState probe = scene.job;
    if (!computeGeometry(probe, scene.settings)) {
        return true; // refused before anything is written
    }
    return int64_t{probe.RowBytes} * probe.tifH <= kMaxOutputBytes;
}

RunHooks storeHooks(PitchStore& store) {
    RunHooks hooks;
    hooks.makeTif = [&store](JobState& job, const fs::path& file, TiffForm form) {
        if (!writeRunHeader(store, file, job.OutPath, job.tifW, job.tifH, job.fbl, form)) {
            return false;
        }
        // A failure here is told to the user and the run goes on.
        (void)recordRunPitch(store, job.Pitch);
        return true;
    };
    return hooks;
}

void checkNoTemporaries(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        FUZZ_CHECK(!isRunTemporaryName(name));
        FUZZ_CHECK(name != "kvxj.dl~");
    }
}

// A picture shortened after it was chosen: its path and its length before.
struct Shortened {
    fs::path path;
    std::uintmax_t length = 0;
};

// The row-by-row rendering of the same run, into a folder of its own. It
// wants every frame row whole, where the engine reads only the columns it
// uses: a run the engine finished on a shortened picture never used the
// missing bytes, so with them back as zeros the rendering must agree.
Bytes oracleOutput(const fs::path& folder, JobState job, const RunSettings& settings,
                   const std::optional<Shortened>& shortened) {
    const fs::path oracleFolder = folder.parent_path() / "oracle";
    fs::create_directories(oracleFolder);
    job.OutPath = (oracleFolder / "out.tif").string();
    std::error_code ec;
    fs::remove(job.OutPath, ec);
    PitchStore store(folder);
    RunHooks hooks;
    hooks.makeTif = [&store](JobState& j, const fs::path& file, TiffForm form) {
        return static_cast<bool>(
            writeRunHeader(store, file, j.OutPath, j.tifW, j.tifH, j.fbl, form));
    };
    JobState again = job;
    RunResult result = test::oracleInterlace(job, settings, hooks);
    if (result.outcome != RunOutcome::Done && shortened) {
        fs::resize_file(shortened->path, shortened->length);
        fs::remove(again.OutPath, ec);
        result = test::oracleInterlace(again, settings, hooks);
    }
    FUZZ_CHECK(result.outcome == RunOutcome::Done);
    return readBytes(job.OutPath);
}

} // namespace
} // namespace tovrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace tovrel;
    using namespace tovrel::fuzz;
    FuzzInput in(data, size);
    Scene scene;
    scene.folder = scratchFolder() / "run";
    freshFolder(scene.folder);

    // Bytes below 128 choose the window's 1 to 4 slots, the rest up to 64 frames.
    const uint8_t count = in.byte();
    scene.pictures = 1 + count % (count < 128 ? kSlots : kMaxFrames);
    scene.job.ViewCount = static_cast<uint8_t>(scene.pictures);
    scene.job.Views = static_cast<float>(scene.pictures);
    scene.job.Pitch = toSingle(leadingNumber(in.shortText()));
    scene.job.Sharp = toSingle(leadingNumber(in.shortText()));
    scene.settings.widthCm = leadingNumber(in.shortText());
    scene.settings.heightCm = leadingNumber(in.shortText());
    const uint8_t flags = in.byte();
    scene.settings.whiteGaps = flags & kWhiteGaps;
    scene.settings.whiteWidth = static_cast<int8_t>(in.byte());
    scene.settings.horizontal = flags & kHorizontal;
    scene.settings.bigTiff = flags & kBigTiff;
    const uint8_t outputChoice = in.byte();
    if (!choosePictures(in, scene)) {
        return 0;
    }
    scene.job.OutPath = outputPath(scene, outputChoice);
    if (!smallEnough(scene)) {
        return 0;
    }

    const bool plainOutput = outputChoice % kChoices == kPlain;
    const Bytes earlier = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    if (plainOutput && (flags & kEarlierOutput)) {
        writeBytes(scene.job.OutPath, earlier);
    }
    std::optional<Shortened> shortened;
    if (flags & kShortenAfterChoosing) {
        const int slot = 1 + in.byte() % scene.pictures;
        const auto cut = static_cast<std::uintmax_t>(in.u16());
        shortened = Shortened{scene.job.InPath(slot), 0};
        shortened->length = fs::file_size(shortened->path);
        fs::resize_file(shortened->path, cut < shortened->length ? shortened->length - cut : 0);
    }
    const Bytes dataFile = readBytes(scene.folder / "kvxj.dll");
    const Bytes sourceOne = readBytes(scene.job.InPath(1));

    PitchStore store(scene.folder);
    RunResult result{RunOutcome::Refused, store.checkOutputPath(scene.job.OutPath)};
    const JobState chosen = scene.job;
    if (result.status) {
        result = runInterlace(scene.job, scene.settings, storeHooks(store));
    }

    checkNoTemporaries(scene.folder);
    // Messages name the files the user chose, never the run's hidden one.
    FUZZ_CHECK(result.status.message().find(".tovrel.tmp") == std::string::npos);
    FUZZ_CHECK(readBytes(scene.job.InPath(1)) == sourceOne);
    const Result<std::vector<float>> entries = store.load();
    FUZZ_CHECK(entries.isOk());
    if (result.outcome != RunOutcome::Done) {
        FUZZ_CHECK(result.outcome == RunOutcome::HeaderNotWritten ||
                   !result.status.message().empty());
        if (plainOutput) {
            const bool had = flags & kEarlierOutput;
            FUZZ_CHECK(fs::exists(scene.job.OutPath) == had);
            FUZZ_CHECK(!had || readBytes(scene.job.OutPath) == earlier);
        }
        // A run that fails after its header has recorded its pitch, nothing else.
        if (scene.job.TifOK == 0) {
            FUZZ_CHECK(readBytes(scene.folder / "kvxj.dll") == dataFile);
        }
        return 0;
    }

    FUZZ_CHECK(plainOutput);
    FUZZ_CHECK(scene.job.TifOK == 1);
    FUZZ_CHECK(pitchListed(entries.value(), scene.job.Pitch));
    const Bytes output = readBytes(scene.job.OutPath);
    const std::size_t pixels = std::size_t(scene.job.RowBytes) * std::size_t(scene.job.tifH);
    const Bytes oracle = oracleOutput(scene.folder, chosen, scene.settings, shortened);
    // The header, the pixels and the final byte behind them.
    FUZZ_CHECK(oracle.size() == kTemplateSize + pixels + 1);
    if (!scene.settings.bigTiff) {
        FUZZ_CHECK(output == oracle);
        return 0;
    }
    const Result<TiffTemplate> tmpl = store.readTemplate();
    FUZZ_CHECK(tmpl.isOk());
    const Result<TiffContainer> big =
        composeTiffContainer(scene.job.tifW, scene.job.tifH, scene.job.fbl, tmpl.value(), true);
    FUZZ_CHECK(big.isOk() && big.value().form == TiffForm::Big);
    Bytes expected = big.value().head;
    expected.insert(expected.end(), oracle.begin() + kTemplateSize,
                    oracle.begin() + std::ptrdiff_t(kTemplateSize + pixels));
    expected.insert(expected.end(), big.value().tail.begin(), big.value().tail.end());
    FUZZ_CHECK(output == expected);
    return 0;
}
