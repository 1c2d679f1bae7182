#include "tiff/tiff_template.h"

#include "tiff/tiff_header.h"
#include "tests/params/data_file_maker.h"
#include "tests/support/bmp_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

uint32_t get32(const Bytes& t, std::size_t at) {
    return uint32_t{t[at]} | uint32_t{t[at + 1]} << 8 | uint32_t{t[at + 2]} << 16 |
           uint32_t{t[at + 3]} << 24;
}

// Where the directory entry of tag starts in the shipped template.
std::size_t entryOf(const Bytes& t, uint16_t tag) {
    const std::size_t ifd = get32(t, 4);
    const std::size_t count = t[ifd] | t[ifd + 1] << 8;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = ifd + 2 + 12 * i;
        if ((t[at] | t[at + 1] << 8) == tag) {
            return at;
        }
    }
    ADD_FAILURE() << "the shipped template has no tag " << tag;
    return 0;
}

// The shipped template with one change.
struct Variant {
    const char* name;
    std::function<void(Bytes&)> change;
};

// One that must be refused, and a word of the reason given.
struct DamagedVariant : Variant {
    const char* why;
};

TiffTemplate variantOf(const Variant& v) {
    const TiffTemplate shipped = test::shippedTemplate();
    Bytes bytes(shipped.begin(), shipped.end());
    v.change(bytes);
    TiffTemplate t;
    std::copy(bytes.begin(), bytes.end(), t.begin());
    return t;
}

constexpr std::size_t kType = 2;
constexpr std::size_t kCount = 4;
constexpr std::size_t kValue = 8;
constexpr std::size_t kResourceAt = 216; // "8BIM" of the resolution resource

