// The sample routine's sine against the C library's, and its rounding.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/sine.h"

namespace {

TEST(Sine, AgreesWithTheLibraryToWithinAFewUnitsOfTheLastPlace) {
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> phase(-20.0, 20.0);
    double worst = 0;
    for (int i = 0; i < 2000000; ++i) {
        const double x = phase(random);
        worst = std::max(worst, std::fabs(engine::Sine(x) - std::sin(x)));
    }
    EXPECT_LT(worst, 4e-16);
    // Exactly at the quarter turns and beyond the reduced range.
    for (double x : {0.0, -0.0, 1e-300, 1.5707963267948966, 3.141592653589793, 6.283185307179586,
                     -6.283185307179586, 99999.0, 1e6, 1e300})
        EXPECT_NEAR(engine::Sine(x), std::sin(x), 1e-15 * std::max(1.0, std::fabs(x) / 1e5)) << x;
    EXPECT_TRUE(std::isnan(engine::Sine(std::nan(""))));
    EXPECT_TRUE(std::isnan(engine::Sine(INFINITY)));
}

TEST(Sine, SamplesRoundAsWithTheLibrary) {
    // Over a second of a 100 Hz tone the 16-bit samples are the same.
    for (int i = 0; i < 44100; ++i) {
        const double x = 2 * M_PI * 100 * i / 44100;
        ASSERT_EQ(std::nearbyint(std::sin(x) * 32767), engine::RoundEven(engine::Sine(x) * 32767))
            << i;
    }
}

TEST(RoundEven, TiesGoToTheEvenNeighbour) {
    const struct {
        double in, out;
    } cases[] = {{0.5, 0},         {1.5, 2},
                 {2.5, 2},         {-0.5, -0.0},
                 {-1.5, -2},       {-2.5, -2},
                 {16422.4, 16422}, {-32764.5, -32764},
                 {32766.5, 32766}, {0.49999999999999994, 0}};
    for (const auto& c : cases) EXPECT_EQ(engine::RoundEven(c.in), c.out) << c.in;
}

}  // namespace
