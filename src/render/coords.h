// Coordinate arithmetic that cannot overflow: sums are formed in 64 bits and saturated to int.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

#include <SDL2/SDL_rect.h>

namespace kivo::coords {

// Cairo keeps coordinates in 24.8 fixed point, which wraps beyond 2^23 pixels: what would reach
// this far from the origin is left out rather than drawn wrapped around onto the surface.
inline constexpr std::int64_t cairo_limit = std::int64_t{1} << 22;

inline int saturate(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

// a + (extent - size) / 2 + shift, the centring rule of every drawer (division truncates).
inline int centred(int a, int extent, int size, int shift)
{
    return saturate(std::int64_t{a} + (std::int64_t{extent} - size) / 2 + shift);
}

// The part of the rectangle at x, y of w x h within `within`; empty when there is none.
inline SDL_Rect clip(
    std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h, const SDL_Rect& within)
{
    const std::int64_t x0 = std::max<std::int64_t>(x, within.x);
    const std::int64_t y0 = std::max<std::int64_t>(y, within.y);
    const std::int64_t x1 = std::min<std::int64_t>(x + w, std::int64_t{within.x} + within.w);
    const std::int64_t y1 = std::min<std::int64_t>(y + h, std::int64_t{within.y} + within.h);
    if (x1 <= x0 || y1 <= y0)
        return {};
    return {int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
}

// Whether the point x, y lies in the rectangle at rx, ry of w x h.
inline bool inside(std::int64_t x, std::int64_t y, std::int64_t rx, std::int64_t ry, std::int64_t w,
    std::int64_t h)
{
    return rx <= x && x < rx + w && ry <= y && y < ry + h;
}

} // namespace kivo::coords