TEST(CheckTemplate, RefusesEveryTemplateThatWouldGiveABrokenFile) {
    const DamagedVariant damaged[] = {
        {"all zero", [](Bytes& t) { std::fill(t.begin(), t.end(), 0); }, "小端"},
        {"big-endian marker", [](Bytes& t) { t[0] = t[1] = 'M'; }, "小端"},
        {"not 42", [](Bytes& t) { test::putLE16(t, 2, 43); }, "小端"},
        {"directory inside the file header", [](Bytes& t) { test::putLE32(t, 4, 4); },
         "不在模板之内"},
        {"directory beyond the template", [](Bytes& t) { test::putLE32(t, 4, 5000); },
         "不在模板之内"},
        {"directory at the last byte", [](Bytes& t) { test::putLE32(t, 4, 1447); }, "不在模板之内"},
        {"directory running past the template", [](Bytes& t) { test::putLE16(t, 8, 200); },
         "超出了模板"},
        {"tags out of order", [](Bytes& t) { test::putLE16(t, entryOf(t, 259), 258); }, "升序"},
        {"unknown field type", [](Bytes& t) { test::putLE16(t, entryOf(t, 296) + kType, 99); },
         "类型或个数"},
        {"field without values", [](Bytes& t) { test::putLE32(t, entryOf(t, 305) + kCount, 0); },
         "类型或个数"},
        {"values past the template",
         [](Bytes& t) { test::putLE32(t, entryOf(t, 305) + kValue, 1440); }, "数据超出了模板"},
        {"values over the directory",
         [](Bytes& t) { test::putLE32(t, entryOf(t, 282) + kValue, 30); }, "重叠"},
        {"values over other values",
         [](Bytes& t) {
             test::putLE32(t, entryOf(t, 283) + kValue, get32(t, entryOf(t, 282) + kValue) + 4);
         },
         "重叠"},
        {"values over the resolution resource",
         [](Bytes& t) { test::putLE32(t, entryOf(t, 283) + kValue, 230); }, "重叠"},
        {"width as a SHORT", [](Bytes& t) { test::putLE16(t, entryOf(t, 256) + kType, 3); },
         "固定的位置"},
        {"no width", [](Bytes& t) { test::putLE16(t, entryOf(t, 256), 255); }, "固定的位置"},
        {"height with two values", [](Bytes& t) { test::putLE32(t, entryOf(t, 257) + kCount, 2); },
         "重叠"},
        {"rows per strip as a SHORT",
         [](Bytes& t) { test::putLE16(t, entryOf(t, 278) + kType, 3); }, "固定的位置"},
        {"compressed", [](Bytes& t) { test::putLE16(t, entryOf(t, 259) + kValue, 5); }, "8 位 RGB"},
        {"grey", [](Bytes& t) { test::putLE16(t, entryOf(t, 262) + kValue, 1); }, "8 位 RGB"},
        {"four samples", [](Bytes& t) { test::putLE16(t, entryOf(t, 277) + kValue, 4); },
         "8 位 RGB"},
        {"16-bit green",
         [](Bytes& t) { test::putLE16(t, get32(t, entryOf(t, 258) + kValue) + 2, 16); },
         "8 位 RGB"},
        {"bits per sample as LONGs", [](Bytes& t) { test::putLE16(t, entryOf(t, 258) + kType, 4); },
         "重叠"},
        {"planes", [](Bytes& t) { test::putLE16(t, entryOf(t, 284) + kValue, 2); }, "8 位 RGB"},
        {"strip at 1449", [](Bytes& t) { test::putLE32(t, entryOf(t, 273) + kValue, 1449); },
         "1448"},
        {"two strips", [](Bytes& t) { test::putLE32(t, entryOf(t, 273) + kCount, 2); },
         "数据超出了模板"},
        {"no resource block", [](Bytes& t) { test::putLE16(t, entryOf(t, 34377), 34378); }, "228"},
        {"resource block as LONGs",
         [](Bytes& t) { test::putLE16(t, entryOf(t, 34377) + kType, 4); }, "重叠"},
        {"resource block not 8BIM", [](Bytes& t) { t[kResourceAt] = 'X'; }, "228"},
        {"another resource id", [](Bytes& t) { t[kResourceAt + 5] = 0xEE; }, "228"},
        {"resolution resource too short", [](Bytes& t) { t[kResourceAt + 11] = 8; }, "228"},
        {"resolution resource longer than its block", [](Bytes& t) { t[kResourceAt + 11] = 18; },
         "228"},
    };
    test::TempDir dir;
    const fs::path out = dir / "out.tif";
    for (const auto& v : damaged) {
        SCOPED_TRACE(v.name);
        const TiffTemplate t = variantOf(v);
        const Status s = checkTemplate(t);
        ASSERT_FALSE(s.isOk());
        EXPECT_NE(s.message().find("kvxj.dll 中的输出文件头模板已损坏"), std::string::npos)
            << s.message();
        EXPECT_NE(s.message().find(v.why), std::string::npos) << s.message();
        // The header writer refuses it before it creates the file.
        EXPECT_EQ(writeTiffHeader(out, t, 10, 10, 300.0f).message(), s.message());
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST(CheckTemplate, AcceptsTheShippedTemplateAndEveryOtherValidArrangement) {
    const Variant valid[] = {
        {"shipped", [](Bytes&) {}},
        {"compression left to its default",
         [](Bytes& t) { test::putLE16(t, entryOf(t, 259), 260); }},
        {"planar configuration left to its default",
         [](Bytes& t) { test::putLE16(t, entryOf(t, 284), 290); }},
        {"one bits-per-sample value for all samples",
         [](Bytes& t) {
             test::putLE32(t, entryOf(t, 258) + kCount, 1);
             test::putLE32(t, entryOf(t, 258) + kValue, 8);
         }},
        {"strip offset as a SHORT",
         [](Bytes& t) {
             test::putLE16(t, entryOf(t, 273) + kType, 3);
             test::putLE32(t, entryOf(t, 273) + kValue, 1448);
         }},
        {"resource block as UNDEFINED",
         [](Bytes& t) { test::putLE16(t, entryOf(t, 34377) + kType, 7); }},
    };
    for (const auto& v : valid) {
        SCOPED_TRACE(v.name);
        const Status s = checkTemplate(variantOf(v));
        EXPECT_TRUE(s.isOk()) << s.message();
    }
}

} // namespace
} // namespace tovrel
