// Coordinate arithmetic that cannot overflow: sums are formed in 64 bits and saturated to int.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

namespace kivo::coords {

inline int saturate(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

// a + (extent - size) / 2 + shift, the centring rule of every drawer (division truncates).
inline int centred(int a, int extent, int size, int shift)
{
    return saturate(std::int64_t{a} + (std::int64_t{extent} - size) / 2 + shift);
}

} // namespace kivo::coords
