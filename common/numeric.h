// Conversions to integers by truncation toward zero that stay defined for any
// input: a value beyond the target's range saturates and NaN gives 0, where a
// bare cast would be undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace tavolu {

template <class Int>
constexpr Int truncSaturating(double x) noexcept {
    constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<Int>::max());
    if (!(x == x)) return 0;  // NaN
    if (x <= lo) return std::numeric_limits<Int>::min();
    if (x >= hi) return std::numeric_limits<Int>::max();
    return static_cast<Int>(x);  // truncates toward zero
}

constexpr int32_t truncToInt32(double x) noexcept {
    return truncSaturating<int32_t>(x);
}
constexpr int8_t truncToInt8(double x) noexcept {
    return truncSaturating<int8_t>(x);
}

}  // namespace tavolu

namespace tavolu {

// The part of x after the point, with the sign of x: x - trunc(x). Any float
// of 2^23 or more is a whole number, so a value too large to have a fraction,
// or one that is not finite, gives 0.
inline double fractionOf(double x) noexcept {
    constexpr double kWhole = 8388608.0;  // 2^23
    if (!(std::fabs(x) < kWhole)) return 0.0;
    return x - std::trunc(x);
}

}  // namespace tavolu
