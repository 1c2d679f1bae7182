#include "tiff/tiff_template.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tovrel {

namespace {

enum Tag : uint16_t {
    kImageWidth = 256,
    kImageLength = 257,
    kBitsPerSample = 258,
    kCompression = 259,
    kPhotometric = 262,
    kStripOffsets = 273,
    kSamplesPerPixel = 277,
    kRowsPerStrip = 278,
    kPlanarConfiguration = 284,
    kPhotoshop = 34377,
};

enum Type : uint16_t { kByte = 1, kShort = 3, kLong = 4, kUndefined = 7 };

constexpr uint16_t kResolutionInfo = 1005;
constexpr std::size_t kResolutionInfoAt = 228;
constexpr std::size_t kResolutionInfoSize = 16;
constexpr std::size_t kEntrySize = 12;

using Field = TemplateField;

// A byte range [from, to) of the template that one part of the file owns.
struct Span {
    uint64_t from;
    uint64_t to;
};

// Bytes per value of each field type a classic TIFF may hold; 0 for others.
std::size_t typeSize(uint16_t type) {
    switch (type) {
    case 1: // BYTE
    case 2: // ASCII
    case 6: // SBYTE
    case 7: // UNDEFINED
        return 1;
    case 3: // SHORT
    case 8: // SSHORT
        return 2;
    case 4:  // LONG
    case 9:  // SLONG
    case 11: // FLOAT
    case 13: // IFD
        return 4;
    case 5:  // RATIONAL
    case 10: // SRATIONAL
    case 12: // DOUBLE
        return 8;
    default:
        return 0;
    }
}

Status damaged(const std::string& why) {
    return Status::fail(
        "数据文件 kvxj.dll 中的输出文件头模板已损坏：" + why +
        "，无法用它写出输出文件。请把完好的 kvxj.dll 复制到该应用程序所在的文件夹。");
}

class Template {
  public:
    explicit Template(const TiffTemplate& bytes) : b_(bytes) {}

    uint16_t le16(std::size_t at) const { return static_cast<uint16_t>(b_[at] | b_[at + 1] << 8); }
    uint32_t le32(std::size_t at) const { return le16(at) | uint32_t{le16(at + 2)} << 16; }
    uint16_t be16(std::size_t at) const { return static_cast<uint16_t>(b_[at] << 8 | b_[at + 1]); }
    uint32_t be32(std::size_t at) const { return uint32_t{be16(at)} << 16 | be16(at + 2); }
    uint8_t at(std::size_t i) const { return b_[i]; }

