// Pictures carrying a colour profile, decoded into their stores, against
// LittleCMS itself as the reference: every store pixel equals a separately
// built transform of the pixels of the same picture written without its
// profile, within 1 level.

#include "colour/colour_plan.h"
#include "colour/profile_folder.h"
#include "intake/picture_cache.h"

#include "tests/intake/picture_variants.h"
#include "tests/support/bmp_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <lcms2.h>
#include <png.h>
#include <tiffio.h>

#include <functional>

namespace tovrel::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// The size of the case being run.
int W = 24, H = 16;
const char* const kAdobe = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
const char* const kPress = "/usr/share/color/icc/ghostscript/default_cmyk.icc";

// Red, green, blue of pixel (x, y), y from the top.
std::array<uint8_t, 3> colourAt(int x, int y) {
    return {uint8_t(x * 11), uint8_t(y * 17), uint8_t((x * y * 7 + 40) % 256)};
}

// A Display-P3-like profile: P3 primaries, D65, gamma 2.2.
Bytes p3Like() {
    cmsCIExyY white{0.3127, 0.3290, 1};
    cmsCIExyYTRIPLE primaries{{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE p = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p, nullptr, &size);
    Bytes bytes(size);
    cmsSaveProfileToMem(p, bytes.data(), &size);
    cmsCloseProfile(p);
    cmsFreeToneCurve(gamma);
    return bytes;
}

void writePngAs(const fs::path& file, const Bytes& icc, bool adam7) {
    FILE* f = std::fopen(file.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, W, H, 8, PNG_COLOR_TYPE_RGB,
                 adam7 ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!icc.empty()) {
        png_set_iCCP(png, info, "p", 0, icc.data(), png_uint_32(icc.size()));
    }
    png_write_info(png, info);
    const int passes = adam7 ? png_set_interlace_handling(png) : 1;
    for (int y = 0; y < H * passes; ++y) {
        Bytes row;
        for (int x = 0; x < W; ++x) {
            const auto c = colourAt(x, y % H);
            row.insert(row.end(), c.begin(), c.end());
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

void writePng(const fs::path& file, const Bytes& icc) {
    writePngAs(file, icc, false);
}

void writeInterlacedPng(const fs::path& file, const Bytes& icc) {
    writePngAs(file, icc, true);
}

void writeTiffWith(const fs::path& file, const Bytes& icc) {
    TIFF* t = TIFFOpen(file.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, W);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, H);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (!icc.empty()) {
        TIFFSetField(t, TIFFTAG_ICCPROFILE, uint32_t(icc.size()), icc.data());
    }
    for (int y = 0; y < H; ++y) {
        Bytes row;
        for (int x = 0; x < W; ++x) {
            const auto c = colourAt(x, y);
            row.insert(row.end(), c.begin(), c.end());
        }
        TIFFWriteScanline(t, row.data(), uint32_t(y), 0);
    }
    TIFFClose(t);
}

// A 24-bit BMP with a V5 header, its profile embedded behind the rows.
void writeBmpV5(const fs::path& file, const Bytes& icc) {
    Bytes b = bmpFile({W, H, 2835, 2835, 124});
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const auto c = colourAt(x, H - 1 - y);
            const std::size_t at = 14 + 124 + std::size_t(y) * W * 3 + std::size_t(x) * 3;
            b[at] = c[2], b[at + 1] = c[1], b[at + 2] = c[0];
        }
    }
    putLE32(b, 14 + 56, icc.empty() ? 0x73524742 : 0x4D424544); // 'sRGB' or 'MBED'
    putLE32(b, 14 + 112, uint32_t(b.size() - 14));
    putLE32(b, 14 + 116, uint32_t(icc.size()));
    b.insert(b.end(), icc.begin(), icc.end());
    writeFile(file, b);
}

void writeJpeg(const fs::path& file, const Bytes& icc) {
    std::string ppm = "P6 " + std::to_string(W) + " " + std::to_string(H) + " 255\n";
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const auto c = colourAt(x, y);
            ppm.append(c.begin(), c.end());
        }
    }
    writeFile(file.string() + ".ppm", Bytes(ppm.begin(), ppm.end()));
    writeFile(file.string() + ".icc", icc);
    const std::string option = icc.empty() ? "" : "-icc " + file.string() + ".icc ";
    ASSERT_TRUE(shell("cjpeg -quality 90 " + option + file.string() + ".ppm > " + file.string()));
}

