#include "render/slider_backdrop.h"

#include "render/blit.h"

namespace kivo {

bool SliderBackdrop::holds(
    const Element& slider, std::uint64_t generation, std::span<const Element> below) const
{
    const ShownSlider& now = *slider.as<ShownSlider>();
    if (!valid_ || !SDL_RectEquals(&rect_, &slider.bounds) || generation_ != generation ||
        !(place_ == now.place) || band_ != now.band)
        return false;
    std::size_t n = 0;
    for (const Element& element : below)
        if (SDL_HasIntersection(&element.bounds, &slider.bounds) &&
            (n == under_.size() || !under_[n++].shows_same(element)))
            return false;
    return n == under_.size();
}

void SliderBackdrop::take(const SDL_Surface* target, const Element& slider,
    std::uint64_t generation, std::span<const Element> below)
{
    const SDL_Rect& r = slider.bounds;
    valid_ = false;
    if (!pixels_ || pixels_->w != r.w || pixels_->h != r.h)
        pixels_ = Surface(0, r.w, r.h, 32, working_format);
    if (!pixels_)
        return;
    copy_rows(static_cast<Uint8*>(pixels_->pixels), pixels_->pitch, pixel_at(target, r.x, r.y),
        target->pitch, r.w * 4, r.h);
    valid_ = true;
    rect_ = r;
    place_ = slider.as<ShownSlider>()->place;
    band_ = slider.as<ShownSlider>()->band;
    generation_ = generation;
    under_.clear();
    for (const Element& element : below)
        if (SDL_HasIntersection(&element.bounds, &r))
            under_.push_back(element);
}

void SliderBackdrop::restore(SDL_Surface* target) const
{
    SDL_Rect r;
    if (!SDL_IntersectRect(&rect_, &target->clip_rect, &r))
        return;
    copy_rows(pixel_at(target, r.x, r.y), target->pitch,
        pixel_at(pixels_.get(), r.x - rect_.x, r.y - rect_.y), pixels_->pitch, r.w * 4, r.h);
}

bool SliderBackdrop::placed(const Element& slider)
{
    const std::int64_t left = slider.as<ShownSlider>()->place.left;
    const bool stayed = SDL_RectEquals(&drawn_rect_, &slider.bounds) && drawn_left_ == left;
    drawn_rect_ = slider.bounds;
    drawn_left_ = left;
    return stayed;
}

} // namespace kivo