  private:
    const TiffTemplate& b_;
};

// The first directory's fields by tag, or the reason it cannot be read. Every
// range it owns (the directory itself, values stored outside their entries)
// must lie inside the template without overlapping another.
struct Directory {
    std::map<uint16_t, Field> fields;
    std::string fault;
};

Directory readDirectory(const Template& t) {
    Directory dir;
    const uint32_t ifd = t.le32(4);
    if (ifd < 8 || ifd > kTemplateSize - 2) {
        dir.fault = "第一个图像目录不在模板之内";
        return dir;
    }
    const uint16_t count = t.le16(ifd);
    const uint64_t end = uint64_t{ifd} + 2 + kEntrySize * count + 4;
    if (end > kTemplateSize) {
        dir.fault = "第一个图像目录超出了模板";
        return dir;
    }
    std::vector<Span> spans = {{0, 8}, {ifd, end}};
    for (uint16_t i = 0; i < count; ++i) {
        const std::size_t entry = ifd + 2 + kEntrySize * i;
        const uint16_t tag = t.le16(entry);
        Field field{entry, t.le16(entry + 2), t.le32(entry + 4), entry + 8};
        if (!dir.fields.empty() && tag <= dir.fields.rbegin()->first) {
            dir.fault = "图像目录的字段没有按标签升序排列";
            return dir;
        }
        const uint64_t bytes = uint64_t{typeSize(field.type)} * field.count;
        if (bytes == 0) {
            dir.fault = "字段 " + std::to_string(tag) + " 的类型或个数无效";
            return dir;
        }
        if (bytes > 4) {
            field.valuesAt = t.le32(entry + 8);
            if (field.valuesAt + bytes > kTemplateSize) {
                dir.fault = "字段 " + std::to_string(tag) + " 的数据超出了模板";
                return dir;
            }
            spans.push_back({field.valuesAt, field.valuesAt + bytes});
        }
        dir.fields.emplace(tag, field);
    }
    std::sort(spans.begin(), spans.end(), [](Span a, Span b) { return a.from < b.from; });
    for (std::size_t i = 1; i < spans.size(); ++i) {
        if (spans[i].from < spans[i - 1].to) {
            dir.fault = "模板中有相互重叠的数据";
            return dir;
        }
    }
    return dir;
}

// The i-th value of a SHORT or LONG field; nothing for other types.
std::optional<uint32_t> valueOf(const Template& t, const Field& f, std::size_t i = 0) {
    if (f.type == kShort) {
        return t.le16(f.valuesAt + 2 * i);
    }
    if (f.type == kLong) {
        return t.le32(f.valuesAt + 4 * i);
    }
    return std::nullopt;
}

// A field that holds one SHORT or LONG value; nothing when it is absent.
std::optional<uint32_t> single(const Template& t, const Directory& d, uint16_t tag) {
    const auto found = d.fields.find(tag);
    if (found == d.fields.end() || found->second.count != 1) {
        return std::nullopt;
    }
    return valueOf(t, found->second);
}

bool patchedAt(const Directory& d, uint16_t tag, std::size_t valueField) {
    const auto found = d.fields.find(tag);
    return found != d.fields.end() && found->second.type == kLong && found->second.count == 1 &&
           found->second.valuesAt == valueField;
}

bool eightBitSamples(const Template& t, const Directory& d) {
    const auto found = d.fields.find(kBitsPerSample);
    if (found == d.fields.end() || found->second.type != kShort ||
        (found->second.count != 1 && found->second.count != 3)) {
        return false;
    }
    for (std::size_t i = 0; i < found->second.count; ++i) {
        if (valueOf(t, found->second, i) != 8u) {
            return false;
        }
    }
    return true;
}

// Whether the image-resource block holds a resolution resource whose data
// starts at 228.
bool resolutionResourceInPlace(const Template& t, const Directory& d) {
    const auto found = d.fields.find(kPhotoshop);
    if (found == d.fields.end() ||
        (found->second.type != kByte && found->second.type != kUndefined)) {
        return false;
    }
    const std::size_t end = found->second.valuesAt + found->second.count;
    std::size_t at = found->second.valuesAt;
    while (at + 12 <= end) {
        if (t.at(at) != '8' || t.at(at + 1) != 'B' || t.at(at + 2) != 'I' || t.at(at + 3) != 'M') {
            return false;
        }
        const uint16_t id = t.be16(at + 4);
        std::size_t nameSize = 1 + std::size_t{t.at(at + 6)};
        nameSize += nameSize % 2;
        const std::size_t sizeAt = at + 6 + nameSize;
        if (sizeAt + 4 > end) {
            return false;
        }
        const std::size_t dataAt = sizeAt + 4;
        const uint32_t size = t.be32(sizeAt);
        if (size > end - dataAt) {
            return false;
        }
        if (id == kResolutionInfo) {
            return dataAt == kResolutionInfoAt && size >= kResolutionInfoSize;
        }
        at = dataAt + size + size % 2;
    }
    return false;
}

} // namespace

std::optional<TemplateField> templateField(const TiffTemplate& tmpl, uint16_t tag) {
    const Directory d = readDirectory(Template(tmpl));
    const auto found = d.fields.find(tag);
    if (!d.fault.empty() || found == d.fields.end()) {
        return std::nullopt;
    }
    return found->second;
}

Status checkTemplate(const TiffTemplate& tmpl) {
    const Template t(tmpl);
    if (t.at(0) != 'I' || t.at(1) != 'I' || t.le16(2) != 42) {
        return damaged("它不是小端字节序的 TIFF 文件头");
    }
    const Directory d = readDirectory(t);
    if (!d.fault.empty()) {
        return damaged(d.fault);
    }
    if (!patchedAt(d, kImageWidth, 30) || !patchedAt(d, kImageLength, 42) ||
        !patchedAt(d, kRowsPerStrip, 114)) {
        return damaged("图像宽度、高度或每条带行数不在固定的位置");
    }
    const bool uncompressed = !d.fields.contains(kCompression) || single(t, d, kCompression) == 1u;
    const bool chunky =
        !d.fields.contains(kPlanarConfiguration) || single(t, d, kPlanarConfiguration) == 1u;
    if (!uncompressed || single(t, d, kPhotometric) != 2u || single(t, d, kSamplesPerPixel) != 3u ||
        !eightBitSamples(t, d) || !chunky) {
        return damaged("它描述的不是未压缩、按像素交错的 8 位 RGB 图像");
    }
    if (single(t, d, kStripOffsets) != kTemplateSize) {
        return damaged("像素数据不是从第 1448 字节开始的一个条带");
    }
    if (!resolutionResourceInPlace(t, d)) {
        return damaged("分辨率资源不在第 228 字节");
    }
    return Status::ok();
}

} // namespace tovrel
