#include "kivo/damage.h"

namespace kivo {

void Damage::add(const SDL_Rect& rect)
{
    if (all_ || rect.w <= 0 || rect.h <= 0)
        return;
    SDL_Rect r = rect;
    for (bool merged = true; merged;) {
        merged = false;
        for (std::size_t i = 0; i < count_; ++i)
            if (SDL_HasIntersection(&rects_[i], &r)) {
                SDL_UnionRect(&rects_[i], &r, &r);
                rects_[i] = rects_[--count_];
                merged = true;
                break;
            }
    }
    if (count_ == max_rects) {
        for (std::size_t i = 0; i < count_; ++i)
            SDL_UnionRect(&rects_[i], &r, &r);
        count_ = 0;
    }
    rects_[count_++] = r;
}

void Damage::add(const Damage& other)
{
    if (other.all_)
        add_all();
    for (const SDL_Rect& r : other)
        add(r);
}

} // namespace kivo
