#pragma once
// Helpers shared by the fuzz targets: a reader that takes an input apart
// field by field, the check that turns a broken property into a crash, and a
// scratch folder for the files a target writes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <vector>

namespace tovrel::fuzz {

// Reads fields from the front of the input. Past its end every field reads
// as zero or empty, so any input is a complete one.
class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint16_t u16() {
        const uint16_t low = byte();
        return static_cast<uint16_t>(low | byte() << 8);
    }
    uint32_t u32() {
        const uint32_t low = u16();
        return low | uint32_t{u16()} << 16;
    }
    uint64_t u64() {
        const uint64_t low = u32();
        return low | uint64_t{u32()} << 32;
    }
    // Up to n bytes, fewer at the end of the input.
    std::string_view bytes(std::size_t n) {
        const std::size_t take = n < size_ - pos_ ? n : size_ - pos_;
        const std::string_view out(reinterpret_cast<const char*>(data_ + pos_), take);
        pos_ += take;
        return out;
    }
    // A field of up to 255 bytes preceded by its length.
    std::string_view shortText() { return bytes(byte()); }
    std::string_view rest() { return bytes(size_ - pos_); }

  private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

[[noreturn]] inline void propertyBroken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::abort();
}

using Bytes = std::vector<uint8_t>;

// A whole file's bytes; empty when it cannot be read.
Bytes readBytes(const std::filesystem::path& file);

// Writes the file anew; stops the fuzzer when that fails.
void writeBytes(const std::filesystem::path& file, const Bytes& bytes);

// A folder of its own for this process under the temporary folder, created on
// first use. Files in it are rewritten by every run of a target.
std::filesystem::path scratchFolder();

} // namespace tovrel::fuzz

// Stops the fuzzer with a report when a property does not hold.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            ::tovrel::fuzz::propertyBroken(#condition, __FILE__, __LINE__);                        \
        }                                                                                          \
    } while (false)
