#include "render/run_header.h"

#include "render/tiff_header.h"

namespace tovrel {

Status writeRunHeader(const PitchStore& store, const std::filesystem::path& file,
                      const std::filesystem::path& output, int32_t tifW, int32_t tifH, float fbl) {
    if (Status limits = checkHeaderLimits(tifW, tifH, fbl); !limits) {
        return limits;
    }
    if (!store.present()) {
        return Status::fail(notFoundMessage());
    }
    const Result<TiffTemplate> tmpl = store.readTemplate();
    if (!tmpl) {
        return tmpl.status();
    }
    return writeTiffHeader(file, tmpl.value(), tifW, tifH, fbl, output);
}

Status recordRunPitch(PitchStore& store, float pitch) {
    if (Status recorded = recordPitch(store, pitch); !recorded) {
        return Status::fail(recorded.message() +
                            "\n本次的栅距没有记入栅距列表，输出文件照常生成。");
    }
    return Status::ok();
}

} // namespace tovrel
