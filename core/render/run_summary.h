#pragma once
// What the status line says about a finished run.

#include <array>
#include <cstdint>
#include <string>

namespace tovrel {

struct RunSummary {
    std::string path;  // the output file's full path
    int32_t width = 0; // pixels
    int32_t height = 0;
    float pixelsPerInch = 0;
    uintmax_t bytes = 0; // the file's size
    double seconds = 0;  // how long the run took
};

// Two lines: "已写出：PATH" and "W × H 像素，R 像素/英寸，SIZE，用时 T".
std::array<std::string, 2> summaryLines(const RunSummary& run);

// The resolution as the output file records it (its XResolution), to at most
// three decimals without trailing zeros: 720.0001 is recorded as 720.000107
// and shown as "720".
std::string recordedResolutionText(float pixelsPerInch);

// A file size for people: "812 字节", "12.3 KB", "299.3 MB", "1.25 GB"
// (units of 1024).
std::string fileSizeText(uintmax_t bytes);

// A time taken: "不到 0.1 秒", "0.4 秒", "12.3 秒", "2 分 05 秒", "1 时 02 分".
std::string durationText(double seconds);

} // namespace tovrel