struct Case {
    const char* name;
    std::function<void(const fs::path&, const Bytes&)> write;
    std::function<Bytes()> profile;
    ColourSettings settings; // the output profile, intent and compensation
    // Large enough, the rows pass through many bands converted alongside the
    // decoding, more than are ever in flight at once.
    int width = 24, height = 16;
};

Bytes adobe() {
    return readFile(kAdobe);
}

class ColourStore : public ::testing::TestWithParam<Case> {};

// The store's pixel rows, without header and record.
Bytes storePixels(const fs::path& store, int32_t pixelBytes) {
    const Bytes b = readFile(store);
    const std::size_t at = 54, bytes = std::size_t(W) * H * std::size_t(pixelBytes);
    return b.size() >= at + bytes ? Bytes(b.begin() + at, b.begin() + long(at + bytes)) : Bytes();
}

TEST_P(ColourStore, EqualsLittleCmsTransformOfThePlainPicture) {
    const Case& c = GetParam();
    W = c.width, H = c.height;
    TempDir dir;
    const Bytes icc = c.profile();
    c.write(dir / "tagged", icc);
    c.write(dir / "plain", {});
    // Never read in place, where its profile would be passed over.
    EXPECT_NE(sniffFormat(dir / "tagged"), PictureFormat::PlainBmp);
    const Result<ColourPlan> plan = colourPlanOf(c.settings);
    ASSERT_TRUE(plan) << plan.message();
    PictureCache converting(dir / "a"), plainCache(dir / "b");
    converting.setColour(plan.value());
    const Result<fs::path> tagged = converting.storeFor(dir / "tagged", {});
    const Result<fs::path> plain = plainCache.storeFor(dir / "plain", {});
    ASSERT_TRUE(tagged && plain) << tagged.message() << plain.message();
    const int32_t px = plan.value().output.bytes();
    const Bytes got = storePixels(tagged.value(), px), decoded = storePixels(plain.value(), 3);
    ASSERT_FALSE(got.empty() || decoded.empty());

    // The reference, built here from the same profile bytes.
    cmsHPROFILE from = cmsOpenProfileFromMem(icc.data(), cmsUInt32Number(icc.size()));
    cmsHPROFILE to = c.settings.outputProfile.empty()
                         ? cmsCreate_sRGBProfile()
                         : cmsOpenProfileFromFile(c.settings.outputProfile.c_str(), "r");
    const cmsUInt32Number flags =
        cmsFLAGS_NOCACHE |
        (c.settings.blackPointCompensation ? cmsFLAGS_BLACKPOINTCOMPENSATION : 0);
    cmsHTRANSFORM t = cmsCreateTransform(from, TYPE_BGR_8, to, px == 4 ? TYPE_CMYK_8 : TYPE_BGR_8,
                                         cmsUInt32Number(c.settings.intent), flags);
    ASSERT_NE(t, nullptr);
    Bytes expected(got.size());
    cmsDoTransform(t, decoded.data(), expected.data(), W * H);
    cmsDeleteTransform(t);
    cmsCloseProfile(from);
    cmsCloseProfile(to);
    int worst = 0, changed = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
        worst = std::max(worst, std::abs(int(got[i]) - int(expected[i])));
        changed += i < decoded.size() && got[i] != decoded[i];
    }
    EXPECT_LE(worst, 1);
    EXPECT_GT(changed, 0); // the profile was not passed over
}

