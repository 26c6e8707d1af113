// Where a slider label draws: the centre and radius of its arcs, and the square every stroke of
// it lies within. The drawer strokes around the one; the fast path redraws the other.
#pragma once

#include <cstdint>

#include "kivo/screen.h"

namespace kivo {

struct SliderGeometry {
    // The centre in 64 bits: the sum of three ints may leave the int range.
    std::int64_t cx, cy;
    int radius;

    SliderGeometry(const Label& label, int offset);

    // The widest stroke is the value arc's and the marker's, 20 pixels at radius R + 18: they
    // reach R + 28 from the centre, the track |R - 9| + 1 and the band |R| + 4 (a negative radius
    // draws a circle of |R| as well). A pixel more for antialiasing, and the square around that
    // circle, as side and top-left corner.
    static constexpr int beyond_radius = 30;
    std::int64_t reach() const;
    std::int64_t left() const { return cx - reach(); }
    std::int64_t top() const { return cy - reach(); }
    std::int64_t side() const { return 2 * reach(); }
};

} // namespace kivo
