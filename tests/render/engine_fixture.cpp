#include "tests/render/engine_fixture.h"

#include "tests/params/data_file_maker.h"
#include "tiff/tiff_header.h"

#include <filesystem>

namespace tovrel::test {

RunHooks recordingHooks(RunRecord& record) {
    RunHooks hooks;
    hooks.makeTif = [&record](JobState& job, const std::filesystem::path& file, TiffForm form) {
        ++record.headers;
        return writeTestHeader(job, file, form);
    };
    hooks.progress = [&record](int value) { record.progress.push_back(value); };
    return hooks;
}

bool writeTestHeader(JobState& job, const std::filesystem::path& file, TiffForm form) {
    static const Result<TiffTemplate> shipped =
        PitchStore(shippedDataFile().parent_path()).readTemplate();
    return shipped && writeTiffHeader(file, shipped.value(), job.tifW, job.tifH, job.fbl, {},
                                      form == TiffForm::Big, job.OutColour);
}

double sizeFor(const JobState& job, int32_t pixels) {
    // Half a pixel more, so the floor lands on `pixels` whatever the rounding.
    return (pixels + 0.5) * job.Pitch / (10.0 * job.Views * job.Sharp);
}

Rgb outputPixel(const std::vector<unsigned char>& file, const JobState& job, int32_t j, int32_t r) {
    const std::size_t at =
        1448 + std::size_t(job.tifH - r) * std::size_t(job.RowBytes) + std::size_t(j - 1) * 3;
    return Rgb{file.at(at), file.at(at + 1), file.at(at + 2)};
}

JobState secondRun(const JobState& job, const std::filesystem::path& file) {
    JobState second = job;
    second.OutPath = file.string();
    std::filesystem::remove(file);
    return second;
}

bool rowIsBlack(const std::vector<unsigned char>& file, const JobState& job, int32_t r) {
    for (int32_t j = 1; j <= job.tifW; ++j) {
        if (outputPixel(file, job, j, r) != kBlack) {
            return false;
        }
    }
    return true;
}

} // namespace tovrel::test
