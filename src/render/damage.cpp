#include "kivo/damage.h"

#include <algorithm>
#include <cstdint>

namespace kivo {

void Damage::add(const SDL_Rect& rect)
{
    if (all_ || rect.w <= 0 || rect.h <= 0)
        return;
    // What drawing a rectangle of its own costs beyond its pixels, as pixels: the elements it
    // meets are each drawn again.
    constexpr std::int64_t apart_cost = 64 * 64;
    const auto area = [](const SDL_Rect& r) { return std::int64_t{r.w} * r.h; };
    const auto box_of = [](SDL_Rect a, const SDL_Rect& b) { return SDL_UnionRect(&a, &b, &a), a; };
    // The parts of rect still to place, each a rectangle of area; a few rounds of cutting at most,
    // then the rest joins what it meets.
    SDL_Rect pending[4 * max_rects];
    std::size_t n = 0;
    pending[n++] = rect;
    for (int rounds = 0; n > 0; ++rounds) {
        const SDL_Rect r = pending[--n];
        std::size_t i = 0;
        while (i < count_ && !SDL_HasIntersection(&rects_[i], &r))
            ++i;
        if (i == count_ && count_ < max_rects) {
            rects_[count_++] = r;
            continue;
        }
        if (i < count_ && area(box_of(rects_[i], r)) > area(rects_[i]) + area(r) + apart_cost &&
            rounds < int(4 * max_rects) && n + 4 <= std::size(pending)) {
            // Cheaper apart: the rows of r above and below rects_[i], and beside it in its rows.
            SDL_Rect both;
            SDL_IntersectRect(&rects_[i], &r, &both);
            const SDL_Rect parts[4] = {{r.x, r.y, r.w, both.y - r.y},
                {r.x, both.y + both.h, r.w, r.y + r.h - both.y - both.h},
                {r.x, both.y, both.x - r.x, both.h},
                {both.x + both.w, both.y, r.x + r.w - both.x - both.w, both.h}};
            for (const SDL_Rect& p : parts)
                if (p.w > 0 && p.h > 0)
                    pending[n++] = p;
            continue;
        }
        // r joins rects_[i], or when it meets none and there is no room, the one whose box grows
        // least for it; the box is placed in turn.
        const auto growth = [&](const SDL_Rect& e) { return area(box_of(e, r)) - area(e); };
        if (i == count_)
            i = std::min_element(rects_.begin(), rects_.begin() + count_,
                    [&](const SDL_Rect& a, const SDL_Rect& b) { return growth(a) < growth(b); }) -
                rects_.begin();
        pending[n++] = box_of(rects_[i], r);
        rects_[i] = rects_[--count_];
    }
}

void Damage::add(const Damage& other)
{
    if (other.all_)
        add_all();
    for (const SDL_Rect& r : other)
        add(r);
}

} // namespace kivo
