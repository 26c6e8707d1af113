// Where a slider label draws: the centre and radius of its arcs, the width and radius of each
// stroke, and the square every stroke lies within. The drawer strokes from it; the fast path
// redraws from it.
#pragma once

#include <cstdint>

#include <SDL2/SDL_rect.h>

#include "kivo/config.h"
#include "kivo/damage.h"
#include "kivo/screen.h"
#include "render/arc_stroke.h"
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
    // The value arc and marker reach R + 28 from the centre, the track R - 8 and the band R + 4
    // (an arc of radius 0 or less is a dot at the centre), antialiasing half a pixel more; the
    // centre is whole, so a pixel that far out lies outside the square around R + 28 (|R| + 28
    // for a negative R), given as side and top-left corner.
    static constexpr int beyond_radius = value_at + widest_half_stroke;
    std::int64_t half_side() const;
    std::int64_t left() const { return cx - half_side(); }
    std::int64_t top() const { return cy - half_side(); }
    std::int64_t side() const { return 2 * half_side(); }

    // The stroke of this slider's circle at R + at, width wide, from angle `from` to `to`.
    ArcStroke stroke(int at, int width, double from, double to) const;

    // Adds where the slider, in place within bounds on the surface with its track unchanged,
    // draws differently now than it did with was's value, band and marker: around the part of
    // each arc its end swept, and around the old and new marker.
    void add_changed(const Config& config, const ShownSlider& was, const ShownSlider& now,
        const SDL_Rect& bounds, Damage& damage) const;
};

} // namespace kivo
