// Where a slider label draws: the centre and radius of its arcs, the width and radius of each
// stroke, the pieces an arc is built from, and the square every stroke lies within. The drawer
// strokes from it; the fast path redraws from it.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

#include <SDL2/SDL_rect.h>

#include "kivo/config.h"
#include "kivo/damage.h"
#include "kivo/screen.h"
#include "render/elements.h"

namespace kivo {

struct SliderGeometry {
    // The centre in 64 bits: the sum of three ints may leave the int range.
    std::int64_t cx, cy;
    int radius;

    SliderGeometry(const Label& label, int offset);

    // The angle of a value along the configured sweep, in single precision on purpose: the
    // product is rounded to a float before the sum.
    static double angle(const Config& config, float v)
    {
        const float turned = config.slider_sweep_angle * v;
        return static_cast<double>(config.slider_start_angle + turned);
    }

    // The strokes, each at R plus its own distance: the track, the band, and the value arc with
    // its marker (the widest).
    static constexpr int track_width = 2, track_at = -9;
    static constexpr int band_width = 8, band_at = 0;
    static constexpr int value_width = 20, value_at = 18;
    static constexpr int widest_half_stroke = value_width / 2;
    // The value arc and marker reach R + 28 from the centre, the track |R - 9| + 1 and the band
    // |R| + 4 (a negative radius draws a circle of |R| as well). A pixel more for antialiasing and
    // one for the centre's rounding, and the square around that circle, as side and top-left
    // corner.
    static constexpr int beyond_radius = value_at + widest_half_stroke + 2;
    std::int64_t half_side() const;
    std::int64_t left() const { return cx - half_side(); }
    std::int64_t top() const { return cy - half_side(); }
    std::int64_t side() const { return 2 * half_side(); }

    // An arc is stroked as pieces that end at the multiples of this angle lying between its ends,
    // so that moving one end changes only the pieces near it.
    static constexpr double piece = std::numbers::pi / 8;
    // The end angle of an arc from `from` to `to` as Cairo draws it: raised by whole turns above
    // `from` when below it, and cut to max_turns turns.
    static constexpr double max_turns = 16;
    static double arc_end(double from, double to);
    // Calls each(a, b) for the pieces of the arc from `from` to arc_end(from, to), in order; a
    // bounded count of boundaries, should the angles be too large to step through.
    template <class Each> static void pieces(double from, double to, Each each)
    {
        const double end = arc_end(from, to);
        const double first = std::floor(from / piece);
        double at = from;
        for (int i = 1; i <= max_turns * 16 + 1; ++i) {
            const double boundary = (first + i) * piece;
            if (boundary >= end)
                break;
            if (boundary > at) {
                each(at, boundary);
                at = boundary;
            }
        }
        each(at, end);
    }

    // The rows a stroke of half width `half` along the circle of `radius` around the centre may
    // touch from angle a to b (a <= b), with its round ends and antialiasing: from the first
    // (rounded down) to before the second (rounded up).
    std::pair<double, double> rows(int radius, int half, double a, double b) const;

    // Adds where the slider, in place within bounds on the surface with its track unchanged,
    // draws differently now than it did with was's value, band and marker: full-width bands of
    // bounds around the pieces that changed (from the start of the old and new last piece of an
    // arc that moved to its farther end), and around the old and new marker; with their stroke,
    // round ends and antialiasing. Bands as wide as bounds on purpose: a narrower box would cut
    // the strokes' outlines at its sides, and Cairo then rasterises the rows it crosses a little
    // differently (one level on a few edge pixels, seen when tried), no longer the full redraw.
    void add_changed_rows(const Config& config, const ShownSlider& was, const ShownSlider& now,
        const SDL_Rect& bounds, Damage& damage) const;
};

} // namespace kivo
