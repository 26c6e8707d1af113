// The list of what a frame shows, element by element in stacking order, with the rectangle of
// the surface each may touch.
#include "render/controls.h"
#include "render/tracker.h"

namespace kivo {

void Tracker::add_image(const SDL_Surface* image, BlitPlan* plan, int x, int y, bool background)
{
    if (image)
        add(ShownImage{image, plan, x, y, background}, x, y, image->w, image->h);
}

// An animation advanced as its drawer advances it.
void Tracker::add_animation(Animation& image, int x, int y, bool background)
{
    image.advance(c_->delta_ms);
    add_image(image.frame(), image.plan(), x, y, background);
}

void Tracker::background(const std::string& ref, int offset)
{
    Animation& image = c_->renderer.get_image("background", ref, c_->target->w, c_->target->h);
    if (!image.empty())
        add_animation(image, offset, 0, true);
}

void Tracker::icon(const std::string& ref, int offset)
{
    Animation& image = c_->renderer.get_image("icon", ref, 0, 0);
    if (const SDL_Surface* frame = image.frame())
        add_animation(image, coords::centred(offset, c_->target->w, frame->w, 0),
            coords::saturate(std::int64_t{c_->config.icon_center_y} - frame->h / 2));
}

// The buttons, from the bottom up.
void Tracker::buttons(int mask)
{
    for (auto it = std::rbegin(button_order); it != std::rend(button_order); ++it)
        if (mask & int(*it)) {
            const auto [image, rect] = c_->renderer.image_rect(*it);
            add_image(image.get(), image.plan(), rect.x, rect.y);
            next_.back().fixed = true;
        }
}

// The carousel's dots, drawn only whole.
void Tracker::carousel(const CarouselPos& pos)
{
    if (pos.count <= 0)
        return;
    const SDL_Rect r = carousel_bounds(c_->renderer, c_->target->w, c_->target->h, pos);
    add(ShownCarousel{pos.current, pos.count}, r.x, r.y, r.w, r.h);
    next_.back().fixed = true;
}

// Whether the copied backgrounds at the bottom of the new frame cover the whole surface.
bool Tracker::covered() const
{
    std::int64_t from = 0; // columns [0, from) are covered
    for (int pass = 0; pass < 2; ++pass)
        for (const Element& element : next_) {
            const ShownImage* shown = element.as<ShownImage>();
            if (!shown || !shown->background)
                break;
            const SDL_Surface* image = shown->image;
            if (!Surface::copies(image) || shown->y > 0 ||
                std::int64_t{shown->y} + image->h < c_->target->h)
                continue;
            if (shown->x <= from && std::int64_t{shown->x} + image->w > from)
                from = std::int64_t{shown->x} + image->w;
        }
    return from >= c_->target->w;
}

} // namespace kivo
