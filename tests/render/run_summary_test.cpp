#include "render/run_summary.h"

#include <gtest/gtest.h>

namespace tovrel {
namespace {

TEST(RunSummary, SizesAndTimesForPeople) {
    const std::pair<uintmax_t, const char*> sizes[] = {
        {0, "0 字节"},           {1023, "1023 字节"},    {1024, "1 KB"},
        {1536, "1.5 KB"},        {1048575, "1024 KB"},   {1048576, "1 MB"},
        {313847256, "299.3 MB"}, {1288490189, "1.2 GB"}, {(uintmax_t{1} << 40) * 3, "3 TB"}};
    for (const auto& [bytes, text] : sizes) {
        EXPECT_EQ(fileSizeText(bytes), text) << bytes;
    }
    const std::pair<double, const char*> times[] = {
        {0, "不到 0.1 秒"},   {0.04, "不到 0.1 秒"}, {0.44, "0.4 秒"},      {12.345, "12.3 秒"},
        {59.94, "59.9 秒"},   {59.96, "1 分 00 秒"}, {125.4, "2 分 05 秒"}, {3599.4, "59 分 59 秒"},
        {3725, "1 时 02 分"}, {-1, "不到 0.1 秒"}};
    for (const auto& [seconds, text] : times) {
        EXPECT_EQ(durationText(seconds), text) << seconds;
    }
}

TEST(RunSummary, PathOnTheFirstLineTheFileOnTheSecond) {
    const RunSummary run{"/pics/猫!.tif", 11811, 8858, 300.0f, 313847256, 2.44};
    const auto [path, details] = summaryLines(run);
    EXPECT_EQ(path, "已写出：/pics/猫!.tif");
    EXPECT_EQ(details, "11811 × 8858 像素，300 像素/英寸，299.3 MB，用时 2.4 秒");
    EXPECT_EQ(summaryLines({"/a.tif", 240, 180, 304.8f, 130896, 0.06})[1],
              "240 × 180 像素，304.8 像素/英寸，127.8 KB，用时 0.1 秒");
    // The resolution as the file records it, to three decimals at most.
    const std::pair<float, const char*> resolutions[] = {
        {720.0001f, "720"}, {677.33331f, "677.333"}, {609.6f, "609.6"}, {1440, "1440"}};
    for (const auto& [ppi, text] : resolutions) {
        EXPECT_EQ(summaryLines({"/a.tif", 1, 1, ppi, 0, 0})[1],
                  std::string("1 × 1 像素，") + text + " 像素/英寸，0 字节，用时 不到 0.1 秒");
    }
}

} // namespace
} // namespace tovrel
