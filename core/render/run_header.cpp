#include "render/run_header.h"

#include "tiff/tiff_header.h"

namespace tovrel {

Status writeRunHeader(const PitchStore& store, const std::filesystem::path& file,
                      const std::filesystem::path& output, int32_t tifW, int32_t tifH, float fbl,
                      TiffForm form, const OutputColour& colour) {
    const bool big = form == TiffForm::Big;
    if (Status limits = checkHeaderLimits(tifW, tifH, fbl, big, colour.bytes()); !limits) {
        return limits;
    }
    if (!store.present()) {
        return Status::fail(notFoundMessage());
    }
    const Result<TiffTemplate> tmpl = store.readTemplate();
    if (!tmpl) {
        return tmpl.status();
    }
    return writeTiffHeader(file, tmpl.value(), tifW, tifH, fbl, output, big, colour);
}

Status recordRunPitch(PitchStore& store, float pitch) {
    if (Status recorded = recordPitch(store, pitch); !recorded) {
        return Status::fail(recorded.message() +
                            "\n本次的栅距没有记入栅距列表，输出文件照常生成。");
    }
    return Status::ok();
}

bool writeHeaderAndRecordPitch(PitchStore& store, const JobState& job,
                               const std::filesystem::path& file, TiffForm form,
                               const std::function<void(const std::string&)>& complain) {
    if (Status header = writeRunHeader(store, file, job.OutPath, job.tifW, job.tifH, job.fbl, form,
                                       job.OutColour);
        !header) {
        complain(header.message());
        return false;
    }
    if (Status recorded = recordRunPitch(store, job.Pitch); !recorded) {
        complain(recorded.message());
    }
    return true;
}

} // namespace tovrel
