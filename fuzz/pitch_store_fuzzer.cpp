// The pitch store on a data file of any length and content, with a run of
// loads, deletions, appends and template reads. A model of the file says what
// each operation must leave: the template never changes, deletions keep
// exactly the other entries, appends add one entry behind the last whole one,
// and a file too short for its template is never written.
//
// Input: a flags byte (bit 0: the template is whole, else a 16-bit length
// below 1448 follows; bit 1: a leftover temporary file lies beside it), a byte
// seeding the template's bytes, the bytes after the template (a 16-bit length
// and the bytes), then up to eight operations: a byte choosing the operation,
// a byte choosing how its value is given, and that value.

#include "fuzz/fuzz_support.h"

#include "common/leading_number.h"
#include "common/rounding.h"
#include "params/pitch_store.h"

#include <bit>
#include <string>
#include <vector>

namespace tovrel::fuzz {
namespace {

constexpr std::size_t kEntry = 4;

float entryAt(const Bytes& bytes, std::size_t at) {
    return std::bit_cast<float>(uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 |
                                uint32_t{bytes[at + 2]} << 16 | uint32_t{bytes[at + 3]} << 24);
}

std::size_t entryCount(const Bytes& file) {
    return (file.size() - kTemplateSize) / kEntry;
}

std::vector<uint32_t> entryBits(const Bytes& file) {
    std::vector<uint32_t> bits;
    for (std::size_t k = 0; k < entryCount(file); ++k) {
        bits.push_back(std::bit_cast<uint32_t>(entryAt(file, kTemplateSize + kEntry * k)));
    }
    return bits;
}

// What the file must hold after deleting every entry equal to value.
Bytes afterRemoval(const Bytes& file, float value) {
    Bytes kept(file.begin(), file.begin() + kTemplateSize);
    for (std::size_t k = 0; k < entryCount(file); ++k) {
        const auto at = kTemplateSize + kEntry * k;
        if (entryAt(file, at) != value) {
            kept.insert(kept.end(), file.begin() + static_cast<std::ptrdiff_t>(at),
                        file.begin() + static_cast<std::ptrdiff_t>(at + kEntry));
        }
    }
    return kept;
}

// What the file must hold after appending value.
Bytes afterAppend(const Bytes& file, float value) {
    Bytes out(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(kTemplateSize +
                                                                       kEntry * entryCount(file)));
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    }
    return out;
}

Bytes dataFile(FuzzInput& in, uint8_t flags) {
    const std::size_t templateBytes = flags & 1 ? kTemplateSize : in.u16() % kTemplateSize;
    const uint8_t seed = in.byte();
    Bytes file(templateBytes);
    for (std::size_t i = 0; i < file.size(); ++i) {
        file[i] = static_cast<uint8_t>(i * (2 * seed + 1) + seed);
    }
    const std::string_view tail = in.bytes(in.u16());
    file.insert(file.end(), tail.begin(), tail.end());
    return file;
}

// The value of an operation: raw bits, a stored entry, or a typed text read
// as the pitch box reads it.
float operand(FuzzInput& in, const Bytes& file) {
    switch (in.byte() % 3) {
    case 0:
        return std::bit_cast<float>(in.u32());
    case 1:
        if (file.size() >= kTemplateSize + kEntry) {
            return entryAt(file, kTemplateSize + kEntry * (in.byte() % entryCount(file)));
        }
        return 0;
    default:
        return toSingle(leadingNumber(in.shortText()));
    }
}

bool leftBehind(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

} // namespace
} // namespace tovrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace tovrel;
    using namespace tovrel::fuzz;
    FuzzInput in(data, size);
    const uint8_t flags = in.byte();
    PitchStore store(scratchFolder());
    Bytes model = dataFile(in, flags);
    writeBytes(store.dataPath(), model);
    const Bytes leftover = {'o', 'l', 'd'};
    if (flags & 2) {
        writeBytes(store.tempPath(), leftover);
    } else {
        std::filesystem::remove(store.tempPath());
    }
    const bool whole = model.size() >= kTemplateSize;
    const Bytes tmpl(model.begin(),
                     model.begin() + static_cast<std::ptrdiff_t>(whole ? kTemplateSize : 0));

    for (int op = 0; op < 8 && !in.empty(); ++op) {
        const uint8_t kind = in.byte() % 4;
        const float value = operand(in, model);
        switch (kind) {
        case 0: {
            const Result<std::vector<float>> loaded = store.load();
            FUZZ_CHECK(loaded.isOk() == whole);
            if (loaded) {
                std::vector<uint32_t> bits;
                for (float e : loaded.value()) {
                    bits.push_back(std::bit_cast<uint32_t>(e));
                }
                FUZZ_CHECK(bits == entryBits(model));
            }
            break;
        }
        case 1: {
            const Status removed = store.removeAll(value);
            FUZZ_CHECK(removed.isOk() == whole);
            if (removed) {
                model = afterRemoval(model, value);
                FUZZ_CHECK(!leftBehind(store.tempPath()));
            }
            break;
        }
        case 2: {
            const Status appended = store.append(value);
            FUZZ_CHECK(appended.isOk() == whole);
            if (appended) {
                model = afterAppend(model, value);
            }
            break;
        }
        default: {
            const Result<TiffTemplate> read = store.readTemplate();
            FUZZ_CHECK(read.isOk() == whole);
            if (read) {
                FUZZ_CHECK(Bytes(read.value().begin(), read.value().end()) == tmpl);
            }
            break;
        }
        }
        const Bytes onDisk = readBytes(store.dataPath());
        FUZZ_CHECK(onDisk == model);
        if (whole) {
            FUZZ_CHECK(Bytes(onDisk.begin(), onDisk.begin() + kTemplateSize) == tmpl);
        }
        if (!whole && flags & 2) {
            // A refused operation leaves even the leftover alone.
            FUZZ_CHECK(readBytes(store.tempPath()) == leftover);
        }
    }
    return 0;
}
