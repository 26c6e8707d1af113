#include "render/arc_stroke.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "render/blit.h"

namespace kivo {

namespace {

constexpr double pi = std::numbers::pi, turn = 2 * pi;
// Beyond this the angles are too coarse to tell where an arc turns: its whole circle.
constexpr double finest = 1 << 20;
// Far enough outside any surface, and small enough that a rectangle's width fits in an int.
constexpr double far = 1 << 29;

int to_pixel(double v)
{
    return static_cast<int>(std::clamp(v, -far, far));
}

// color over pixel, a / 255 of the way, rounded as Cairo's span filling does.
std::uint32_t lerp(std::uint32_t pixel, std::uint32_t color, std::uint32_t a)
{
    const auto mix = [&](std::uint32_t s, std::uint32_t d) {
        std::uint32_t t = s * a + d * (255 - a) + 0x00800080;
        return ((t + ((t >> 8) & 0x00ff00ff)) >> 8) & 0x00ff00ff;
    };
    return mix(color & 0x00ff00ff, pixel & 0x00ff00ff) |
           mix((color >> 8) & 0x00ff00ff, (pixel >> 8) & 0x00ff00ff) << 8;
}

} // namespace

ArcStroke::ArcStroke(double cx, double cy, double radius, double half, double from, double to)
    : cx_(cx), cy_(cy), radius_(std::max(0.0, radius)), half_(half)
{
    if (!std::isfinite(from) || !std::isfinite(to))
        return;
    if (to < from) {
        to = std::fmod(to - from, turn);
        to = from + (to < 0 ? to + turn : to);
    }
    from_ = from;
    to_ = to;
    ring_ = !(to_ - from_ < turn);
    end_ = ring_ ? from_ + turn : to_;
    drawn_ = true;
}

SDL_Rect ArcStroke::box_of(double a, double b) const
{
    double x0 = -1, x1 = 1, y0 = -1, y1 = 1;
    if (b - a < turn && std::abs(a) < finest && std::abs(b) < finest) {
        // Whether the arc passes the angle `at` (or a whole number of turns from it).
        const auto passes = [&](double at) { return std::ceil((a - at) / turn) * turn + at <= b; };
        x0 = passes(pi) ? -1 : std::min(std::cos(a), std::cos(b));
        x1 = passes(0) ? 1 : std::max(std::cos(a), std::cos(b));
        y0 = passes(3 * pi / 2) ? -1 : std::min(std::sin(a), std::sin(b));
        y1 = passes(pi / 2) ? 1 : std::max(std::sin(a), std::sin(b));
    }
    // Half a pixel of antialiasing, and a little for the rounding of the sines above.
    const double reach = half_ + 0.5 + 1.0 / 16;
    const int left = to_pixel(std::floor(cx_ + radius_ * x0 - reach));
    const int top = to_pixel(std::floor(cy_ + radius_ * y0 - reach));
    const int right = to_pixel(std::ceil(cx_ + radius_ * x1 + reach));
    const int bottom = to_pixel(std::ceil(cy_ + radius_ * y1 + reach));
    return {left, top, right - left, bottom - top};
}

SDL_Rect ArcStroke::box() const
{
    return drawn_ ? box_of(from_, end_) : SDL_Rect{};
}

SDL_Rect ArcStroke::changed(const ArcStroke& other) const
{
    if (end_ == other.end_ || radius_ == 0) // a dot is the same whatever its ends
        return {};
    return box_of(std::min(end_, other.end_), std::max(end_, other.end_));
}

template <bool every_pixel>
void ArcStroke::fill(SDL_Surface* target, const SDL_Rect& clip, const Color& color) const
{
    SDL_Rect r;
    const SDL_Rect reach = box(), surface{0, 0, target->w, target->h};
    if (!drawn_ || color.a == 0 || !SDL_IntersectRect(&reach, &clip, &r) ||
        !SDL_IntersectRect(&r, &surface, &r))
        return;
    const double ux0 = std::cos(from_), uy0 = std::sin(from_);
    const double ux1 = std::cos(to_), uy1 = std::sin(to_);
    const double ex0 = radius_ * ux0, ey0 = radius_ * uy0, ex1 = radius_ * ux1, ey1 = radius_ * uy1;
    const bool wide = to_ - from_ > pi;
    const double edge = half_ + 0.5, outer = radius_ + edge, inner = std::max(0.0, radius_ - edge);
    // Squared distances from the centre between which a pixel along the arc is covered whole.
    const double whole = std::max(0.0, half_ - 0.5), whole_in = std::max(0.0, radius_ - whole);
    const double whole_out = (radius_ + whole) * (radius_ + whole);
    const std::uint32_t pixel =
        0xff000000u | std::uint32_t{color.r} << 16 | std::uint32_t{color.g} << 8 | color.b;
    const int x0 = r.x, x1 = r.x + r.w;
    // The least and most a pixel of the clipped columns lies from the centre across, squared: a
    // row whose pixels there all lie beyond the outer circle or within the inner one draws nothing.
    const double left = r.x + 0.5 - cx_, right = r.x + r.w - 0.5 - cx_;
    const double near = left <= 0 && right >= 0 ? 0 : std::min(left * left, right * right);
    const double far_across = std::max(left * left, right * right);

    for (int y = r.y; y < r.y + r.h; ++y) {
        const double dy = y + 0.5 - cy_, dy2 = dy * dy;
        if (dy2 >= outer * outer ||
            (!every_pixel && (dy2 + near >= outer * outer || dy2 + far_across < inner * inner)))
            continue;
        auto* row = reinterpret_cast<std::uint32_t*>(pixel_at(target, 0, y));
        // Terms of the row, the same whichever pixels of it are drawn.
        const double turned0 = ux0 * dy, turned1 = ux1 * dy, ends0 = (dy - ey0) * (dy - ey0),
                     ends1 = (dy - ey1) * (dy - ey1);
        // A pixel's coverage from its centre's distance to the arc: along it (the pixel lies
        // within the angles it spans) from the circle, elsewhere from the nearer end.
        const auto coverage = [&](double dx) {
            const double a0 = turned0 - uy0 * dx, a1 = dx * uy1 - turned1;
            const double d2 = dx * dx + dy2;
            if (ring_ || (wide ? !(a1 < 0 && a0 < 0) : a0 >= 0 && a1 >= 0))
                return d2 >= whole_in * whole_in && d2 <= whole_out
                           ? 1.0
                           : edge - std::abs(std::sqrt(d2) - radius_);
            const double ends =
                std::min((dx - ex0) * (dx - ex0) + ends0, (dx - ex1) * (dx - ex1) + ends1);
            // Measured only when nearer than the edge to an end.
            return !every_pixel && ends >= edge * edge ? 0.0 : edge - std::sqrt(ends);
        };
        const auto span = [&](int first, int last) {
            // Copies in registers: every pixel written may alias what the lambda refers to, which
            // would otherwise be read again after each write.
            std::uint32_t* const out = row;
            const std::uint32_t solid = pixel, alpha = color.a;
            for (int x = std::max(first, x0), end = std::min(last, x1); x < end; ++x) {
                const double c = coverage(x + 0.5 - cx_);
                if (c >= 1)
                    out[x] = alpha == 255 ? solid : lerp(out[x], solid, alpha);
                else if (c > 0)
                    out[x] = lerp(out[x], solid, static_cast<std::uint32_t>(c * alpha + 0.5));
            }
        };
        // The pixels whose centres lie within the outer circle and outside the inner one, in two
        // runs that do not overlap.
        const double out = std::sqrt(outer * outer - dy2);
        const double in = dy2 < inner * inner ? std::sqrt(inner * inner - dy2) : 0;
        const int middle = to_pixel(std::floor(cx_ - in - 0.5)) + 1;
        span(to_pixel(std::ceil(cx_ - out - 0.5)), middle);
        span(std::max(middle, to_pixel(std::ceil(cx_ + in - 0.5))),
            to_pixel(std::ceil(cx_ + out - 0.5)));
    }
}

template void ArcStroke::fill<false>(SDL_Surface*, const SDL_Rect&, const Color&) const;
template void ArcStroke::fill<true>(SDL_Surface*, const SDL_Rect&, const Color&) const;

} // namespace kivo
