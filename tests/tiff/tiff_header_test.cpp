#include "tiff/tiff_header.h"
#include "tiff/tiff_resolution.h"

#include "tests/params/data_file_maker.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;
using Bytes = std::vector<unsigned char>;
using Four = std::array<uint8_t, 4>;

Four bytesAt(const Bytes& b, std::size_t at) {
    return {b.at(at), b.at(at + 1), b.at(at + 2), b.at(at + 3)};
}

TEST(ResolutionBytes, AreTheResolutionAs16Dot16BigEndian) {
    const struct {
        float fbl;
        Four bytes;
    } cases[] = {
        {300.0f, {0x01, 0x2C, 0x00, 0x00}},
        {200.0f, {0x00, 0xC8, 0x00, 0x00}},
        {127.5f, {0x00, 0x7F, 0x80, 0x00}},
        {72.25f, {0x00, 0x48, 0x40, 0x00}},
        {0.0f, {0x00, 0x00, 0x00, 0x00}},
        {1.0f / 65536, {0x00, 0x00, 0x00, 0x01}},
        {32767.998046875f, {0x7F, 0xFF, 0xFF, 0x80}},
        // Fractions finer than 1/65536 round, halves to even.
        {1.0f + 0.5f / 65536, {0x00, 0x01, 0x00, 0x00}},
        {1.0f + 1.5f / 65536, {0x00, 0x01, 0x00, 0x02}},
        {1.0f + 2.25f / 65536, {0x00, 0x01, 0x00, 0x02}},
        // A 4th byte rounding up to 256 carries into the 3rd, and on into the
        // integer part.
        {1.0f + 255.75f / 65536, {0x00, 0x01, 0x01, 0x00}},
        {2.0f - 0.25f / 65536, {0x00, 0x02, 0x00, 0x00}},
        {127.0f + 65535.5f / 65536, {0x00, 0x80, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(resolutionBytes(c.fbl), c.bytes) << c.fbl;
    }
}

TEST(CheckHeaderLimits, RefusesWhatTheFilesFormCannotDescribe) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* name;
        int32_t w, h;
        float fbl;
        bool forceBig;
        TiffForm form;
        const char* refusal; // a part of the message; nullptr when accepted
    } cases[] = {
        {"worked example", 1000, 500, 300.0f, false, TiffForm::Classic, nullptr},
        {"worked example as BigTIFF", 1000, 500, 300.0f, true, TiffForm::Big, nullptr},
        {"smallest image", 1, 1, 0.0f, false, TiffForm::Classic, nullptr},
        {"smallest BigTIFF", 1, 1, 0.0f, true, TiffForm::Big, nullptr},
        {"largest classic pixel area", 715827399, 1, 300.0f, false, TiffForm::Classic, nullptr},
        {"other way round", 1, 715827399, 300.0f, false, TiffForm::Classic, nullptr},
        {"one pixel more: BigTIFF, whose strips cannot hold the row", 715827400, 1, 300.0f, false,
         TiffForm::Big, "8 MiB"},
        {"largest classic row, forced", 715827399, 1, 300.0f, true, TiffForm::Big, "8 MiB"},
        {"square just beyond classic", 26755, 26755, 300.0f, false, TiffForm::Big, nullptr},
        {"tallest BigTIFF", 1, 2147483647, 300.0f, false, TiffForm::Big, nullptr},
        {"widest BigTIFF row", 2796202, 1000, 300.0f, false, TiffForm::Big, nullptr},
        {"a row one pixel wider", 2796203, 1000, 300.0f, false, TiffForm::Big, "8 MiB"},
        {"beyond 4 TB", 2796202, 477000, 300.0f, false, TiffForm::Big, "4 TB"},
        {"just below 4 TB", 2796202, 476000, 300.0f, false, TiffForm::Big, nullptr},
        {"product beyond 64 bits of 3 * w * h", 2147483647, 2147483647, 300.0f, false,
         TiffForm::Big, "8 MiB"},
        {"zero width", 0, 10, 300.0f, false, TiffForm::Classic, "至少为 1 像素"},
        {"zero height", 10, 0, 300.0f, true, TiffForm::Big, "至少为 1 像素"},
        {"negative width", -5, 10, 300.0f, false, TiffForm::Classic, "至少为 1 像素"},
        {"both negative", -70000, -70000, 300.0f, false, TiffForm::Big, "至少为 1 像素"},
        {"highest resolution", 10, 10, 32767.998046875f, false, TiffForm::Classic, nullptr},
        {"highest resolution, BigTIFF", 10, 10, 32767.998046875f, true, TiffForm::Big, nullptr},
        {"resolution 32768", 10, 10, 32768.0f, false, TiffForm::Classic, "32768"},
        {"resolution 32768, BigTIFF", 10, 10, 32768.0f, true, TiffForm::Big, "32768"},
        {"negative resolution", 10, 10, -0.5f, false, TiffForm::Classic, "32768"},
        {"resolution not a number", 10, 10, nan, false, TiffForm::Classic, "32768"},
        {"infinite resolution", 10, 10, inf, true, TiffForm::Big, "32768"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(tiffFormFor(c.w, c.h, c.forceBig), c.form);
        const Status s = checkHeaderLimits(c.w, c.h, c.fbl, c.forceBig);
        EXPECT_EQ(s.isOk(), c.refusal == nullptr) << s.message();
        if (c.refusal != nullptr) {
            EXPECT_NE(s.message().find(c.refusal), std::string::npos) << s.message();
            // Every refusal says what to change.
            EXPECT_NE(s.message().find("请"), std::string::npos) << s.message();
        }
    }
}

// The file 1000 x 500 pixels at 300 pixels per inch must come out as.
void expectWorkedExample(const Bytes& b) {
    ASSERT_EQ(b.size(), 1501449u);
    EXPECT_EQ(bytesAt(b, 30), (Four{0xE8, 0x03, 0x00, 0x00}));
    EXPECT_EQ(bytesAt(b, 42), (Four{0xF4, 0x01, 0x00, 0x00}));
    EXPECT_EQ(bytesAt(b, 114), (Four{0xF4, 0x01, 0x00, 0x00}));
    EXPECT_EQ(bytesAt(b, 228), (Four{0x01, 0x2C, 0x00, 0x00}));
    EXPECT_EQ(bytesAt(b, 236), (Four{0x01, 0x2C, 0x00, 0x00}));
    EXPECT_EQ(b[b.size() - 2], 0);
    EXPECT_EQ(b.back(), 0);
}

class TiffHeaderTest : public ::testing::Test {
  protected:
    TempDir dir;
    fs::path out = dir / "out.tif";
    TiffTemplate tmpl = test::shippedTemplate();
};

TEST_F(TiffHeaderTest, WorkedExampleHasTheSizeAndFieldsOfTheExample) {
    ASSERT_TRUE(writeTiffHeader(out, tmpl, 1000, 500, 300.0f).isOk());
    expectWorkedExample(readFile(out));
}

TEST_F(TiffHeaderTest, ChangesNoTemplateByteOutsideTheSizeAndResolutionFields) {
    ASSERT_TRUE(writeTiffHeader(out, tmpl, 640, 480, 127.5f).isOk());
    const Bytes b = readFile(out);
    // Width, height, rows per strip, StripByteCounts, the two resource fields,
    // and the XResolution and YResolution rationals of the shipped template.
    const std::pair<std::size_t, std::size_t> patched[] = {
        {30, 34}, {42, 46}, {114, 118}, {126, 130}, {228, 232}, {236, 240}, {244, 260}};
    for (std::size_t i = 0; i < kTemplateSize; ++i) {
        bool inPatch = false;
        for (const auto& [from, to] : patched) {
            inPatch = inPatch || (i >= from && i < to);
        }
        if (!inPatch) {
            EXPECT_EQ(b[i], tmpl[i]) << "offset " << i;
        }
    }
}

// Writes recognisable pixel rows the way the engine does: row r at
// 1448 + r * 3 * w.
std::vector<Bytes> writeRows(const fs::path& out, int32_t w, int32_t h) {
    std::vector<Bytes> rows;
    std::fstream f(out, std::ios::in | std::ios::out | std::ios::binary);
    for (int32_t r = 0; r < h; ++r) {
        Bytes row(static_cast<std::size_t>(3 * w));
        for (std::size_t i = 0; i < row.size(); ++i) {
            row[i] = static_cast<unsigned char>(r * 31 + static_cast<int>(i) * 7 + 1);
        }
        f.seekp(
            static_cast<std::streamoff>(kTemplateSize + row.size() * static_cast<std::size_t>(r)));
        f.write(reinterpret_cast<const char*>(row.data()),
                static_cast<std::streamsize>(row.size()));
        rows.push_back(std::move(row));
    }
    EXPECT_TRUE(f.good());
    return rows;
}

uint32_t be32(const std::vector<uint8_t>& b, std::size_t at) {
    return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

TEST_F(TiffHeaderTest, EveryHeaderReadsBackThroughLibtiffWithItsPixels) {
    const struct {
        int32_t w, h;
        float fbl;
    } cases[] = {
        {1000, 500, 300.0f}, {7, 5, 127.5f},   {1, 1, 72.25f}, {3, 200, 1.0f + 255.75f / 65536},
        {4001, 3, 32767.5f}, {2, 9, 677.333f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h) + " at " +
                     std::to_string(c.fbl));
        ASSERT_TRUE(writeTiffHeader(out, tmpl, c.w, c.h, c.fbl).isOk());
        const auto rows = writeRows(out, c.w, c.h);
        ASSERT_EQ(fs::file_size(out), 1449u + 3u * static_cast<uint64_t>(c.w) * c.h);

        const auto t = test::readTiff(out, true);
        ASSERT_TRUE(t.opened);
        EXPECT_EQ(t.complaints, std::vector<std::string>{});
        EXPECT_EQ(t.width, static_cast<uint32_t>(c.w));
        EXPECT_EQ(t.height, static_cast<uint32_t>(c.h));
        EXPECT_EQ(t.samplesPerPixel, 3);
        EXPECT_EQ(t.bitsPerSample, 8);
        EXPECT_EQ(t.photometric, 2);    // RGB
        EXPECT_EQ(t.planar, 1);         // chunky
        EXPECT_EQ(t.compression, 1);    // none
        EXPECT_EQ(t.resolutionUnit, 2); // inch
        EXPECT_EQ(t.strips, 1u);
        EXPECT_EQ(t.rowsPerStrip, static_cast<uint32_t>(c.h));
        EXPECT_EQ(t.stripOffset, kTemplateSize);
        EXPECT_EQ(t.stripByteCount, 3u * static_cast<uint64_t>(c.w) * c.h);

        // The rational and the resource both hold fbl, to 1/65536.
        const auto fixed = resolutionBytes(c.fbl);
        const double resolution = (uint32_t{fixed[0]} << 24 | uint32_t{fixed[1]} << 16 |
                                   uint32_t{fixed[2]} << 8 | fixed[3]) /
                                  65536.0;
        EXPECT_LE(std::fabs(resolution - c.fbl), 0.5 / 65536);
        EXPECT_EQ(t.xResolution, static_cast<float>(resolution));
        EXPECT_EQ(t.yResolution, static_cast<float>(resolution));
        const auto info = test::imageResource(t.photoshop, 1005);
        ASSERT_EQ(info.size(), 16u);
        EXPECT_EQ(be32(info, 0), be32({fixed.begin(), fixed.end()}, 0));
        EXPECT_EQ(be32(info, 8), be32({fixed.begin(), fixed.end()}, 0));
        EXPECT_EQ(info[5], 1);  // pixels per inch, horizontally
        EXPECT_EQ(info[13], 1); // and vertically

        ASSERT_EQ(t.rows.size(), rows.size());
        for (std::size_t r = 0; r < rows.size(); ++r) {
            EXPECT_EQ(t.rows[r], rows[r]) << "row " << r;
        }
    }
}

TEST_F(TiffHeaderTest, AnExistingLongerFileIsCutAndOverwritten) {
    writeFile(out, Bytes(3'000'000, 0xFF));
    ASSERT_TRUE(writeTiffHeader(out, tmpl, 10, 10, 300.0f).isOk());
    const Bytes b = readFile(out);
    ASSERT_EQ(b.size(), 1449u + 300u);
    EXPECT_EQ(bytesAt(b, 0), (Four{0x49, 0x49, 0x2A, 0x00}));
    EXPECT_EQ(bytesAt(b, 30), (Four{10, 0, 0, 0}));
    EXPECT_EQ(b.back(), 0);
    EXPECT_EQ(b[b.size() - 2], 0);
    const auto t = test::readTiff(out, false);
    EXPECT_EQ(t.complaints, std::vector<std::string>{});
    EXPECT_EQ(t.width, 10u);
}

TEST_F(TiffHeaderTest, AnExistingShorterFileGetsTheWholeHeaderAndLength) {
    writeFile(out, Bytes(2000, 0xEE));
    ASSERT_TRUE(writeTiffHeader(out, tmpl, 1000, 500, 300.0f).isOk());
    const Bytes b = readFile(out);
    ASSERT_EQ(b.size(), 1501449u);
    EXPECT_TRUE(std::equal(b.begin(), b.begin() + 30, tmpl.begin()));
    EXPECT_EQ(bytesAt(b, 42), (Four{0xF4, 0x01, 0x00, 0x00}));
    EXPECT_EQ(b.back(), 0);
}

TEST_F(TiffHeaderTest, BrokenLimitsCreateAndChangeNothing) {
    const struct {
        int32_t w, h;
        float fbl;
    } cases[] = {{0, 5, 300.0f},
                 {715827400, 1, 300.0f},
                 {2796203, 800, 300.0f},
                 {10, 10, 32768.0f},
                 {10, 10, -1.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        fs::remove(out);
        EXPECT_FALSE(writeTiffHeader(out, tmpl, c.w, c.h, c.fbl).isOk());
        EXPECT_FALSE(fs::exists(out));
        writeFile(out, Bytes{1, 2, 3});
        EXPECT_FALSE(writeTiffHeader(out, tmpl, c.w, c.h, c.fbl).isOk());
        EXPECT_EQ(readFile(out), (Bytes{1, 2, 3}));
    }
}

TEST_F(TiffHeaderTest, OutputPathsThatCannotBeFilesGiveAMessageNamingThem) {
    writeFile(dir / "plain", {4, 5});
    fs::create_directory(dir / "folder.tif");
    for (const fs::path& bad :
         {dir / "plain" / "out.tif", dir / "folder.tif", dir / "missing" / "out.tif"}) {
        SCOPED_TRACE(bad.string());
        const Status s = writeTiffHeader(bad, tmpl, 10, 10, 300.0f);
        ASSERT_FALSE(s.isOk());
        EXPECT_NE(s.message().find(bad.string()), std::string::npos) << s.message();
    }
    EXPECT_EQ(readFile(dir / "plain"), (Bytes{4, 5}));
    EXPECT_TRUE(fs::is_empty(dir / "folder.tif"));
}

TEST_F(TiffHeaderTest, AShortByteCountBecomesALongHoldingThePixelBytes) {
    TiffTemplate t = tmpl;
    // StripByteCounts is entry 9 of the shipped template; make it a SHORT.
    const std::size_t entry = 8 + 2 + 12 * 9;
    ASSERT_EQ(t[entry] | t[entry + 1] << 8, 279);
    t[entry + 2] = 3;
    t[entry + 8] = 3;
    t[entry + 9] = t[entry + 10] = t[entry + 11] = 0;
    ASSERT_TRUE(writeTiffHeader(out, t, 1000, 500, 300.0f).isOk());
    const auto r = test::readTiff(out, false);
    EXPECT_EQ(r.complaints, std::vector<std::string>{});
    EXPECT_EQ(r.stripByteCount, 1'500'000u);
}

} // namespace
} // namespace tovrel
