#include "intake/bmp_header.h"
#include "params/posix_file.h"

#include "tests/support/bmp_file.h"
#include "tests/support/temp_dir.h"

#include <cerrno>
#include <functional>
#include <gtest/gtest.h>

namespace tovrel {
namespace {

using test::BmpFields;
using test::bmpFile;
using test::patternPixel;
using test::putLE16;
using test::putLE32;
using Bytes = std::vector<unsigned char>;

TEST(BmpHeader, StrideRoundsRowBytesUpToFour) {
    const struct {
        int32_t width, stride;
    } cases[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {639, 1920}, {640, 1920}, {1024, 3072}};
    for (const auto& c : cases) {
        EXPECT_EQ(rowStride(c.width), c.stride) << c.width;
    }
}

TEST(BmpHeader, ReadsTheFourFieldsOfACommonHeader) {
    test::TempDir dir;
    test::writeFile(dir / "a.bmp", bmpFile({.width = 640, .height = 480, .xPerMetre = 3780}));
    const Result<BmpHeader> h = readBmpHeader(dir / "a.bmp");
    ASSERT_TRUE(h) << h.message();
    EXPECT_EQ(h.value().DataOff, 54);
    EXPECT_EQ(h.value().ImgW, 640);
    EXPECT_EQ(h.value().ImgH, 480);
    EXPECT_EQ(h.value().ImgRes, 3780);
    // The bottom-left pixel's blue byte comes first.
    EXPECT_EQ(test::readFile(dir / "a.bmp").at(54), patternPixel(1, 1)[0]);
}

TEST(BmpHeader, WidthFiveHasOnePadBytePerRow) {
    test::TempDir dir;
    test::writeFile(dir / "w5.bmp", bmpFile({.width = 5, .height = 3}));
    const Result<BmpHeader> h = readBmpHeader(dir / "w5.bmp");
    ASSERT_TRUE(h) << h.message();
    ASSERT_EQ(rowStride(h.value().ImgW), 16);
    // Column 2 of the second stored row.
    const Bytes file = test::readFile(dir / "w5.bmp");
    const size_t at = static_cast<size_t>(h.value().DataOff) + 16 + 3;
    const auto want = patternPixel(2, 2);
    EXPECT_EQ((std::array<uint8_t, 3>{file.at(at), file.at(at + 1), file.at(at + 2)}), want);
}

TEST(BmpHeader, LongerInformationHeadersAreReadThroughTheDataOffset) {
    test::TempDir dir;
    for (uint32_t info : {108u, 124u}) {
        const auto name = "v" + std::to_string(info) + ".bmp";
        test::writeFile(dir / name, bmpFile({.width = 3, .height = 2, .infoBytes = info}));
        const Result<BmpHeader> h = readBmpHeader(dir / name);
        ASSERT_TRUE(h) << h.message();
        EXPECT_EQ(h.value().DataOff, static_cast<int32_t>(14 + info));
        EXPECT_EQ(h.value().ImgW, 3);
        EXPECT_EQ(h.value().ImgH, 2);
        const Bytes file = test::readFile(dir / name);
        EXPECT_EQ(file.at(static_cast<size_t>(h.value().DataOff) + 2), patternPixel(1, 1)[2]);
    }
}

TEST(BmpHeader, VerticalResolutionChangesNothing) {
    test::TempDir dir;
    test::writeFile(dir / "a.bmp", bmpFile({.yPerMetre = 2835}));
    test::writeFile(dir / "b.bmp", bmpFile({.yPerMetre = -77}));
    const Result<BmpHeader> a = readBmpHeader(dir / "a.bmp");
    const Result<BmpHeader> b = readBmpHeader(dir / "b.bmp");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a.value().DataOff, b.value().DataOff);
    EXPECT_EQ(a.value().ImgW, b.value().ImgW);
    EXPECT_EQ(a.value().ImgH, b.value().ImgH);
    EXPECT_EQ(a.value().ImgRes, b.value().ImgRes);
}

TEST(BmpHeader, LastRowMayLackItsPadBytes) {
    test::TempDir dir;
    Bytes bytes = bmpFile({.width = 5, .height = 3}); // 54 + 3 * 16 bytes
    bytes.pop_back();
    test::writeFile(dir / "a.bmp", bytes);
    EXPECT_TRUE(readBmpHeader(dir / "a.bmp"));
}

TEST(BmpHeader, RefusesFilesOutsideTheFormatNamingFileAndFault) {
    const struct {
        const char* what;
        std::function<void(Bytes&)> damage;
        std::string reason;
    } cases[] = {
        {"signature", [](Bytes& b) { b[1] = 'A'; }, "文件开头不是“BM”标记，不是 BMP 位图文件"},
        {"core header", [](Bytes& b) { putLE32(b, 14, 12); },
         "信息头长 12 字节，只支持 40 字节及以上的 Windows 位图信息头"},
        {"32 bits", [](Bytes& b) { putLE16(b, 28, 32); }, "每像素 32 位，只支持 24 位真彩色图像"},
        {"8 bits", [](Bytes& b) { putLE16(b, 28, 8); }, "每像素 8 位，只支持 24 位真彩色图像"},
        {"RLE", [](Bytes& b) { putLE32(b, 30, 1); },
         "图像经过压缩（压缩方式 1），只支持未压缩的图像"},
        {"bit fields", [](Bytes& b) { putLE32(b, 30, 3); },
         "图像经过压缩（压缩方式 3），只支持未压缩的图像"},
        {"width 0", [](Bytes& b) { putLE32(b, 18, 0); }, "宽度为 0，宽度必须大于 0"},
        {"negative width", [](Bytes& b) { putLE32(b, 18, static_cast<uint32_t>(-5)); },
         "宽度为 -5，宽度必须大于 0"},
        {"height 0", [](Bytes& b) { putLE32(b, 22, 0); }, "高度为 0，图像中没有像素行"},
        {"top-down", [](Bytes& b) { putLE32(b, 22, static_cast<uint32_t>(-3)); },
         "高度为 -3，像素行自上而下存储，只支持自下而上存储的图像"},
        {"row too long", [](Bytes& b) { putLE32(b, 18, 715827882); },
         "宽度 715827882 像素过大，一行的字节数超出 32 位整数的范围"},
        // The widest row that still fits 32 bits, in a picture of one row.
        {"widest row",
         [](Bytes& b) {
             putLE32(b, 18, 715827881);
             putLE32(b, 22, 1);
         },
         "像素数据到第 2147483698 字节为止，超出 32 位文件位置的范围"},
        {"area too large",
         [](Bytes& b) {
             putLE32(b, 18, 100000);
             putLE32(b, 22, 100000);
         },
         "像素数据到第 30000000054 字节为止，超出 32 位文件位置的范围"},
        {"offset in header", [](Bytes& b) { putLE32(b, 10, 40); },
         "像素数据的偏移为 40，落在文件头之内"},
        {"negative offset", [](Bytes& b) { putLE32(b, 10, static_cast<uint32_t>(-1)); },
         "像素数据的偏移为 -1，落在文件头之内"},
        {"short pixels", [](Bytes& b) { b.resize(b.size() - 2); },
         "文件长 100 字节，但像素数据需要 101 字节，文件不完整"},
        {"short header", [](Bytes& b) { b.resize(30); },
         "文件只有 30 字节，容不下 BMP 文件头，文件不完整或不是 BMP 文件"},
        {"empty", [](Bytes& b) { b.clear(); },
         "文件只有 0 字节，容不下 BMP 文件头，文件不完整或不是 BMP 文件"},
    };
    test::TempDir dir;
    for (const auto& c : cases) {
        Bytes bytes = bmpFile({.width = 5, .height = 3});
        c.damage(bytes);
        const auto file = dir / "坏图.bmp";
        test::writeFile(file, bytes);
        const Result<BmpHeader> h = readBmpHeader(file);
        ASSERT_FALSE(h) << c.what;
        EXPECT_EQ(h.message(), "图片“" + file.string() + "”无法使用：" + c.reason + "。") << c.what;
    }
}

TEST(BmpHeader, OffsetInsideALongerInformationHeaderIsRefused) {
    test::TempDir dir;
    Bytes bytes = bmpFile({.infoBytes = 124});
    putLE32(bytes, 10, 54);
    test::writeFile(dir / "a.bmp", bytes);
    const Result<BmpHeader> h = readBmpHeader(dir / "a.bmp");
    ASSERT_FALSE(h);
    EXPECT_NE(h.message().find("像素数据的偏移为 54，落在文件头之内"), std::string::npos);
}

TEST(BmpHeader, UnopenableAndUnreadableFilesAreReported) {
    test::TempDir dir;
    const auto missing = dir / "无.bmp";
    const Result<BmpHeader> a = readBmpHeader(missing);
    ASSERT_FALSE(a);
    EXPECT_EQ(a.message(),
              "无法打开图片文件“" + missing.string() + "”：" + systemErrorText(ENOENT) + "。");

    std::filesystem::create_directory(dir / "folder.bmp");
    const Result<BmpHeader> b = readBmpHeader(dir / "folder.bmp");
    ASSERT_FALSE(b);
    EXPECT_EQ(b.message(), "图片“" + (dir / "folder.bmp").string() +
                               "”无法使用：这是一个文件夹，不是图片文件。");
}

} // namespace
} // namespace tovrel
