// The list of what a frame shows, element by element in stacking order, with the rectangle of
// the surface each may touch.
#include <cstdlib>

#include "kivo/renderer.h"
#include "render/button_order.h"
#include "render/coords.h"
#include "render/label_geometry.h"
#include "render/slider_geometry.h"
#include "render/tracker.h"

namespace kivo {

namespace {

SDL_Rect on_surface(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h, int W, int H)
{
    const std::int64_t x0 = std::max<std::int64_t>(x, 0), y0 = std::max<std::int64_t>(y, 0);
    const std::int64_t x1 = std::min<std::int64_t>(x + w, W), y1 = std::min<std::int64_t>(y + h, H);
    if (x1 <= x0 || y1 <= y0)
        return {};
    return {int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
}

} // namespace

Item& Tracker::add_item()
{
    if (next_count == next.size())
        next.emplace_back();
    Item& item = next[next_count++];
    item.whole = item.background = false;
    item.image = nullptr;
    item.x = item.y = 0;
    item.label = nullptr;
    return item;
}

// A QR or slider label, drawn by its own drawer: what it shows is copied for the next frame.
Item& Tracker::add_drawn_label(int kind, const Label& label, int offset)
{
    Item& item = add_item();
    item.kind = Item::Kind(kind);
    item.whole = true;
    item.label = &label;
    item.offset = offset;
    item.left = std::int64_t{label.x} + offset;
    item.seen.y = label.y;
    item.seen.width = label.width;
    item.seen.height = label.height;
    item.seen.color = label.color;
    return item;
}

void Tracker::add_blit(const SDL_Surface* image, BlitPlan* plan, int x, int y, bool background)
{
    if (!image)
        return;
    Item& item = add_item();
    item.kind = Item::Kind::Blit;
    item.background = background;
    item.image = image;
    item.plan = plan;
    item.x = x;
    item.y = y;
    item.bounds = on_surface(x, y, image->w, image->h, r_.target_->w, r_.target_->h);
}

// The background, or the icon, of a screen: looked up and advanced as their drawers do.
void Tracker::add_screen_images(const ScreenDef& screen, int offset, bool icon)
{
    if (!icon) {
        if (!screen.background)
            return;
        Animation& image =
            r_.get_image("background", *screen.background, r_.target_->w, r_.target_->h);
        if (image.empty())
            return;
        image.advance(r_.delta_ms_);
        add_blit(image.frame(), image.plan(), offset, 0, true);
        return;
    }
    if (!screen.icon)
        return;
    Animation& image = r_.get_image("icon", *screen.icon, 0, 0);
    const SDL_Surface* frame = image.frame();
    if (!frame)
        return;
    const int x = coords::centred(offset, r_.target_->w, frame->w, 0);
    const int y = coords::saturate(std::int64_t{r_.config_.icon_center_y} - frame->h / 2);
    image.advance(r_.delta_ms_);
    add_blit(image.frame(), image.plan(), x, y);
}

// The buttons, from the bottom up, and the carousel's dots, drawn only whole.
void Tracker::add_controls(int buttons)
{
    for (auto it = std::rbegin(button_order); it != std::rend(button_order); ++it)
        if (buttons & int(*it)) {
            const auto [image, rect] = r_.image_rect(*it);
            add_blit(image.get(), image.plan(), rect.x, rect.y);
        }
    if (const auto& pos = r_.current_screen_.carousel; pos && pos->count > 0) {
        Item& item = add_item();
        item.kind = Item::Kind::Carousel;
        item.carousel = *pos;
        const Surface& full = r_.asset(Asset::CarouselFullDot);
        const Surface& empty = r_.asset(Asset::CarouselEmptyDot);
        const std::int64_t spacing = r_.config_.carousel_spacing;
        const std::int64_t span = spacing * (pos->count - 1);
        const std::int64_t x0 = (r_.target_->w - span) / 2;
        item.bounds = on_surface(x0 + std::min<std::int64_t>(span, 0), r_.config_.carousel_y,
            std::abs(span) + std::max(full->w, empty->w), std::max(full->h, empty->h),
            r_.target_->w, r_.target_->h);
    }
}

void Tracker::add_labels(const ScreenDef& screen, int offset, std::size_t& text)
{
    const int W = r_.target_->w, H = r_.target_->h;
    for (const Label& label : screen.labels) {
        switch (label.kind) {
        case LabelKind::Text: {
            // The style's image is an element of its own: a new text leaves it as it was.
            if (const auto background = label_background(label.style)) {
                const Surface& image = r_.asset(*background);
                const SDL_Point at =
                    style_image_corner(label, offset, r_.config_.label_offset_y, *image.get());
                add_blit(image.get(), image.plan(), at.x, at.y);
            }
            const TextSlot& slot = text_slots[text];
            Item& item = add_item();
            item.kind = Item::Kind::Text;
            item.whole = true;
            item.label = &label;
            item.slot = text++;
            item.version = slot.version;
            const TextCorner corner(label, offset);
            item.seen.y = label.y;
            item.seen.color = label.color;
            item.left = corner.left;
            item.shown = corner.shown;
            item.bounds = corner.shown ? on_surface(corner.left + slot.ink.x,
                                             corner.top + slot.ink.y, slot.ink.w, slot.ink.h, W, H)
                                       : SDL_Rect{};
            break;
        }
        case LabelKind::Icon: {
            Animation& image = r_.get_image("icon", label.text, 0, 0);
            const SDL_Surface* frame = image.frame();
            if (!frame)
                break;
            const SDL_Point at = icon_corner(label, offset, *frame);
            image.advance(r_.delta_ms_);
            add_blit(image.frame(), image.plan(), at.x, at.y);
            break;
        }
        case LabelKind::Qr: {
            Item& item = add_drawn_label(int(Item::Kind::Qr), label, offset);
            item.left = coords::saturate(item.left);
            item.seen.text = label.text;
            item.bounds = label.width > 0 && label.height > 0
                              ? on_surface(item.left, label.y, label.width, label.height, W, H)
                              : SDL_Rect{};
            break;
        }
        case LabelKind::Slider: {
            Item& item = add_drawn_label(int(Item::Kind::Slider), label, offset);
            item.whole = false; // strokes clipped, over the part of its backdrop in the region
            item.seen.value = label.value;
            item.seen.band_value = label.band_value;
            item.seen.marker_value = label.marker_value;
            const SliderGeometry gauge(label, offset);
            item.bounds = on_surface(gauge.left(), gauge.top(), gauge.side(), gauge.side(), W, H);
            break;
        }
        } // a kind of no case here is never drawn
    }
}

// Whether the copied backgrounds at the bottom of the new frame cover the whole surface.
bool Tracker::covered() const
{
    std::int64_t from = 0; // columns [0, from) are covered
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t i = 0; i < next_count && next[i].background; ++i) {
            const Item& item = next[i];
            if (!Surface::copies(item.image) || item.y > 0 ||
                std::int64_t{item.y} + item.image->h < r_.target_->h)
                continue;
            if (item.x <= from && std::int64_t{item.x} + item.image->w > from)
                from = std::int64_t{item.x} + item.image->w;
        }
    return from >= r_.target_->w;
}

} // namespace kivo
