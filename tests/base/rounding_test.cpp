// The program's one rounding rule: ties to even, bounded to the integer's range.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "base/rounding.h"

namespace {

using namespace base;

TEST(Rounding, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-6.5), -6);
    EXPECT_EQ(RoundToInt64(1e30L), INT64_MAX);
    EXPECT_EQ(RoundToInt64(-1e30L), INT64_MIN);
    EXPECT_EQ(RoundToInt32(3e9), INT32_MAX);
    EXPECT_EQ(RoundToInt32(std::nan("")), 0);
}

struct Int32Case {
    double value;
    std::int32_t rounded;
};

TEST(Rounding, Int32IsClampedAtBothEndsAndRoundsTiesToEven) {
    const Int32Case cases[] = {
        {0.5, 0},
        {1.5, 2},
        {-2.5, -2},
        {2147483646.5, 2147483646},
        {2147483647.0, INT32_MAX},
        {2147483647.6, INT32_MAX},
        {-2147483648.0, INT32_MIN},
        {-2147483648.6, INT32_MIN},
        {-3e9, INT32_MIN},
        {INFINITY, INT32_MAX},
        {-INFINITY, INT32_MIN},
    };
    for (const Int32Case& c : cases) EXPECT_EQ(RoundToInt32(c.value), c.rounded) << c.value;
}

TEST(Rounding, Int64TakesNaNAsZeroAndKeepsExactValues) {
    EXPECT_EQ(RoundToInt64(std::nanl("")), 0);
    EXPECT_EQ(RoundToInt64(1000000000000000.5L), 1000000000000000);
    EXPECT_EQ(RoundToInt64(-7.5L), -8);
}

}  // namespace
