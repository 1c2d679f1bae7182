#include "flip/saved_file.h"

#include "params/posix_file.h"
#include "render/run_checks.h"
#include "output/temp_output.h"

#include <fcntl.h>

namespace tovrel {

Result<std::filesystem::path> exportTarget(const JobState& job, const std::string& path) {
    JobState exported = job;
    exported.OutPath = path;
    return outputTarget(exported);
}

Status saveFile(const std::filesystem::path& target, std::span<const uint8_t> bytes) {
    Result<TempOutput> temp = TempOutput::create(target);
    if (!temp) {
        return temp.status();
    }
    PosixFile file = PosixFile::open(temp.value().path(), O_WRONLY);
    int err = file.isOpen() ? file.writeAt(bytes.data(), bytes.size(), 0) : errno;
    if (err == 0) {
        err = file.sync();
    }
    const int closed = file.close();
    if (err == 0) {
        err = closed;
    }
    if (err != 0) {
        return Status::fail("写入文件失败：" + systemErrorText(err) + "。\n" + target.string());
    }
    return temp.value().commit();
}

} // namespace tovrel
