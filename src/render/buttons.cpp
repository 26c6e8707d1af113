#include "kivo/renderer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <stdexcept>

#include "render/controls.h"
#include "render/coords.h"

namespace kivo {

namespace {

// A button's image for flavours 0, 1 and 2 (the same three for a button of every flavour) and
// its place: at the right edge or the left, and down 0 (top), 1 (middle) or 2 (bottom). Entry i
// is the button of flag bit i.
struct ButtonImage {
    std::array<Asset, 3> image;
    bool right;
    int down;

    constexpr bool flavoured() const { return image[0] != image[1] || image[1] != image[2]; }
};

constexpr ButtonImage button_images[] = {
    {{Asset::ButtonOk, Asset::ButtonOkV2, Asset::ButtonOkV2}, true, 2},                // Ok
    {{Asset::ButtonBack, Asset::ButtonBackV2, Asset::ButtonBackTavi}, false, 2},       // Back
    {{Asset::ButtonBack, Asset::ButtonBackV2, Asset::ButtonBackTavi}, false, 2},       // BackAlt
    {{Asset::ButtonMenu, Asset::ButtonMenu, Asset::ButtonLocaleTavi}, true, 0},        // Menu
    {{Asset::ButtonClose, Asset::ButtonClose, Asset::ButtonClose}, true, 0},           // Close
    {{Asset::ButtonHelp, Asset::ButtonHelp, Asset::ButtonHelp}, true, 0},              // Help
    {{Asset::ButtonFast, Asset::ButtonFast, Asset::ButtonFast}, true, 0},              // Fast
    {{Asset::ButtonSmart, Asset::ButtonSmart, Asset::ButtonSmart}, true, 0},           // Smart
    {{Asset::CarouselLeft, Asset::CarouselLeft, Asset::CarouselLeftTavi}, false, 1},   // Left
    {{Asset::CarouselRight, Asset::CarouselRight, Asset::CarouselRightTavi}, true, 1}, // Right
    {{Asset::ButtonFrame, Asset::ButtonFrame, Asset::ButtonFrame}, false, 0},          // Frame
};
static_assert(int(ButtonFlag::Frame) == 1 << (std::size(button_images) - 1));

// The dots of a carousel of count dots on a surface of width W: dot i has its left edge at
// x0 + i * spacing.
struct Dots {
    const Surface& full;
    const Surface& empty;
    std::int64_t spacing, x0, widest;

    Dots(const Renderer& r, int W, std::int32_t count)
        : full(r.asset(Asset::CarouselFullDot)), empty(r.asset(Asset::CarouselEmptyDot)),
          spacing(r.config().carousel_spacing), x0((W - spacing * (count - 1)) / 2),
          widest(std::max(full->w, empty->w))
    {
    }
};

// a / b rounded down, for b > 0.
std::int64_t floor_div(std::int64_t a, std::int64_t b)
{
    return a / b - (a % b < 0);
}

} // namespace

bool buttons_drawable(std::uint8_t flavour, int mask)
{
    constexpr int flavoured = [] {
        int m = 0;
        for (std::size_t i = 0; i < std::size(button_images); ++i)
            m |= button_images[i].flavoured() << i;
        return m;
    }();
    return flavour <= 2 || !(mask & flavoured);
}

SDL_Rect carousel_bounds(const Renderer& r, int W, int H, const CarouselPos& pos)
{
    const Dots dots(r, W, pos.count);
    const std::int64_t span = dots.spacing * (pos.count - 1);
    return coords::clip(dots.x0 + std::min<std::int64_t>(span, 0), r.config().carousel_y,
        std::abs(span) + dots.widest, std::max(dots.full->h, dots.empty->h), SDL_Rect{0, 0, W, H});
}

std::pair<const Surface&, SDL_Rect> Renderer::image_rect(ButtonFlag flag) const
{
    const std::uint8_t f = config_.flavour;
    const auto bits = static_cast<unsigned>(flag);
    if (!std::has_single_bit(bits) || std::countr_zero(bits) >= int(std::size(button_images)))
        throw std::invalid_argument("button");
    const ButtonImage* b = &button_images[std::countr_zero(bits)];
    if (f > 2 && b->flavoured())
        throw std::invalid_argument("flavour");
    const Surface& image = asset(b->image[std::min<std::uint8_t>(f, 2)]);
    const int W = target_->w, H = target_->h, w = image->w, h = image->h;
    const int down = flag == ButtonFlag::Menu && f == 2 ? 2 : b->down;
    return {image, {b->right ? W - w : 0, down == 2 ? H - h : down == 1 ? (H - h) / 2 : 0, w, h}};
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
    const Dots dots(*this, target_->w, pos.count);
    const std::int64_t spacing = dots.spacing, x0 = dots.x0;

    // Dot i is visible when its left edge lies strictly between left - widest and right: low <
    // i * spacing < high, or -high < i * -spacing < -low.
    std::int64_t first = 0, end = pos.count;
    if (spacing != 0) {
        const SDL_Rect& clip = target_->clip_rect;
        const std::int64_t low = std::int64_t{clip.x} - dots.widest - x0;
        const std::int64_t high = std::int64_t{clip.x} + clip.w - x0;
        const std::int64_t step = std::abs(spacing);
        first = std::max(first, floor_div(spacing > 0 ? low : -high, step) + 1);
        end = std::min(end, -floor_div(spacing > 0 ? -high : low, step));
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
        draw_at(i == pos.current ? dots.full : dots.empty, coords::saturate(x0 + i * spacing),
            config_.carousel_y);
    }
}

std::optional<ButtonFlag> Renderer::button_at(int x, int y) const
{
    for (ButtonFlag flag : button_order) {
        if (!(current_screen_.buttons & static_cast<int>(flag)))
            continue;
        const SDL_Rect r = image_rect(flag).second;
        if (coords::inside(x, y, r.x, r.y, r.w, r.h))
            return flag;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> Renderer::label_at(int x, int y) const
{
    const std::int64_t y1 = std::int64_t{y} - config_.label_offset_y;
    for (auto it = current_screen_.labels.rbegin(); it != current_screen_.labels.rend(); ++it)
        if (coords::inside(x, y1, it->x, it->y, it->width, it->height))
            return it->id;
    return std::nullopt;
}

} // namespace kivo
