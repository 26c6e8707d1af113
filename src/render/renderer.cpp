#include "kivo/renderer.h"

#include <err.h>

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "image/blit_plan.h"
#include "kivo/window.h"
#include "render/tracker.h"

namespace kivo {

namespace {

constexpr const char* asset_dir = "app/share/marvo/images/";

constexpr const char* asset_paths[asset_count] = {
    "button/rosk/ok.webp",
    "button/rosk/ok_v2.webp",
    "button/rosk/back.webp",
    "button/rosk/back_v2.webp",
    "button/rosk/menu.webp",
    "button/rosk/close.webp",
    "button/rosk/help.webp",
    "button/rosk/fast.webp",
    "button/rosk/smart.webp",
    "button/rosk/frame.webp",
    "button/tavi/back.webp",
    "button/tavi/locale.webp",
    "label/rosk/blankButton.webp",
    "label/rosk/fastButton.webp",
    "label/rosk/smartButton.webp",
    "label/rosk/narrowButton.webp",
    "label/tavi/availableButton.webp",
    "label/tavi/reservedButton.webp",
    "label/tavi/chargingButton.webp",
    "label/tavi/faultedButton.webp",
    "label/tavi/greyButton.webp",
    "label/tavi/whiteButton.webp",
    "label/tavi/tallButton.webp",
    "label/tavi/fullBullet.webp",
    "label/tavi/emptyBullet.webp",
    "carousel/rosk/left.webp",
    "carousel/rosk/right.webp",
    "carousel/rosk/emptyDot.webp",
    "carousel/rosk/fullDot.webp",
    "carousel/tavi/left.webp",
    "carousel/tavi/leftEnd.webp",
    "carousel/tavi/right.webp",
    "carousel/tavi/rightEnd.webp",
};

// The part of image at src drawn with its corner at x, y: copied row by row when copy is set
// (what SDL's copy blit does, at the speed of memcpy), blended by SDL otherwise. SDL_UpperBlit
// adds the destination corner and the part's size in int; a part wholly outside the clip
// rectangle is skipped here so that corners near INT_MIN or INT_MAX never reach it.
void blit_part(SDL_Surface* image, const SDL_Rect& src, SDL_Surface* target, std::int64_t x,
    std::int64_t y, bool copy)
{
    const SDL_Rect& clip = target->clip_rect;
    if (src.w <= 0 || src.h <= 0 || x >= std::int64_t{clip.x} + clip.w || x + src.w <= clip.x ||
        y >= std::int64_t{clip.y} + clip.h || y + src.h <= clip.y)
        return;
    if (!copy) {
        SDL_Rect from = src, dst{int(x), int(y), 0, 0};
        SDL_UpperBlit(image, &from, target, &dst);
        return;
    }
    const int x0 = int(std::max<std::int64_t>(x, clip.x)),
              y0 = int(std::max<std::int64_t>(y, clip.y));
    const int x1 = int(std::min<std::int64_t>(x + src.w, clip.x + clip.w));
    const int y1 = int(std::min<std::int64_t>(y + src.h, clip.y + clip.h));
    const int bpp = target->format->BytesPerPixel;
    for (int row = y0; row < y1; ++row)
        std::memcpy(static_cast<Uint8*>(target->pixels) + std::ptrdiff_t(row) * target->pitch +
                        std::ptrdiff_t(x0) * bpp,
            static_cast<const Uint8*>(image->pixels) +
                std::ptrdiff_t(src.y + row - y) * image->pitch +
                std::ptrdiff_t(src.x + x0 - x) * bpp,
            std::size_t(x1 - x0) * bpp);
}

bool copyable(const SDL_Surface* image, const SDL_Surface* target)
{
    return image->format->format == target->format->format && !SDL_MUSTLOCK(image) &&
           !SDL_MUSTLOCK(target);
}

} // namespace

const char* asset_path(Asset asset)
{
    const auto i = static_cast<std::size_t>(asset);
    return i < asset_count ? asset_paths[i] : nullptr;
}

Renderer::Renderer(Window& window, const Config& config)
    : target_(window.surface().get()), cairo_(window.cairo()), config_(config),
      tracker_(std::make_unique<Tracker>())
{
    layout_ = pango_cairo_create_layout(cairo_);
    fonts_[0] = pango_font_description_from_string(config_.font0.c_str());
    fonts_[1] = pango_font_description_from_string(config_.font1.c_str());
    fonts_[2] = pango_font_description_from_string(config_.font2.c_str());
    fonts_[3] = pango_font_description_from_string(config_.font3.c_str());

    for (std::size_t i = 0; i < asset_count; ++i)
        assets_[i] = Surface((std::string(asset_dir) + asset_paths[i]).c_str(), 0, 0);
    for (const Surface& asset : assets_)
        if (!asset)
            errx(1, "essential images missing");

    pango_layout_set_alignment(layout_, PANGO_ALIGN_CENTER);
    pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
    cairo_set_line_cap(cairo_, CAIRO_LINE_CAP_ROUND);
    last_ticks_ = SDL_GetTicks();
}

// The members declared after layout_ go in reverse order: current_screen_, cache_, the assets
// from last to first, config_.
Renderer::~Renderer()
{
    for (auto it = fonts_.rbegin(); it != fonts_.rend(); ++it)
        pango_font_description_free(*it);
    g_object_unref(layout_);
}

void Renderer::blit(SDL_Surface* image, int x, int y) const
{
    if (!image)
        return;
    const SDL_Rect whole{0, 0, image->w, image->h};
    const SDL_BlendMode mode = Surface::plain_blend(image);
    if (mode == SDL_BLENDMODE_NONE) {
        blit_part(image, whole, target_, x, y, copyable(image, target_));
        return;
    }
    // Outside the reference drawing, an image with a plan has its opaque parts copied, only the
    // rest blended, and its transparent margins left alone.
    const std::vector<BlitPart>* parts = full_redraw_ ? nullptr : BlitPlan::parts(image);
    if (!parts || !copyable(image, target_) || mode != SDL_BLENDMODE_BLEND) {
        blit_part(image, whole, target_, x, y, false);
        return;
    }
    for (const BlitPart& part : *parts)
        blit_part(image, part.rect, target_, std::int64_t{x} + part.rect.x,
            std::int64_t{y} + part.rect.y, part.copy);
}

void Renderer::draw_at(const Surface& image, int x, int y) const
{
    blit(image.get(), x, y);
}

void Renderer::draw_at(Animation& image, int x, int y) const
{
    image.advance(delta_ms_);
    blit(image.frame(), x, y);
}

} // namespace kivo
