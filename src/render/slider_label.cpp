// Slider labels: a circular gauge of arcs around the centre of the label's rectangle.
#include <algorithm>
#include <cstdint>

#include "kivo/renderer.h"
#include "render/arc_stroke.h"
#include "render/slider_geometry.h"

namespace kivo {

SliderGeometry::SliderGeometry(const Label& label, int offset)
    : cx(std::int64_t{label.x} + label.width / 2 + offset),
      cy(std::int64_t{label.y} + label.height / 2), radius(std::min(label.width, label.height) / 2)
{
}

std::int64_t SliderGeometry::half_side() const
{
    return std::abs(std::int64_t{radius}) + beyond_radius;
}

ArcStroke SliderGeometry::stroke(int at, int width, double from, double to) const
{
    return ArcStroke(static_cast<double>(cx), static_cast<double>(cy), double(radius) + at,
        width / 2.0, from, to);
}

void Renderer::draw_slider_label(const Label& label, int offset) const
{
    draw_slider_track(label, offset);
    draw_slider_value(label, offset);
}

void Renderer::draw_slider_track(const Label& label, int offset) const
{
    const SliderGeometry g(label, offset);
    g.stroke(SliderGeometry::track_at, SliderGeometry::track_width, config_.slider_start_angle,
         SliderGeometry::angle(config_, 1.0f))
        .fill(target_, target_->clip_rect, label.color);
    if (label.band_value >= 0)
        g.stroke(SliderGeometry::band_at, SliderGeometry::band_width, config_.slider_start_angle,
             SliderGeometry::angle(config_, label.band_value))
            .fill(target_, target_->clip_rect, config_.slider_band_color);
}

void Renderer::draw_slider_value(const Label& label, int offset) const
{
    const SliderGeometry g(label, offset);
    g.stroke(SliderGeometry::value_at, SliderGeometry::value_width, config_.slider_start_angle,
         SliderGeometry::angle(config_, label.value))
        .fill(target_, target_->clip_rect, config_.slider_value_color);
    const double marker = SliderGeometry::angle(config_, label.marker_value);
    g.stroke(SliderGeometry::value_at, SliderGeometry::value_width, marker, marker)
        .fill(target_, target_->clip_rect, config_.slider_marker_color);
}

} // namespace kivo
