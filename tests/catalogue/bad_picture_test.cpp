// Malformed and hostile picture files, each with the exact outcome of reading
// it into a slot: the fields it gives, or the message that refuses it with the
// slot left as it was.

#include "common/warning_log.h"
#include "intake/common_frame.h"
#include "intake/picture_cache.h"
#include "params/posix_file.h"

#include "tests/intake/picture_variants.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <tuple>
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
    EXPECT_EQ(readSlotHeader(job, 1).message(),
              "无法打开图片文件“" + job.InPath(1) + "”：" + systemErrorText(ENOENT) + "。");

    std::filesystem::create_directory(dir / "文件夹.bmp");
    job.InPath(1) = (dir / "文件夹.bmp").string();
    EXPECT_EQ(readSlotHeader(job, 1).message(),
              "图片“" + job.InPath(1) + "”无法使用：这是一个文件夹，不是图片文件。");
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

// A little-endian TIFF built byte by byte: `data` from offset 8 on, then
// the directory of `tags`, given in ascending order.
struct Tag {
    uint16_t tag;
    std::vector<uint32_t> values; // LONG values
};

Bytes tiffFile(const std::vector<Tag>& tags, const Bytes& data) {
    Bytes b = {'I', 'I', 42, 0, 0, 0, 0, 0};
    b.insert(b.end(), data.begin(), data.end());
    std::vector<uint32_t> at(tags.size());
    for (size_t i = 0; i < tags.size(); ++i) {
        if (tags[i].values.size() > 1) {
            at[i] = static_cast<uint32_t>(b.size());
            for (uint32_t v : tags[i].values) {
                b.resize(b.size() + 4);
                put(b, b.size() - 4, v, 4);
            }
        }
    }
    b.resize(b.size() + b.size() % 2);
    put(b, 4, b.size(), 4);
    b.resize(b.size() + 2 + tags.size() * 12 + 4, 0);
    size_t p = b.size() - tags.size() * 12 - 6;
    put(b, p, tags.size(), 2);
    for (size_t i = 0; i < tags.size(); ++i, p += 12) {
        put(b, p + 2, tags[i].tag, 2);
        put(b, p + 4, 4, 2); // LONG
        put(b, p + 6, tags[i].values.size(), 4);
        put(b, p + 10, tags[i].values.size() > 1 ? at[i] : tags[i].values.at(0), 4);
    }
    return b;
}

// A 16 x 16 grey picture of `bits` bits a sample, a pattern no tile can hide,
// in strips or in tiles `tileW` pixels wide.
Bytes greyTiff(int bits, uint32_t tileW) {
    constexpr uint32_t w = 16, h = 16;
    const uint32_t pieceW = tileW == 0 ? w : tileW;
    const uint32_t across = (w + pieceW - 1) / pieceW;
    const uint32_t rowBytes = (pieceW * bits + 7) / 8;
    Bytes data(size_t(across) * rowBytes * h, 0);
    std::vector<uint32_t> offsets, counts;
    for (uint32_t t = 0; t < across; ++t) {
        offsets.push_back(8 + t * rowBytes * h);
        counts.push_back(rowBytes * h);
        for (uint32_t y = 0; y < h; ++y) {
            for (uint32_t i = 0; i < pieceW && t * pieceW + i < w; ++i) {
                const uint32_t x = t * pieceW + i;
                const uint32_t v = (x * 5 + y * 3 + x * y) % (1u << bits);
                const uint32_t bit = i * uint32_t(bits);
                data[(t * h + y) * rowBytes + bit / 8] |=
                    static_cast<unsigned char>(v << (8 - bits - bit % 8));
            }
        }
    }
    std::vector<Tag> tags = {{256, {w}}, {257, {h}}, {258, {uint32_t(bits)}},
                             {259, {1}}, {262, {1}}, {277, {1}}};
    if (tileW == 0) {
        tags.insert(tags.begin() + 5, Tag{273, offsets});
        tags.push_back({278, {h}});
        tags.push_back({279, counts});
    } else {
        tags.push_back({322, {tileW}});
        tags.push_back({323, {h}});
        tags.push_back({324, offsets});
        tags.push_back({325, counts});
    }
    return tiffFile(tags, data);
}

Bytes jpegWithJfif(unsigned char major, unsigned char minor) {
    test::TempDir dir;
    std::string ppm = "P6 16 8 255\n";
    for (int i = 0; i < 16 * 8 * 3; ++i) {
        ppm.push_back(static_cast<char>(i * 37));
    }
    test::writeFile(dir / "p.ppm", Bytes(ppm.begin(), ppm.end()));
    EXPECT_TRUE(
        test::shell("cjpeg " + (dir / "p.ppm").string() + " > " + (dir / "p.jpg").string()));
    Bytes b = test::readFile(dir / "p.jpg");
    EXPECT_EQ(std::string(b.begin() + 6, b.begin() + 10), "JFIF");
    b.at(11) = major;
    b.at(12) = minor;
    return b;
}

// That JPEG with APP2 "ICC_PROFILE" pieces (sequence number, count, bytes)
// after its start marker.
Bytes jpegWithProfile(const std::vector<std::tuple<int, int, Bytes>>& pieces) {
    Bytes b = jpegWithJfif(1, 1);
    Bytes markers;
    for (const auto& [sequence, count, bytes] : pieces) {
        const std::size_t length = 2 + 14 + bytes.size();
        markers.insert(markers.end(), {0xFF, 0xE2, uint8_t(length >> 8), uint8_t(length)});
        const std::string signature("ICC_PROFILE\0", 12);
        markers.insert(markers.end(), signature.begin(), signature.end());
        markers.insert(markers.end(), {uint8_t(sequence), uint8_t(count)});
        markers.insert(markers.end(), bytes.begin(), bytes.end());
    }
    b.insert(b.begin() + 2, markers.begin(), markers.end());
    return b;
}