ColourSettings toOutput(const char* profile, RenderIntent intent, bool bpc) {
    ColourSettings s;
    s.outputProfile = profile;
    s.intent = intent;
    s.blackPointCompensation = bpc;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ColourStore,
    ::testing::Values(
        Case{"JpegAdobe", writeJpeg, adobe, {}}, Case{"JpegP3", writeJpeg, p3Like, {}},
        Case{"PngAdobe", writePng, adobe, {}}, Case{"PngP3", writePng, p3Like, {}},
        Case{"TiffAdobe", writeTiffWith, adobe, {}}, Case{"TiffP3", writeTiffWith, p3Like, {}},
        Case{"BmpV5Adobe", writeBmpV5, adobe, {}}, Case{"BmpV5P3", writeBmpV5, p3Like, {}},
        Case{"JpegAdobeToPressPerceptual", writeJpeg, adobe,
             toOutput(kPress, RenderIntent::Perceptual, false)},
        Case{"PngP3ToAdobeAbsolute", writePng, p3Like,
             toOutput(kAdobe, RenderIntent::Absolute, true)},
        Case{"TiffAdobeToPressSaturation", writeTiffWith, adobe,
             toOutput(kPress, RenderIntent::Saturation, true)},
        Case{"PngAdobeManyBands", writePng, adobe, {}, 600, 1201},
        // Pass by pass, pieces of rows into the bands.
        Case{"PngInterlacedAdobe", writeInterlacedPng, adobe, {}},
        Case{"PngInterlacedP3ToPressManyBands", writeInterlacedPng, p3Like,
             toOutput(kPress, RenderIntent::Relative, true), 612, 1201},
        Case{"JpegP3ToPressManyBands", writeJpeg, p3Like,
             toOutput(kPress, RenderIntent::Relative, true), 700, 1100}),
    [](const auto& info) { return std::string(info.param.name); });

// What the colour dialog offers a profile for is what choosing it accepts:
// grey, Lab and named-colour profiles nowhere, CMYK only as the output, a
// file that does not open (here cut inside its header) nowhere.
struct Offer {
    const char* name;
    std::string file;
    bool input;
    bool output;
};

class ProfileOffer : public ::testing::TestWithParam<Offer> {};

TEST_P(ProfileOffer, ListedWhereChoosingItIsAccepted) {
    const Offer& c = GetParam();
    TempDir dir;
    const fs::path file = dir / "chosen.icc";
    const Bytes bytes = readFile(c.file);
    writeFile(file,
              c.file == kAdobe && !c.input ? Bytes(bytes.begin(), bytes.begin() + 100) : bytes);
    const ProfileUses uses = profileUsesOf(file);
    EXPECT_EQ(uses.input, c.input);
    EXPECT_EQ(uses.output, c.output);
    EXPECT_EQ(bool(colourPlanOf({.inputProfile = file.string()})), c.input);
    EXPECT_EQ(bool(colourPlanOf({.outputProfile = file.string()})), c.output);
    const InstalledProfiles listed = profilesUnder(dir.path());
    EXPECT_EQ(listed.inputs, c.input ? std::vector{file.string()} : std::vector<std::string>());
    EXPECT_EQ(listed.outputs, c.output ? std::vector{file.string()} : std::vector<std::string>());
}

INSTANTIATE_TEST_SUITE_P(
    Installed, ProfileOffer,
    ::testing::Values(Offer{"AdobeRgb", kAdobe, true, true}, Offer{"Cmyk", kPress, false, true},
                      Offer{"Grey", "/usr/share/color/icc/ghostscript/sgray.icc", false, false},
                      Offer{"Lab", "/usr/share/color/icc/ghostscript/lab.icc", false, false},
                      Offer{"NamedColours", "/usr/share/color/icc/colord/x11-colors.icc", false,
                            false},
                      Offer{"CutShort", kAdobe, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovrel::test
