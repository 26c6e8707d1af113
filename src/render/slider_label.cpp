// Slider labels: a circular gauge of Cairo arcs around the centre of the label's rectangle.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include <cairo.h>

#include "kivo/renderer.h"
#include "render/slider_geometry.h"

namespace kivo {

namespace {

constexpr double channel = 1.0 / 255.0;
constexpr double turn = 2 * std::numbers::pi;

// Cairo keeps coordinates in 24.8 fixed point, which wraps beyond 2^23 pixels: an arc that would
// reach 2^22 pixels from the origin (its widest stroke included) is left out rather than drawn
// wrapped around onto the surface. Cairo asserts on angles that are not finite, so an arc with
// such an angle is left out too.
constexpr double reach = 1 << 22;

// The arc as one path of Cairo pieces (see SliderGeometry::pieces).
void arc(cairo_t* cr, double cx, double cy, double radius, double from, double to)
{
    if (!std::isfinite(from) || !std::isfinite(to))
        return;
    const double extent = std::abs(radius) + SliderGeometry::widest_half_stroke;
    if (std::abs(cx) + extent >= reach || std::abs(cy) + extent >= reach)
        return;
    SliderGeometry::pieces(
        from, to, [&](double a, double b) { cairo_arc(cr, cx, cy, radius, a, b); });
}

void set_source(cairo_t* cr, const Color& c)
{
    cairo_set_source_rgba(cr, c.r * channel, c.g * channel, c.b * channel, c.a * channel);
}

// Where and how far the arcs of a slider label go.
struct Gauge {
    double cx, cy;
    int radius;
    double start;
    const Config& config;

    Gauge(const Label& label, int offset, const Config& config)
        : Gauge(SliderGeometry(label, offset), config)
    {
    }
    Gauge(const SliderGeometry& at, const Config& config)
        : cx(static_cast<double>(at.cx)), cy(static_cast<double>(at.cy)), radius(at.radius),
          start(config.slider_start_angle), config(config)
    {
    }

    double angle(float v) const { return SliderGeometry::angle(config, v); }
};

} // namespace

SliderGeometry::SliderGeometry(const Label& label, int offset)
    : cx(std::int64_t{label.x} + label.width / 2 + offset),
      cy(std::int64_t{label.y} + label.height / 2), radius(std::min(label.width, label.height) / 2)
{
}

std::int64_t SliderGeometry::reach() const
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

void Renderer::draw_slider_track(const Label& label, int offset) const
{
    const Gauge g(label, offset, config_);
    cairo_new_path(cairo_);

    cairo_set_line_width(cairo_, SliderGeometry::track_width);
    set_source(cairo_, label.color);
    arc(cairo_, g.cx, g.cy, g.radius + SliderGeometry::track_at, g.start, g.angle(1.0f));
    cairo_stroke(cairo_);

    if (label.band_value >= 0) {
        cairo_set_line_width(cairo_, SliderGeometry::band_width);
        set_source(cairo_, config_.slider_band_color);
        arc(cairo_, g.cx, g.cy, g.radius + SliderGeometry::band_at, g.start,
            g.angle(label.band_value));
        cairo_stroke(cairo_);
    }
}

void Renderer::draw_slider_value(const Label& label, int offset) const
{
    const Gauge g(label, offset, config_);
    // Drawn on its own, after the text drawer left a current point, the arc would begin with a
    // line from there.
    cairo_new_path(cairo_);
    cairo_set_line_width(cairo_, SliderGeometry::value_width);
    set_source(cairo_, config_.slider_value_color);
    arc(cairo_, g.cx, g.cy, g.radius + SliderGeometry::value_at, g.start, g.angle(label.value));
    cairo_stroke(cairo_);

    const double marker = g.angle(label.marker_value);
    set_source(cairo_, config_.slider_marker_color);
    arc(cairo_, g.cx, g.cy, g.radius + SliderGeometry::value_at, marker, marker);
    cairo_stroke(cairo_);

    cairo_close_path(cairo_);
}

} // namespace kivo
