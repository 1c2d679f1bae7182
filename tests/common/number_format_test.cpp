#include "common/number_format.h"

#include <gtest/gtest.h>

namespace tovrel {
namespace {

struct SingleCase {
    float value;
    const char* text;
};

TEST(NumberFormat, SingleWritesAtMostSevenDigits) {
    const SingleCase cases[] = {SingleCase{0.3f, "0.3"},
                                SingleCase{0.254f, "0.254"},
                                SingleCase{1.0f, "1"},
                                SingleCase{677.333f, "677.333"},
                                SingleCase{0.0f, "0"},
                                SingleCase{-0.0f, "0"},
                                SingleCase{1.3333334f, "1.333333"},
                                SingleCase{0.5f, "0.5"},
                                SingleCase{300.0f, "300"},
                                SingleCase{1234567.0f, "1234567"},
                                SingleCase{0.1f + 0.2f, "0.3"},
                                SingleCase{-2.5f, "-2.5"},
                                SingleCase{0.0001f, "0.0001"},
                                SingleCase{0.00001f, "1E-05"},
                                SingleCase{0.000123f, "0.000123"},
                                SingleCase{12345678.0f, "1.234568E+07"},
                                SingleCase{0.508f, "0.508"},
                                SingleCase{0.0635f, "0.0635"}};
    for (const auto& c : cases) {
        EXPECT_EQ(formatSingle(c.value), c.text) << c.text;
    }
}

struct DoubleCase {
    double value;
    const char* text;
};

TEST(NumberFormat, DoubleWritesAtMostFifteenDigits) {
    const DoubleCase cases[] = {DoubleCase{22.57, "22.57"},
                                DoubleCase{16.93, "16.93"},
                                DoubleCase{21.1, "21.1"},
                                DoubleCase{20, "20"},
                                DoubleCase{200, "200"},
                                DoubleCase{677.333, "677.333"},
                                DoubleCase{0.1 + 0.2, "0.3"},
                                DoubleCase{1.0 / 3.0, "0.333333333333333"},
                                DoubleCase{123456789012345.0, "123456789012345"},
                                DoubleCase{1e15, "1E+15"},
                                DoubleCase{-15.05, "-15.05"},
                                DoubleCase{0.05, "0.05"},
                                DoubleCase{2257.0 / 100, "22.57"}};
    for (const auto& c : cases) {
        EXPECT_EQ(formatDouble(c.value), c.text) << c.text;
    }
}

} // namespace
} // namespace tovrel
