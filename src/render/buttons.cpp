#include "kivo/renderer.h"

#include <algorithm>
#include <stdexcept>

#include "render/button_order.h"
#include "render/coords.h"

namespace kivo {

namespace {

enum class Corner { TopLeft, TopRight, BottomLeft, BottomRight, LeftMiddle, RightMiddle };

// The image for flavours 0, 1 and 2.
using Choice = std::array<Asset, 3>;

Asset by_flavour(const Choice& choice, std::uint8_t flavour)
{
    if (flavour >= choice.size())
        throw std::invalid_argument("flavour");
    return choice[flavour];
}

bool contains(const SDL_Rect& r, int x, int y)
{
    return r.x <= x && std::int64_t{x} < std::int64_t{r.x} + r.w && r.y <= y &&
           std::int64_t{y} < std::int64_t{r.y} + r.h;
}

std::int64_t floor_div(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::int64_t ceil_div(std::int64_t a, std::int64_t b)
{
    return -floor_div(-a, b);
}

} // namespace

std::pair<const Surface&, SDL_Rect> Renderer::image_rect(ButtonFlag flag) const
{
    const std::uint8_t f = config_.flavour;
    Asset asset;
    Corner corner;
    switch (flag) {
    case ButtonFlag::Ok:
        asset = by_flavour({Asset::ButtonOk, Asset::ButtonOkV2, Asset::ButtonOkV2}, f);
        corner = Corner::BottomRight;
        break;
    case ButtonFlag::Back:
    case ButtonFlag::BackAlt:
        asset = by_flavour({Asset::ButtonBack, Asset::ButtonBackV2, Asset::ButtonBackTavi}, f);
        corner = Corner::BottomLeft;
        break;
    case ButtonFlag::Menu:
        asset = by_flavour({Asset::ButtonMenu, Asset::ButtonMenu, Asset::ButtonLocaleTavi}, f);
        corner = f == 2 ? Corner::BottomRight : Corner::TopRight;
        break;
    case ButtonFlag::Close:
        asset = Asset::ButtonClose;
        corner = Corner::TopRight;
        break;
    case ButtonFlag::Help:
        asset = Asset::ButtonHelp;
        corner = Corner::TopRight;
        break;
    case ButtonFlag::Fast:
        asset = Asset::ButtonFast;
        corner = Corner::TopRight;
        break;
    case ButtonFlag::Smart:
        asset = Asset::ButtonSmart;
        corner = Corner::TopRight;
        break;
    case ButtonFlag::Left:
        asset = by_flavour({Asset::CarouselLeft, Asset::CarouselLeft, Asset::CarouselLeftTavi}, f);
        corner = Corner::LeftMiddle;
        break;
    case ButtonFlag::Right:
        asset =
            by_flavour({Asset::CarouselRight, Asset::CarouselRight, Asset::CarouselRightTavi}, f);
        corner = Corner::RightMiddle;
        break;
    case ButtonFlag::Frame:
        asset = Asset::ButtonFrame;
        corner = Corner::TopLeft;
        break;
    default:
        throw std::invalid_argument("button");
    }

    const Surface& image = this->asset(asset);
    const int W = target_->w, H = target_->h, w = image->w, h = image->h;
    SDL_Rect rect{0, 0, w, h};
    switch (corner) {
    case Corner::TopLeft:
        break;
    case Corner::TopRight:
        rect.x = W - w;
        break;
    case Corner::BottomLeft:
        rect.y = H - h;
        break;
    case Corner::BottomRight:
        rect.x = W - w;
        rect.y = H - h;
        break;
    case Corner::LeftMiddle:
        rect.y = (H - h) / 2;
        break;
    case Corner::RightMiddle:
        rect.x = W - w;
        rect.y = (H - h) / 2;
        break;
    }
    return {image, rect};
}

void Renderer::draw_buttons(int mask) const
{
    for (auto it = std::rbegin(button_order); it != std::rend(button_order); ++it) {
        if (!(mask & static_cast<int>(*it)))
            continue;
        const auto [image, rect] = image_rect(*it);
        draw_at(image, rect.x, rect.y);
    }
}

// Only the dots that can touch the clip rectangle are visited, so a count in the millions costs
// nothing beyond them (all of them when carousel_spacing is 0).
void Renderer::draw_carousel(const CarouselPos& pos) const
{
    if (pos.count <= 0)
        return;
    const Surface& full = asset(Asset::CarouselFullDot);
    const Surface& empty = asset(Asset::CarouselEmptyDot);
    const std::int64_t spacing = config_.carousel_spacing;
    const std::int64_t x0 = (target_->w - spacing * (pos.count - 1)) / 2;

    // Dot i has its left edge at x0 + i * spacing and is visible when that lies strictly
    // between left - widest and right.
    std::int64_t first = 0, end = pos.count;
    if (spacing != 0) {
        const SDL_Rect& clip = target_->clip_rect;
        const std::int64_t widest = std::max(full->w, empty->w);
        const std::int64_t low = std::int64_t{clip.x} - widest - x0;
        const std::int64_t high = std::int64_t{clip.x} + clip.w - x0;
        if (spacing > 0) {
            first = std::max(first, floor_div(low, spacing) + 1);
            end = std::min(end, ceil_div(high, spacing));
        } else {
            first = std::max(first, floor_div(high, spacing) + 1);
            end = std::min(end, ceil_div(low, spacing));
        }
    }
    // With spacing 0 all dots land on one place, and one image blitted over itself settles within
    // 255 blits (SDL's blend moves each channel towards the source by at least one step, or not at
    // all): each run of empty dots is cut to its last 256 blits, which changes no pixel.
    constexpr std::int64_t settled = 256;
    for (std::int64_t i = first; i < end; ++i) {
        if (spacing == 0 && i != pos.current) {
            const std::int64_t run_end =
                pos.current > i ? std::min<std::int64_t>(pos.current, end) : end;
            i = std::max(i, run_end - settled);
        }
        draw_at(i == pos.current ? full : empty, coords::saturate(x0 + i * spacing),
            config_.carousel_y);
    }
}

std::optional<ButtonFlag> Renderer::button_at(int x, int y) const
{
    for (ButtonFlag flag : button_order) {
        if (!(current_screen_.buttons & static_cast<int>(flag)))
            continue;
        if (contains(image_rect(flag).second, x, y))
            return flag;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> Renderer::label_at(int x, int y) const
{
    const std::int64_t y1 = std::int64_t{y} - config_.label_offset_y;
    for (auto it = current_screen_.labels.rbegin(); it != current_screen_.labels.rend(); ++it) {
        if (it->x <= x && x < std::int64_t{it->x} + it->width && it->y <= y1 &&
            y1 < std::int64_t{it->y} + it->height)
            return it->id;
    }
    return std::nullopt;
}

} // namespace kivo
