#include "render/slider_backdrop.h"

#include <bit>
#include <cstring>

namespace kivo {

namespace {

// Copies the rows of a w x h rectangle between two 32-bit surfaces' pixels.
void copy_rows(Uint8* to, int to_pitch, const Uint8* from, int from_pitch, int w, int h)
{
    for (int row = 0; row < h; ++row)
        std::memcpy(to + std::ptrdiff_t(row) * to_pitch, from + std::ptrdiff_t(row) * from_pitch,
            std::size_t(w) * 4);
}

Uint8* corner(const SDL_Surface* target, const SDL_Rect& r)
{
    return static_cast<Uint8*>(target->pixels) + std::ptrdiff_t(r.y) * target->pitch +
           std::ptrdiff_t(r.x) * 4;
}

} // namespace

bool SliderBackdrop::holds(
    const Item& slider, std::uint64_t generation, std::span<const Item> below) const
{
    const Label& now = *slider.label;
    if (!valid_ || !SDL_RectEquals(&rect_, &slider.bounds) || generation_ != generation ||
        left_ != slider.left || track_.y != now.y || track_.width != now.width ||
        track_.height != now.height || !(track_.color == now.color) ||
        std::bit_cast<std::uint32_t>(track_.band_value) !=
            std::bit_cast<std::uint32_t>(now.band_value))
        return false;
    std::size_t n = 0;
    for (const Item& item : below) {
        if (!SDL_HasIntersection(&item.bounds, &slider.bounds))
            continue;
        if (n == under_.size() || !under_[n].shows_same(item))
            return false;
        ++n;
    }
    return n == under_.size();
}

void SliderBackdrop::take(const SDL_Surface* target, const Item& slider, std::uint64_t generation,
    std::span<const Item> below)
{
    const SDL_Rect& r = slider.bounds;
    valid_ = false;
    if (!pixels_ || pixels_->w != r.w || pixels_->h != r.h)
        pixels_ = Surface(0, r.w, r.h, 32, working_format);
    if (!pixels_)
        return;
    copy_rows(static_cast<Uint8*>(pixels_->pixels), pixels_->pitch, corner(target, r),
        target->pitch, r.w, r.h);
    valid_ = true;
    rect_ = r;
    left_ = slider.left;
    track_ = *slider.label;
    generation_ = generation;
    under_.clear();
    for (const Item& item : below)
        if (SDL_HasIntersection(&item.bounds, &r))
            under_.push_back(item);
}

void SliderBackdrop::restore(SDL_Surface* target) const
{
    SDL_Rect r;
    if (!SDL_IntersectRect(&rect_, &target->clip_rect, &r))
        return;
    const SDL_Rect within{r.x - rect_.x, r.y - rect_.y, r.w, r.h};
    copy_rows(
        corner(target, r), target->pitch, corner(pixels_.get(), within), pixels_->pitch, r.w, r.h);
}

bool SliderBackdrop::stayed(const Item& slider) const
{
    return SDL_RectEquals(&drawn_rect_, &slider.bounds) && drawn_left_ == slider.left;
}

void SliderBackdrop::drawn(const Item& slider)
{
    drawn_rect_ = slider.bounds;
    drawn_left_ = slider.left;
}

} // namespace kivo
