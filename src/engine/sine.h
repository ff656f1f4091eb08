#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>

namespace engine {

// Rounds to the nearest integer, ties to even, for |v| < 2^51: adding and removing 1.5 * 2^52
// leaves no fraction bits, so the hardware's round-to-nearest does the work. Without a
// double-precision evaluation (x87), the library call stands in.
inline double RoundEven(double v) {
#if FLT_EVAL_METHOD == 0
    constexpr double kShift = 6755399441055744.0;
    return (v + kShift) - kShift;
#else
    return std::nearbyint(v);
#endif
}

// sin(x), as the sample routine needs it: the same on every platform, within a few units of
// the last place of the library's sin, and several times faster. The argument is brought to
// [-pi/4, pi/4] by a quarter-turn count (pi/2 split in two parts, exact for |x| <= 1e5), then
// the sine or cosine kernel polynomial applies. Larger arguments go to the library.
inline double Sine(double x) {
    if (!(std::fabs(x) <= 1e5)) return std::sin(x);
    constexpr double kTwoOverPi = 6.36619772367581382433e-01;
    constexpr double kPiOver2Hi = 1.57079632673412561417e+00;  // the first 33 bits of pi/2
    constexpr double kPiOver2Lo = 6.07710050650619224932e-11;  // pi/2 - kPiOver2Hi
    const double n = RoundEven(x * kTwoOverPi);
    const double r = (x - n * kPiOver2Hi) - n * kPiOver2Lo;
    // The kernels' polynomials in z = r^2, evaluated in three independent pairs (Estrin's
    // scheme): shorter dependency chains than Horner's, the same coefficients.
    const double z = r * r, z2 = z * z, z4 = z2 * z2;
    const auto quadrant = static_cast<std::int64_t>(n) & 3;
    double v;
    if ((quadrant & 1) == 0) {
        const double a = -1.66666666666666324348e-01 + z * 8.33333333332248946124e-03;
        const double b = -1.98412698298579493134e-04 + z * 2.75573137070700676789e-06;
        const double c = -2.50507602534068634195e-08 + z * 1.58969099521155010221e-10;
        v = r + r * z * (a + z2 * b + z4 * c);
    } else {
        const double a = 4.16666666666666019037e-02 + z * -1.38888888888741095749e-03;
        const double b = 2.48015872894767294178e-05 + z * -2.75573143513906633035e-07;
        const double c = 2.08757232129817482790e-09 + z * -1.13596475577881948265e-11;
        v = 1.0 - 0.5 * z + z2 * (a + z2 * b + z4 * c);
    }
    return quadrant >= 2 ? -v : v;
}

}  // namespace engine
