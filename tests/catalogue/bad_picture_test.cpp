// Malformed and hostile picture files, each with the exact outcome of reading
// it into a slot: the fields it gives, or the message that refuses it with the
// slot left as it was.

#include "intake/common_frame.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovrel {
namespace {

using Bytes = std::vector<unsigned char>;

// Header fields as they are written into the file, whatever they mean.
struct Header {
    int32_t dataOff = 54;
    uint32_t infoBytes = 40;
    int32_t width = 4;
    int32_t height = 3;
    uint16_t bits = 24;
    uint32_t compression = 0;
    int32_t xPerMetre = 2835;
};

void put(Bytes& b, std::size_t at, uint64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        b.at(at + static_cast<std::size_t>(i)) = static_cast<unsigned char>(value >> (8 * i));
    }
}

// The 54 header bytes, then pixel bytes up to `length` in all.
Bytes file(const Header& h, std::size_t length) {
    Bytes b(std::max<std::size_t>(length, 54), 0x5A);
    b[0] = 'B';
    b[1] = 'M';
    put(b, 2, length, 4);
    put(b, 6, 0, 4);
    put(b, 10, static_cast<uint32_t>(h.dataOff), 4);
    put(b, 14, h.infoBytes, 4);
    put(b, 18, static_cast<uint32_t>(h.width), 4);
    put(b, 22, static_cast<uint32_t>(h.height), 4);
    put(b, 26, 1, 2);
    put(b, 28, h.bits, 2);
    put(b, 30, h.compression, 4);
    put(b, 34, 0, 4);
    put(b, 38, static_cast<uint32_t>(h.xPerMetre), 4);
    put(b, 42, 2835, 4);
    put(b, 46, 0, 8);
    b.resize(length);
    return b;
}

// A 4 x 3 picture has rows of 12 bytes: 54 + 36 = 90 bytes in all.
constexpr std::size_t kFull = 90;

