// Slider labels: a circular gauge of Cairo arcs around the centre of the label's rectangle.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include <cairo.h>

#include "kivo/renderer.h"
#include "render/coords.h"
#include "render/label_geometry.h"
#include "render/slider_geometry.h"

namespace kivo {

namespace {

constexpr double turn = 2 * std::numbers::pi;

// An arc that would come coords::cairo_limit from the origin (its widest stroke included) is left
// out rather than drawn wrapped around onto the surface. Cairo asserts on angles that are not
// finite, so an arc with such an angle is left out too.
constexpr double limit = coords::cairo_limit;

// Where and how far the arcs of a slider label go.
struct Gauge {
    SliderGeometry at;
    double cx, cy;
    double start;
    const Config& config;

    Gauge(const Label& label, int offset, const Config& config)
        : at(label, offset), cx(static_cast<double>(at.cx)), cy(static_cast<double>(at.cy)),
          start(config.slider_start_angle), config(config)
    {
    }

    double angle(float v) const { return SliderGeometry::angle(config, v); }

    // The arc of a stroke as one path of Cairo pieces (see SliderGeometry::pieces); with rows,
    // only the pieces whose stroke may reach them, each run of them a subpath of its own. Those
    // rows come out the same: where a piece is left out, the round end its neighbour gets in place
    // of their join lies as far from them as the piece.
    void arc(
        cairo_t* cr, int stroke_at, int width, double from, double to, const SDL_Rect* rows) const
    {
        const double radius = at.radius + stroke_at;
        const double extent = std::abs(radius) + SliderGeometry::widest_half_stroke;
        if (!std::isfinite(from) || !std::isfinite(to) || std::abs(cx) + extent >= limit ||
            std::abs(cy) + extent >= limit)
            return;
        // Rows that hold the whole square leave every piece in.
        if (rows && rows->y <= at.top() && std::int64_t{rows->y} + rows->h >= at.top() + at.side())
            rows = nullptr;
        bool joined = true;
        SliderGeometry::pieces(from, to, [&](double a, double b) {
            if (rows && radius > 0) {
                const auto [top, bottom] = at.rows(at.radius + stroke_at, width / 2, a, b);
                if (bottom <= rows->y || top >= std::int64_t{rows->y} + rows->h) {
                    joined = false;
                    return;
                }
            }
            if (!joined)
                cairo_new_sub_path(cr);
            joined = true;
            cairo_arc(cr, cx, cy, radius, a, b);
        });
    }
};

} // namespace

SliderGeometry::SliderGeometry(const Label& label, int offset)
    : cx(std::int64_t{label.x} + label.width / 2 + offset),
      cy(std::int64_t{label.y} + label.height / 2), radius(std::min(label.width, label.height) / 2)
{
}

std::int64_t SliderGeometry::half_side() const
{
    return std::abs(std::int64_t{radius}) + beyond_radius;
}

// As cairo_arc does: an end below the start raised by whole turns, the same arithmetic.
double SliderGeometry::arc_end(double from, double to)
{
    if (to >= from)
        return std::min(to, from + max_turns * turn);
    double sweep = std::fmod(to - from, turn);
    if (sweep < 0)
        sweep += turn;
    return from + sweep;
}

void Renderer::draw_slider_label(const Label& label, int offset) const
{
    draw_slider_track(label, offset);
    draw_slider_value(label, offset);
}

void Renderer::draw_slider_track(const Label& label, int offset, const SDL_Rect* rows) const
{
    const Gauge g(label, offset, config_);
    cairo_new_path(cairo_);

    cairo_set_line_width(cairo_, SliderGeometry::track_width);
    set_source(cairo_, label.color);
    g.arc(cairo_, SliderGeometry::track_at, SliderGeometry::track_width, g.start, g.angle(1.0f),
        rows);
    cairo_stroke(cairo_);

    if (label.band_value >= 0) {
        cairo_set_line_width(cairo_, SliderGeometry::band_width);
        set_source(cairo_, config_.slider_band_color);
        g.arc(cairo_, SliderGeometry::band_at, SliderGeometry::band_width, g.start,
            g.angle(label.band_value), rows);
        cairo_stroke(cairo_);
    }
}

void Renderer::draw_slider_value(const Label& label, int offset, const SDL_Rect* rows) const
{
    const Gauge g(label, offset, config_);
    // Drawn on its own, after the text drawer left a current point, the arc would begin with a
    // line from there.
    cairo_new_path(cairo_);
    cairo_set_line_width(cairo_, SliderGeometry::value_width);
    set_source(cairo_, config_.slider_value_color);
    g.arc(cairo_, SliderGeometry::value_at, SliderGeometry::value_width, g.start,
        g.angle(label.value), rows);
    cairo_stroke(cairo_);

    const double marker = g.angle(label.marker_value);
    set_source(cairo_, config_.slider_marker_color);
    g.arc(cairo_, SliderGeometry::value_at, SliderGeometry::value_width, marker, marker, rows);
    cairo_stroke(cairo_);

    cairo_close_path(cairo_);
}

} // namespace kivo
