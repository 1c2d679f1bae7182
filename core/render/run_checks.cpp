#include "render/run_checks.h"

#include "intake/common_frame.h"
#include "params/posix_file.h"
#include "params/resolution.h"
#include "render/printer_grid.h"
#include "render/slot_text.h"
#include "tiff/tiff_container.h"
#include "tiff/tiff_header.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tovrel {

Status checkRunParameters(const JobState& job, const RunSettings& settings) {
    const int32_t views = job.ViewCount;
    if (views < 2 || job.Views != static_cast<float>(views)) {
        return Status::fail("请选择 2 到 4 张图片。");
    }
    if (views > kMaxFrames) {
        return Status::fail("最多 " + std::to_string(kMaxFrames) + " 帧图片，选择了 " +
                            std::to_string(views) + " 帧。");
    }
    if (!(job.Pitch > 0)) {
        return Status::fail("栅距必须大于 0。");
    }
    if (!sharpnessIsWhole(job.Sharp)) {
        return Status::fail("清晰倍数必须是整数。");
    }
    const int32_t s = stripWidth(job.Sharp);
    if (s < 1) {
        return Status::fail("清晰倍数超出了可用的范围。");
    }
    // A lens's pixels are counted in a byte.
    if (views * s > 255) {
        return Status::fail("每个透镜下的像素太多：" + std::to_string(views) + " 帧 × 清晰倍数 " +
                            std::to_string(s) + " = " + std::to_string(views * s) +
                            "，不能超过 255。请减少帧数或清晰倍数。");
    }
    if (settings.printerPpi != 0 &&
        (settings.printerPpi < kMinPrinterPpi || settings.printerPpi > kMaxPrinterPpi)) {
        return Status::fail("打印机分辨率必须在 " + std::to_string(kMinPrinterPpi) + " 到 " +
                            std::to_string(kMaxPrinterPpi) + " 像素/英寸之间。");
    }
    if (Status lens = checkPrinterLens(views, job.Pitch, settings.printerPpi); !lens) {
        return lens;
    }
    if (Status press = checkSheetRanges(settings.press); !press) {
        return press;
    }
    if (settings.whiteGaps && (settings.whiteWidth < 0 || settings.whiteWidth > s)) {
        return Status::fail("留白宽度必须在 0 到 " + std::to_string(s) + " 像素之间。");
    }
    return Status::ok();
}

Status planRun(JobState& job, const RunSettings& settings) {
    if (Status params = checkRunParameters(job, settings); !params) {
        return params;
    }
    if (Status geometry = computeGeometry(job, settings); !geometry) {
        return geometry;
    }
    if (Status frame = checkCommonFrame(job); !frame) {
        return frame;
    }
    return checkHeaderLimits(job.tifW, job.tifH, job.fbl, settings.bigTiff,
                             settings.output.bytes());
}

Status checkCommonFrame(const JobState& job) {
    if (job.BaseW < 1 || job.BaseH < 1) {
        return Status::fail("这些图片没有公共画面：请检查各图片的定位点 X、Y。");
    }
    if (!frameInsidePictures(job)) {
        return Status::fail("公共画面超出了图片的范围：请检查各图片的定位点 X、Y 是否在图片之内。");
    }
    return Status::ok();
}

namespace {
bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) {
        return fs::equivalent(a, b, ec);
    }
    const fs::path ca = fs::weakly_canonical(a, ec);
    if (ec) {
        return false;
    }
    const fs::path cb = fs::weakly_canonical(b, ec);
    return !ec && ca == cb;
}
// 0 when the user may replace the file at target with a new one: write it,
// and in a folder where only owners may remove files, own it or the folder.
int replaceError(const fs::path& target) {
    if (::access(target.c_str(), W_OK) != 0) {
        return errno;
    }
    struct stat file {};
    struct stat folder {};
    if (::stat(target.c_str(), &file) != 0 || ::stat(target.parent_path().c_str(), &folder) != 0) {
        return errno;
    }
    const uid_t user = ::geteuid();
    const bool mayRemove = user == 0 || (folder.st_mode & S_ISVTX) == 0 || file.st_uid == user ||
                           folder.st_uid == user;
    return mayRemove ? 0 : EPERM;
}

} // namespace

Result<fs::path> outputTarget(const JobState& job) {
    if (job.OutPath.empty()) {
        return Status::fail("请填写输出文件名。");
    }
    std::error_code ec;
    const fs::path target = fs::weakly_canonical(fs::absolute(job.OutPath, ec), ec);
    if (ec || !target.has_filename()) {
        return Status::fail("输出文件名无效：" + job.OutPath);
    }
    if (!fs::is_directory(target.parent_path(), ec)) {
        return Status::fail("输出文件夹不存在：" + target.parent_path().string());
    }
    const fs::file_status status = fs::status(target, ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        return Status::fail("输出文件名指向的不是普通文件：" + job.OutPath);
    }
    // Found now, not when the finished file is to take the earlier one's place.
    if (fs::exists(status)) {
        if (const int err = replaceError(target); err != 0) {
            return Status::fail("无法替换已有的输出文件：" + systemErrorText(err) +
                                "。请换一个输出文件名。\n" + job.OutPath);
        }
    }
    for (int32_t n = 1; n <= job.ViewCount; ++n) {
        if (sameFile(target, job.InPath(n))) {
            return Status::fail("输出文件不能是源图片本身（" + slotText(n) +
                                "）：请换一个输出文件名。");
        }
    }
    return target;
}

} // namespace tovrel
