// The rows a gauge step changes: the pieces of its arcs near the ends that moved, and its marker.
#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "render/slider_geometry.h"

namespace kivo {

namespace {

constexpr double pi = std::numbers::pi;
// Beyond this the angles are too coarse to tell a piece from the next: the whole square.
constexpr double finest = 1 << 20;

// The piece of an arc that holds its end, as angles; none when the arc is not drawn.
struct LastPiece {
    double from = 0, to = 0;
    bool drawn = false;

    LastPiece(double start, double end, bool shown)
    {
        if (!shown || !std::isfinite(start) || !std::isfinite(end))
            return;
        SliderGeometry::pieces(start, end, [&](double a, double b) {
            from = a;
            to = b;
        });
        drawn = true;
    }
    bool operator==(const LastPiece& o) const
    {
        return drawn == o.drawn &&
               std::bit_cast<std::uint64_t>(from) == std::bit_cast<std::uint64_t>(o.from) &&
               std::bit_cast<std::uint64_t>(to) == std::bit_cast<std::uint64_t>(o.to);
    }
};

// The rows of bounds around a stroke from angle a to b (see SliderGeometry::rows), added.
void add_rows(const SliderGeometry& g, int radius, int half, double a, double b,
    const SDL_Rect& bounds, Damage& damage)
{
    const auto [from, to] = g.rows(radius, half, a, b);
    const double top = std::max(from, double(bounds.y));
    const double bottom = std::min(to, double(bounds.y) + bounds.h);
    if (top < bottom)
        damage.add({bounds.x, int(top), bounds.w, int(bottom - top)});
}

// The rows an arc from start changes when its end moves from was to now.
void add_arc_rows(const SliderGeometry& g, int radius, int half, double start, LastPiece was,
    LastPiece now, const SDL_Rect& bounds, Damage& damage)
{
    if (was == now)
        return;
    if (was.drawn && now.drawn) {
        add_rows(g, radius, half, std::min(was.from, now.from), std::max(was.to, now.to), bounds,
            damage);
        return;
    }
    for (const LastPiece& arc : {was, now})
        if (arc.drawn)
            add_rows(g, radius, half, start, arc.to, bounds, damage);
}

} // namespace

std::pair<double, double> SliderGeometry::rows(int radius, int half, double a, double b) const
{
    double low = -1, high = 1;
    if (b - a < 2 * pi && std::abs(a) < finest && std::abs(b) < finest) {
        // Between its ends the arc reaches the circle's top (3 pi / 2) or bottom (pi / 2).
        const auto passes = [&](double at) {
            return std::ceil((a - at) / (2 * pi)) * 2 * pi + at <= b;
        };
        low = passes(3 * pi / 2) ? -1 : std::min(std::sin(a), std::sin(b));
        high = passes(pi / 2) ? 1 : std::max(std::sin(a), std::sin(b));
    }
    const double y = static_cast<double>(cy), margin = half + 2;
    const double one = radius * low, other = radius * high;
    return {std::floor(y + std::min(one, other) - margin),
        std::ceil(y + std::max(one, other) + margin + 1)};
}

void SliderGeometry::add_changed_rows(const Config& config, const ShownSlider& was,
    const ShownSlider& now, const SDL_Rect& bounds, Damage& damage) const
{
    const double start = config.slider_start_angle;
    if (radius + band_at <= 0 || !(std::abs(start) < finest)) {
        damage.add(bounds);
        return;
    }
    const auto arc = [&](std::uint32_t bits, bool band) {
        const float v = std::bit_cast<float>(bits);
        return LastPiece(start, angle(config, v), !band || v >= 0);
    };
    add_arc_rows(*this, radius + value_at, value_width / 2, start, arc(was.value, false),
        arc(now.value, false), bounds, damage);
    add_arc_rows(*this, radius + band_at, band_width / 2, start, arc(was.band, true),
        arc(now.band, true), bounds, damage);
    if (was.marker == now.marker)
        return;
    for (const ShownSlider* s : {&was, &now}) {
        const double m = angle(config, std::bit_cast<float>(s->marker));
        if (std::isfinite(m))
            add_rows(*this, radius + value_at, value_width / 2, m, m, bounds, damage);
    }
}

} // namespace kivo
