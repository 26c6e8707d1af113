// What a gauge step changes: the part of each arc its end swept, and the old and new marker.
#include <bit>
#include <cmath>

#include "render/slider_geometry.h"

namespace kivo {

void SliderGeometry::add_changed(const Config& config, const ShownSlider& was,
    const ShownSlider& now, const SDL_Rect& bounds, Damage& damage) const
{
    const double start = config.slider_start_angle;
    const auto add = [&](const SDL_Rect& r) {
        SDL_Rect within;
        if (SDL_IntersectRect(&r, &bounds, &within))
            damage.add(within);
    };
    const auto arc = [&](int at, int width, std::uint32_t from, std::uint32_t to, bool band) {
        if (from == to)
            return;
        const float a = std::bit_cast<float>(from), b = std::bit_cast<float>(to);
        const ArcStroke old = stroke(at, width, start, band && !(a >= 0) ? NAN : angle(config, a));
        const ArcStroke arc = stroke(at, width, start, band && !(b >= 0) ? NAN : angle(config, b));
        if (old.drawn() && arc.drawn())
            return add(old.changed(arc));
        add(old.box());
        add(arc.box());
    };
    arc(value_at, value_width, was.value, now.value, false);
    arc(band_at, band_width, was.band, now.band, true);
    if (was.marker == now.marker)
        return;
    for (const ShownSlider* s : {&was, &now}) {
        const double m = angle(config, std::bit_cast<float>(s->marker));
        add(stroke(value_at, value_width, m, m).box());
    }
}

} // namespace kivo
