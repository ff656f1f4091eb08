#include "base/rounding.h"

#include <cmath>
#include <limits>

namespace base {

double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

std::int64_t RoundToInt64(long double value) {
    constexpr long double lo = -9223372036854775808.0L;
    constexpr long double hi = 9223372036854775807.0L;
    if (std::isnan(value)) return 0;
    const long double r = std::nearbyintl(value);
    if (r <= lo) return std::numeric_limits<std::int64_t>::min();
    if (r >= hi) return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(r);
}

std::int32_t RoundToInt32(double value) {
    if (std::isnan(value)) return 0;
    const double r = std::nearbyint(value);
    if (r <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    if (r >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(r);
}

}  // namespace base
