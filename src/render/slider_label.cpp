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

// Cairo asserts on angles that are not finite and strokes every turn of an arc, so an arc with
// such an angle is left out and a longer one is cut to this many full turns.
constexpr double max_turns = 16;

// Cairo keeps coordinates in 24.8 fixed point, which wraps beyond 2^23 pixels: an arc that would
// reach 2^22 pixels from the origin (its widest stroke included) is left out rather than drawn
// wrapped around onto the surface.
constexpr double reach = 1 << 22;
constexpr double widest_half_stroke = 10;

void arc(cairo_t* cr, double cx, double cy, double radius, double from, double to)
{
    if (!std::isfinite(from) || !std::isfinite(to))
        return;
    const double extent = std::abs(radius) + widest_half_stroke;
    if (std::abs(cx) + extent >= reach || std::abs(cy) + extent >= reach)
        return;
    cairo_arc(cr, cx, cy, radius, from, std::min(to, from + max_turns * 2 * std::numbers::pi));
}

void set_source(cairo_t* cr, const Color& c)
{
    cairo_set_source_rgba(cr, c.r * channel, c.g * channel, c.b * channel, c.a * channel);
}

// Where and how far the arcs of a slider label go.
struct Gauge {
    double cx, cy;
    int radius;
    float start, sweep;

    Gauge(const Label& label, int offset, const Config& config)
        : Gauge(SliderGeometry(label, offset), config)
    {
    }
    Gauge(const SliderGeometry& at, const Config& config)
        : cx(static_cast<double>(at.cx)), cy(static_cast<double>(at.cy)), radius(at.radius),
          start(config.slider_start_angle), sweep(config.slider_sweep_angle)
    {
    }

    // Single precision on purpose: the product is rounded to a float before the sum.
    double angle(float v) const
    {
        const float turned = sweep * v;
        const float sum = start + turned;
        return static_cast<double>(sum);
    }
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

void Renderer::draw_slider_label(const Label& label, int offset) const
{
    draw_slider_track(label, offset);
    draw_slider_value(label, offset);
}

void Renderer::draw_slider_track(const Label& label, int offset) const
{
    const Gauge g(label, offset, config_);
    cairo_new_path(cairo_);

    cairo_set_line_width(cairo_, 2.0);
    set_source(cairo_, label.color);
    arc(cairo_, g.cx, g.cy, g.radius - 9, g.start, g.angle(1.0f));
    cairo_stroke(cairo_);

    if (label.band_value >= 0) {
        cairo_set_line_width(cairo_, 8.0);
        set_source(cairo_, config_.slider_band_color);
        arc(cairo_, g.cx, g.cy, g.radius, g.start, g.angle(label.band_value));
        cairo_stroke(cairo_);
    }
}

void Renderer::draw_slider_value(const Label& label, int offset) const
{
    const Gauge g(label, offset, config_);
    // Drawn on its own, after the text drawer left a current point, the arc would begin with a
    // line from there.
    cairo_new_path(cairo_);
    cairo_set_line_width(cairo_, 20.0);
    set_source(cairo_, config_.slider_value_color);
    arc(cairo_, g.cx, g.cy, g.radius + 18, g.start, g.angle(label.value));
    cairo_stroke(cairo_);

    const double marker = g.angle(label.marker_value);
    cairo_set_line_width(cairo_, 20.0);
    set_source(cairo_, config_.slider_marker_color);
    arc(cairo_, g.cx, g.cy, g.radius + 18, marker, marker);
    cairo_stroke(cairo_);

    cairo_close_path(cairo_);
}

} // namespace kivo