Bytes profileFile(const char* name) {
    return test::readFile(std::string("/usr/share/color/icc/ghostscript/") + name);
}

// A profile split in two.
Bytes half(const Bytes& profile, bool first) {
    const auto middle = profile.begin() + long(profile.size() / 2);
    return first ? Bytes(profile.begin(), middle) : Bytes(middle, profile.end());
}

// Pictures of the other formats crafted to knock a decoder over, chosen
// through the cache: refused with their reason, or decoded exactly like
// their plain twin.
struct Crafted {
    const char* what;
    Bytes bytes;
    Bytes twin;          // empty: refused
    std::string outcome; // the reason of the refusal, or a warning logged
    bool pipe = false;
};

const std::vector<Crafted>& craftedPictures() {
    static const std::vector<Crafted> cases = {
        {"TIFF of 65535 16-bit samples a pixel, 1000000 pixels wide",
         tiffFile({{256, {1000000}},
                   {257, {1}},
                   {258, {16}},
                   {259, {1}},
                   {262, {1}},
                   {273, {8}},
                   {277, {65535}},
                   {278, {1}},
                   {279, {4000}}},
                  Bytes(4000, 7)),
         {},
         "TIFF 文件的一段数据需要 124998 MB 内存，超过 256 MB 的上限"},
        {"1-bit TIFF in tiles 4 wide", greyTiff(1, 4), greyTiff(1, 0), ""},
        {"1-bit TIFF in tiles 12 wide", greyTiff(1, 12), greyTiff(1, 0), ""},
        {"2-bit TIFF in tiles 3 wide", greyTiff(2, 3), greyTiff(2, 0), ""},
        {"4-bit TIFF in tiles 5 wide", greyTiff(4, 5), greyTiff(4, 0), ""},
        {"1-bit TIFF in tiles 16 wide", greyTiff(1, 16), greyTiff(1, 0), ""},
        {"JPEG of JFIF revision 2.01", jpegWithJfif(2, 1), jpegWithJfif(1, 1), "2.01"},
        {"named pipe", {}, {}, "这不是普通文件（是管道、套接字或设备），不能作为图片读取", true},
        {"JPEG whose profile lacks its second piece",
         jpegWithProfile({{1, 2, half(profileFile("srgb.icc"), true)}}),
         {},
         "它内嵌的色彩配置文件已损坏"},
        {"JPEG whose profile has a piece twice",
         jpegWithProfile({{1, 2, half(profileFile("srgb.icc"), true)},
                          {1, 2, half(profileFile("srgb.icc"), true)}}),
         {},
         "它内嵌的色彩配置文件已损坏"},
        {"JPEG whose profile is cut short",
         jpegWithProfile({{1, 1, half(profileFile("srgb.icc"), true)}}),
         {},
         "它内嵌的色彩配置文件已损坏"},
        {"JPEG carrying a grey profile",
         jpegWithProfile({{2, 2, half(profileFile("default_gray.icc"), false)},
                          {1, 2, half(profileFile("default_gray.icc"), true)}}),
         jpegWithJfif(1, 1), "不是 RGB 的"},
    };
    return cases;
}

TEST(BadPictureCatalogue, CraftedPicturesOfOtherFormatsGiveTheirExactOutcome) {
    test::TempDir dir;
    std::vector<std::string> warnings;
    setWarningSink([&](const std::string& w) { warnings.push_back(w); });
    for (const Crafted& c : craftedPictures()) {
        SCOPED_TRACE(c.what);
        warnings.clear();
        const PictureCache cache(dir / "cache");
        const auto path = dir / "图片";
        std::filesystem::remove(path);
        if (c.pipe) {
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        } else {
            test::writeFile(path, c.bytes);
        }
        const Result<std::filesystem::path> store = cache.storeFor(path, {});
        if (c.twin.empty()) {
            ASSERT_FALSE(store);
            EXPECT_EQ(store.message(), "图片“" + path.string() + "”无法使用：" + c.outcome + "。");
            EXPECT_TRUE(std::filesystem::is_empty(cache.folder()) ||
                        !std::filesystem::exists(cache.folder()));
            continue;
        }
        ASSERT_TRUE(store) << store.message();
        const bool warned = std::any_of(warnings.begin(), warnings.end(), [&](const auto& w) {
            return w.find(c.outcome) != std::string::npos;
        });
        EXPECT_TRUE(c.outcome.empty() || warned);
        const auto twin = dir / "孪生";
        test::writeFile(twin, c.twin);
        const Result<std::filesystem::path> twinStore = cache.storeFor(twin, {store.value()});
        ASSERT_TRUE(twinStore) << twinStore.message();
        // Equal rows; the records after them name different files.
        Bytes a = test::readFile(store.value()), b = test::readFile(twinStore.value());
        ASSERT_EQ(a.size(), b.size());
        a.resize(a.size() - 80);
        b.resize(b.size() - 80);
        EXPECT_EQ(a, b);
        cache.removeAllBut({});
    }
    setWarningSink({});
}

} // namespace
} // namespace tovrel
