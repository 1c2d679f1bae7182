#include "colour/colour_plan.h"

#include "common/warning_log.h"
#include "intake/picture_message.h"

#include <fstream>
#include <iterator>
#include <lcms2.h>
#include <mutex>
#include <string>

namespace tovrel {

namespace {

thread_local std::string lastError;

void logLibraryError(cmsContext, cmsUInt32Number, const char* text) {
    lastError = text != nullptr ? text : "";
}

// LittleCMS reports through one handler for the whole process: set once.
void routeLibraryErrors() {
    static std::once_flag once;
    std::call_once(once, [] { cmsSetLogErrorHandler(logLibraryError); });
}

struct ProfileCloser {
    void operator()(void* p) const {
        if (p != nullptr) {
            cmsCloseProfile(p);
        }
    }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

Profile openBytes(const std::vector<uint8_t>& bytes) {
    routeLibraryErrors();
    lastError.clear();
    if (bytes.empty()) {
        return Profile(cmsCreate_sRGBProfile());
    }
    return Profile(cmsOpenProfileFromMem(bytes.data(), cmsUInt32Number(bytes.size())));
}

std::string detail() {
    return lastError.empty() ? std::string() : "（" + lastError + "）";
}

// A profile file as bytes, checked to open in LittleCMS; what names it says
// which setting it is.
Result<std::vector<uint8_t>> readProfileFile(const std::string& file, const std::string& what) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes;
    if (in) {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (!in.good() && !in.eof()) {
        bytes.clear();
    }
    if (bytes.empty() || bytes.size() > kMaxProfileBytes || !iccWellFormed(bytes) ||
        !openBytes(bytes)) {
        return Status::fail("无法打开" + what + "：它不是可用的 ICC 色彩配置文件" + detail() +
                            "。\n" + file);
    }
    return bytes;
}

cmsUInt32Number flagsOf(const ColourSettings& s) {
    // One transform serves the threads of a picture: no shared pixel cache.
    return cmsFLAGS_NOCACHE | (s.blackPointCompensation ? cmsFLAGS_BLACKPOINTCOMPENSATION : 0);
}

// Bytes a pixel of a profile's colour space as the output holds it; 0 for
// spaces the output cannot be.
int32_t outputBytes(void* profile) {
    const cmsColorSpaceSignature space = cmsGetColorSpace(profile);
    return space == cmsSigRgbData ? 3 : space == cmsSigCmykData ? 4 : 0;
}

ProfileUses usesOf(void* profile) {
    const cmsProfileClassSignature kind = cmsGetDeviceClass(profile);
    const bool device =
        kind == cmsSigDisplayClass || kind == cmsSigOutputClass || kind == cmsSigColorSpaceClass;
    return {(device || kind == cmsSigInputClass) && outputBytes(profile) == 3,
            device && outputBytes(profile) != 0};
}

void* newTransform(void* from, void* to, int32_t pixelBytes, const ColourSettings& s) {
    lastError.clear();
    return cmsCreateTransform(from, TYPE_BGR_8, to, pixelBytes == 4 ? TYPE_CMYK_8 : TYPE_BGR_8,
                              cmsUInt32Number(s.intent), flagsOf(s));
}

} // namespace

std::string lastColourLibraryError() {
    return lastError;
}

Result<ColourPlan> colourPlanOf(const ColourSettings& settings) {
    ColourPlan plan;
    plan.settings = settings;
    if (!settings.inputProfile.empty()) {
        Result<std::vector<uint8_t>> input =
            readProfileFile(settings.inputProfile, "指定给图片的色彩配置文件");
        if (!input) {
            return input.status();
        }
        if (!usesOf(openBytes(input.value()).get()).input) {
            return Status::fail("指定给图片的色彩配置文件不是 RGB 的，不能用于 RGB 图片。\n" +
                                settings.inputProfile);
        }
        plan.input = std::move(input).value();
    }
    if (settings.outputProfile.empty()) {
        return plan;
    }
    Result<std::vector<uint8_t>> output =
        readProfileFile(settings.outputProfile, "输出色彩配置文件");
    if (!output) {
        return output.status();
    }
    const Profile out = openBytes(output.value());
    const int32_t bytes = outputBytes(out.get());
    if (!usesOf(out.get()).output) {
        return Status::fail("输出色彩配置文件既不是 RGB 的也不是 CMYK 的，不能用于输出。\n" +
                            settings.outputProfile);
    }
    // Paper white: what the working space's white becomes.
    const Profile srgb = openBytes({});
    void* white = newTransform(srgb.get(), out.get(), bytes, settings);
    if (white == nullptr) {
        return Status::fail("输出色彩配置文件不能用于输出" + detail() + "。\n" +
                            settings.outputProfile);
    }
    const uint8_t paper[3] = {255, 255, 255};
    cmsDoTransform(white, paper, plan.output.white.data(), 1);
    cmsDeleteTransform(white);
    plan.output.format = bytes == 4 ? PixelFormat::Cmyk : PixelFormat::Rgb;
    plan.output.profile = std::move(output).value();
    return plan;
}

RestoredColour restoredColourOf(ColourSettings settings) {
    RestoredColour restored;
    ColourSettings inputAlone = settings, outputAlone = settings;
    inputAlone.outputProfile.clear();
    outputAlone.inputProfile.clear();
    for (auto [file, alone] : {std::pair{&settings.inputProfile, &inputAlone},
                               {&settings.outputProfile, &outputAlone}}) {
        if (!file->empty() && !colourPlanOf(*alone)) {
            restored.dropped.push_back(*file);
            file->clear();
        }
    }
    Result<ColourPlan> plan = colourPlanOf(settings);
    if (plan) {
        restored.plan = std::move(plan).value();
    }
    return restored;
}

ProfileUses profileUsesOf(const std::filesystem::path& file) {
    routeLibraryErrors();
    // Only the header and the tag directory are read here.
    const Profile profile(cmsOpenProfileFromFile(file.c_str(), "r"));
    return profile ? usesOf(profile.get()) : ProfileUses{};
}

Result<ScreenColour> ScreenColour::make(const OutputColour& output) {
    ScreenColour screen;
    if (output.profile.empty()) {
        return screen;
    }
    const Profile from = openBytes(output.profile);
    const Profile srgb = openBytes({});
    lastError.clear();
    void* t = from ? cmsCreateTransform(from.get(), output.bytes() == 4 ? TYPE_CMYK_8 : TYPE_BGR_8,
                                        srgb.get(), TYPE_BGR_8, INTENT_RELATIVE_COLORIMETRIC,
                                        cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOCACHE)
                   : nullptr;
    if (t == nullptr) {
        return Status::fail("无法在屏幕上显示输出的色彩" + detail() + "。");
    }
    screen.transform_ = std::shared_ptr<void>(t, PictureColour::Closer());
    return screen;
}

Result<ScreenColour> ScreenColour::gamutProof(const OutputColour& output,
                                              const ColourSettings& settings) {
    // The alarm is LittleCMS's one setting for the whole process; nothing
    // else here checks gamut.
    static std::once_flag once;
    std::call_once(once, [] {
        cmsUInt16Number codes[cmsMAXCHANNELS] = {};
        for (std::size_t i = 0; i < kGamutAlarm.size(); ++i) {
            codes[i] = cmsUInt16Number(kGamutAlarm[i] * 257);
        }
        cmsSetAlarmCodes(codes);
    });
    const Profile press = openBytes(output.profile);
    const Profile srgb = openBytes({});
    lastError.clear();
    void* t = press && !output.profile.empty()
                  ? cmsCreateProofingTransform(
                        srgb.get(), TYPE_BGR_8, srgb.get(), TYPE_BGR_8, press.get(),
                        cmsUInt32Number(settings.intent), INTENT_RELATIVE_COLORIMETRIC,
                        flagsOf(settings) | cmsFLAGS_SOFTPROOFING | cmsFLAGS_GAMUTCHECK)
                  : nullptr;
    if (t == nullptr) {
        return Status::fail("无法标出输出色域外的颜色" + detail() + "。");
    }
    ScreenColour proof;
    proof.transform_ = std::shared_ptr<void>(t, PictureColour::Closer());
    return proof;
}

void ScreenColour::apply(const uint8_t* stored, uint8_t* bgr, std::size_t pixels) const {
    cmsDoTransform(transform_.get(), stored, bgr, cmsUInt32Number(pixels));
}

Result<std::vector<uint8_t>> onScreen(const OutputColour& output, std::vector<uint8_t> pixels) {
    const Result<ScreenColour> screen = ScreenColour::make(output);
    if (!screen || screen.value().identity()) {
        return screen ? Result<std::vector<uint8_t>>(std::move(pixels)) : screen.status();
    }
    const std::size_t count = pixels.size() / std::size_t(output.bytes());
    std::vector<uint8_t> bgr(count * 3);
    screen.value().apply(pixels.data(), bgr.data(), count);
    return bgr;
}

void PictureColour::Closer::operator()(void* transform) const {
    if (transform != nullptr) {
        cmsDeleteTransform(transform);
    }
}

Result<PictureColour> PictureColour::make(const ColourPlan& plan, const EmbeddedProfile& embedded,
                                          const std::filesystem::path& picture, bool brokenAsSrgb) {
    PictureColour colour;
    colour.pixelBytes_ = plan.output.bytes();
    const std::vector<uint8_t>* source = &plan.input; // pictures without a profile
    if (embedded.kind == EmbeddedProfile::Kind::Srgb) {
        static const std::vector<uint8_t> kSrgb;
        source = &kSrgb;
    }
    Profile from;
    if (embedded.kind == EmbeddedProfile::Kind::Icc) {
        from = openBytes(embedded.bytes);
        if (from && cmsGetColorSpace(from.get()) != cmsSigRgbData) {
            logWarning("图片内嵌的色彩配置文件不是 RGB 的，按未带配置文件处理：" +
                       picture.string());
            from.reset();
        } else if (!from) {
            source = nullptr; // broken
        }
    }
    if (embedded.kind == EmbeddedProfile::Kind::Corrupt) {
        source = nullptr;
    }
    if (source == nullptr && !brokenAsSrgb) {
        return Status::fail(
            refusePicture(picture, "它内嵌的色彩配置文件已损坏" + detail()).message(),
            kBrokenEmbeddedProfile);
    }
    if (source == nullptr) {
        static const std::vector<uint8_t> kSrgb;
        source = &kSrgb;
    }
    if (!from && source->empty() && plan.output.profile.empty()) {
        return colour; // sRGB in, sRGB out
    }
    if (!from) {
        from = openBytes(*source);
    }
    const Profile to = openBytes(plan.output.profile);
    void* transform = from && to
                          ? newTransform(from.get(), to.get(), colour.pixelBytes_, plan.settings)
                          : nullptr;
    if (transform == nullptr) {
        const bool own = embedded.kind == EmbeddedProfile::Kind::Icc && !brokenAsSrgb;
        return Status::fail(refusePicture(picture, "无法建立色彩转换" + detail()).message(),
                            own ? kBrokenEmbeddedProfile : 0);
    }
    colour.transform_ = std::shared_ptr<void>(transform, Closer());
    return colour;
}

void PictureColour::apply(const uint8_t* bgr, uint8_t* out, std::size_t pixels) const {
    cmsDoTransform(transform_.get(), bgr, out, cmsUInt32Number(pixels));
}

} // namespace tovrel
