#pragma once

// The program's one rounding rule, below every subsystem: the per-sample engine counts samples
// with it and the fields round their values with it.
#include <cstdint>

namespace base {

// Rounding to the nearest integer with ties to even, the rule used everywhere in the program.
double RoundHalfEven(double value);
// The same into a 64-bit integer; values beyond the range (and NaN) go to the nearer bound.
std::int64_t RoundToInt64(long double value);
// The same into a 32-bit integer, clamped to its range.
std::int32_t RoundToInt32(double value);

}  // namespace base
