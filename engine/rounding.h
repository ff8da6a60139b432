#pragma once
// Fractions become whole numbers by rounding to the nearest, ties to the even
// neighbour (2.5 -> 2, 3.5 -> 4), everywhere unless truncation is wanted.

#include <cmath>

namespace pw::engine {

inline double round_half_even(double value)
{
    // std::nearbyint follows the current rounding mode, which is to-nearest-even
    // unless someone changed it; do not rely on that.
    const double floor_value = std::floor(value);
    const double diff = value - floor_value;
    if (diff < 0.5) return floor_value;
    if (diff > 0.5) return floor_value + 1.0;
    return std::fmod(floor_value, 2.0) == 0.0 ? floor_value : floor_value + 1.0;
}

}  // namespace pw::engine