Bytes withHeader(Header h) {
    return file(h, kFull);
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

struct Accepted {
    int32_t DataOff, ImgW, ImgH, ImgRes, ImgStride;
};

struct Case {
    const char* what;
    Bytes bytes;
    std::optional<Accepted> accepted; // else refused for `reason`
    std::string reason = "";
};

const std::vector<Case>& catalogue() {
    static const std::vector<Case> cases = {
        {"empty file", {}, {}, "文件只有 0 字节，容不下 BMP 文件头，文件不完整或不是 BMP 文件"},
        {"signature only",
         text("BM"),
         {},
         "文件只有 2 字节，容不下 BMP 文件头，文件不完整或不是 BMP 文件"},
        {"file header only",
         file({}, 14),
         {},
         "文件只有 14 字节，容不下 BMP 文件头，文件不完整或不是 BMP 文件"},
        {"information header one byte short",
         file({}, 53),
         {},
         "文件只有 53 字节，容不下 BMP 文件头，文件不完整或不是 BMP 文件"},
        {"plain text", text(std::string(60, 'x')), {}, "文件开头不是“BM”标记，不是 BMP 位图文件"},
        {"PNG file",
         text("\x89PNG\r\n\x1a\n" + std::string(80, '\0')),
         {},
         "文件开头不是“BM”标记，不是 BMP 位图文件"},
        {"lower-case signature",
         [] {
             Bytes b = withHeader({});
             b[0] = 'b';
             b[1] = 'm';
             return b;
         }(),
         {},
         "文件开头不是“BM”标记，不是 BMP 位图文件"},
        {"OS/2 core header",
         withHeader({.infoBytes = 12}),
         {},
         "信息头长 12 字节，只支持 40 字节及以上的 Windows 位图信息头"},
        {"information header of 0 bytes",
         withHeader({.infoBytes = 0}),
         {},
         "信息头长 0 字节，只支持 40 字节及以上的 Windows 位图信息头"},
        {"information header of 4 GB",
         withHeader({.infoBytes = UINT32_MAX}),
         {},
         "像素数据的偏移为 54，落在文件头之内"},
        {"1 bit", withHeader({.bits = 1}), {}, "每像素 1 位，只支持 24 位真彩色图像"},
        {"16 bits", withHeader({.bits = 16}), {}, "每像素 16 位，只支持 24 位真彩色图像"},
        {"32 bits", withHeader({.bits = 32}), {}, "每像素 32 位，只支持 24 位真彩色图像"},
        {"0 bits", withHeader({.bits = 0}), {}, "每像素 0 位，只支持 24 位真彩色图像"},
        {"65535 bits", withHeader({.bits = 65535}), {}, "每像素 65535 位，只支持 24 位真彩色图像"},
        {"RLE8",
         withHeader({.compression = 1}),
         {},
         "图像经过压缩（压缩方式 1），只支持未压缩的图像"},
        {"RLE4",
         withHeader({.compression = 2}),
         {},
         "图像经过压缩（压缩方式 2），只支持未压缩的图像"},
        {"JPEG inside",
         withHeader({.compression = 4}),
         {},
         "图像经过压缩（压缩方式 4），只支持未压缩的图像"},
        {"PNG inside",
         withHeader({.compression = 5}),
         {},
         "图像经过压缩（压缩方式 5），只支持未压缩的图像"},
        {"compression all ones",
         withHeader({.compression = UINT32_MAX}),
         {},
         "图像经过压缩（压缩方式 4294967295），只支持未压缩的图像"},
        {"width 0", withHeader({.width = 0}), {}, "宽度为 0，宽度必须大于 0"},
        {"width -1", withHeader({.width = -1}), {}, "宽度为 -1，宽度必须大于 0"},
        {"most negative width",
         withHeader({.width = INT32_MIN}),
         {},
         "宽度为 -2147483648，宽度必须大于 0"},
        {"height 0", withHeader({.height = 0}), {}, "高度为 0，图像中没有像素行"},
        {"top-down rows",
         withHeader({.height = -3}),
         {},
         "高度为 -3，像素行自上而下存储，只支持自下而上存储的图像"},
        {"most negative height",
         withHeader({.height = INT32_MIN}),
         {},
         "高度为 -2147483648，像素行自上而下存储，只支持自下而上存储的图像"},
        {"row bytes past 32 bits",
         withHeader({.width = 715827882}),
         {},
         "宽度 715827882 像素过大，一行的字节数超出 32 位整数的范围"},
        {"largest width",
         withHeader({.width = INT32_MAX}),
         {},
         "宽度 2147483647 像素过大，一行的字节数超出 32 位整数的范围"},
        {"one row past 32 bits",
         withHeader({.width = 715827881, .height = 1}),
         {},
         "像素数据到第 2147483698 字节为止，超出 32 位文件位置的范围"},
        {"width times height past 32 bits",
         withHeader({.width = 65536, .height = 65536}),
         {},
         "像素数据到第 12884901942 字节为止，超出 32 位文件位置的范围"},
        {"largest height",
         withHeader({.width = 1, .height = INT32_MAX}),
         {},
         "像素数据到第 8589934642 字节为止，超出 32 位文件位置的范围"},
        {"offset near 2 GB",
         withHeader({.dataOff = INT32_MAX}),
         {},
         "像素数据到第 2147483683 字节为止，超出 32 位文件位置的范围"},
        {"offset past the end",
         withHeader({.dataOff = 1000}),
         {},
         "文件长 90 字节，但像素数据需要 1036 字节，文件不完整"},
        {"offset 0", withHeader({.dataOff = 0}), {}, "像素数据的偏移为 0，落在文件头之内"},
        {"negative offset",
         withHeader({.dataOff = INT32_MIN}),
         {},
         "像素数据的偏移为 -2147483648，落在文件头之内"},
        {"pixels one byte short",
         file({}, kFull - 1),
         {},
         "文件长 89 字节，但像素数据需要 90 字节，文件不完整"},
        {"header without pixels",
         file({}, 54),
         {},
         "文件长 54 字节，但像素数据需要 90 字节，文件不完整"},
        {"last row without pad bytes", file({.width = 5}, 54 + 16 * 2 + 15),
         Accepted{54, 5, 3, 2835, 16}},
        {"zero resolution", withHeader({.xPerMetre = 0}), Accepted{54, 4, 3, 0, 12}},
        {"negative resolution", withHeader({.xPerMetre = -3780}), Accepted{54, 4, 3, -3780, 12}},
        {"pixels far behind the header", file({.dataOff = 1000}, 1036),
         Accepted{1000, 4, 3, 2835, 12}},
    };
    return cases;
}

TEST(BadPictureCatalogue, EachFileGivesItsExactOutcome) {
    test::TempDir dir;
    ASSERT_GE(catalogue().size(), 30u);
    for (const Case& c : catalogue()) {
        SCOPED_TRACE(c.what);
        const auto path = dir / "图片.bmp";
        test::writeFile(path, c.bytes);
        // Slot 2 already holds a picture that a refused file must not disturb.
        JobState job;
        job.InPath(2) = path.string();
        job.DataOff(2) = 138;
        job.ImgW(2) = 640;
        job.ImgH(2) = 480;
        job.ImgRes(2) = 3780;
        job.ImgStride(2) = 1920;
        const Status read = readSlotHeader(job, 2);
        if (c.accepted) {
            ASSERT_TRUE(read) << read.message();
            EXPECT_EQ(job.DataOff(2), c.accepted->DataOff);
            EXPECT_EQ(job.ImgW(2), c.accepted->ImgW);
            EXPECT_EQ(job.ImgH(2), c.accepted->ImgH);
            EXPECT_EQ(job.ImgRes(2), c.accepted->ImgRes);
            EXPECT_EQ(job.ImgStride(2), c.accepted->ImgStride);
            continue;
        }
        ASSERT_FALSE(read);
        EXPECT_EQ(read.message(), "图片“" + path.string() + "”无法使用：" + c.reason + "。");
        EXPECT_EQ(job.DataOff(2), 138);
        EXPECT_EQ(job.ImgW(2), 640);
        EXPECT_EQ(job.ImgH(2), 480);
        EXPECT_EQ(job.ImgRes(2), 3780);
        EXPECT_EQ(job.ImgStride(2), 1920);
    }
}

TEST(BadPictureCatalogue, FilesThatCannotBeReadAreNamedInTheMessage) {
    test::TempDir dir;
    JobState job;
    job.InPath(1) = (dir / "不存在.bmp").string();
    EXPECT_EQ(readSlotHeader(job, 1).message(), "无法打开图片文件“" + job.InPath(1) + "”。");

    std::filesystem::create_directory(dir / "文件夹.bmp");
    job.InPath(1) = (dir / "文件夹.bmp").string();
    EXPECT_EQ(readSlotHeader(job, 1).message(), "无法读取图片文件“" + job.InPath(1) + "”。");
    EXPECT_EQ(job.ImgW(1), 0);
}

TEST(BadPictureCatalogue, NamesWithLineBreaksAndQuotesAreReadAndQuotedAsTheyAre) {
    test::TempDir dir;
    for (const char* name : {"第一行\n第二行.bmp", "回车\r.bmp", "“引号”.bmp", " 空格 .bmp",
                             "-开头是减号.bmp", "%s%n.bmp", "😀.bmp"}) {
        SCOPED_TRACE(name);
        JobState job;
        job.InPath(1) = (dir / name).string();
        test::writeFile(dir / name, withHeader({.width = 4, .height = 3}));
        const Status good = readSlotHeader(job, 1);
        ASSERT_TRUE(good) << good.message();
        EXPECT_EQ(job.ImgW(1), 4);

        test::writeFile(dir / name, file({}, 20));
        EXPECT_EQ(
            readSlotHeader(job, 1).message(),
            "图片“" + job.InPath(1) +
                "”无法使用：文件只有 20 字节，容不下 BMP 文件头，文件不完整或不是 BMP 文件。");
    }
}

} // namespace
} // namespace tovrel
