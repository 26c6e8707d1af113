#include "kivo/renderer.h"

#include <err.h>

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <string>
#include <utility>

#include "image/alpha_blend.h"
#include "image/blit_plan.h"
#include "render/blit.h"
#include "render/coords.h"
#include "kivo/window.h"
#include "render/tracker.h"
#include "render/warnings.h"

namespace kivo {

namespace {

constexpr const char* asset_dir = "app/share/marvo/images/";

constexpr const char* asset_paths[asset_count] = {"button/rosk/ok", "button/rosk/ok_v2",
    "button/rosk/back", "button/rosk/back_v2", "button/rosk/menu", "button/rosk/close",
    "button/rosk/help", "button/rosk/fast", "button/rosk/smart", "button/rosk/frame",
    "button/tavi/back", "button/tavi/locale", "label/rosk/blankButton", "label/rosk/fastButton",
    "label/rosk/smartButton", "label/rosk/narrowButton", "label/tavi/availableButton",
    "label/tavi/reservedButton", "label/tavi/chargingButton", "label/tavi/faultedButton",
    "label/tavi/greyButton", "label/tavi/whiteButton", "label/tavi/tallButton",
    "label/tavi/fullBullet", "label/tavi/emptyBullet", "carousel/rosk/left", "carousel/rosk/right",
    "carousel/rosk/emptyDot", "carousel/rosk/fullDot", "carousel/tavi/left",
    "carousel/tavi/leftEnd", "carousel/tavi/right", "carousel/tavi/rightEnd"};

// How a part of an image reaches the target: copied row by row (what SDL's copy blit does, at
// the speed of memcpy), blended by AlphaBlend (SDL's arithmetic, eight pixels at a time), or
// handed to SDL.
enum class Way { Copy, Blend, Sdl };

// The part of image at src drawn with its corner at x, y. SDL_UpperBlit adds the destination
// corner and the part's size in int; a part wholly outside the clip rectangle is skipped here so
// that corners near INT_MIN or INT_MAX never reach it.
void blit_part(SDL_Surface* image, const SDL_Rect& src, SDL_Surface* target, std::int64_t x,
    std::int64_t y, Way way)
{
    const SDL_Rect to = coords::clip(x, y, src.w, src.h, target->clip_rect);
    if (SDL_RectEmpty(&to))
        return;
    if (way == Way::Sdl) {
        SDL_Rect from = src, dst{int(x), int(y), 0, 0};
        SDL_UpperBlit(image, &from, target, &dst);
        return;
    }
    const int bpp = target->format->BytesPerPixel;
    const auto* from = static_cast<const Uint8*>(image->pixels) +
                       std::ptrdiff_t(src.y + to.y - y) * image->pitch +
                       std::ptrdiff_t(src.x + to.x - x) * bpp;
    Uint8* at = pixel_at(target, to.x, to.y);
    if (way == Way::Blend)
        AlphaBlend::blend_rows(from, image->pitch, at, target->pitch, to.w, to.h);
    else
        copy_rows(at, target->pitch, from, image->pitch, to.w * bpp, to.h);
}

bool copyable(const SDL_Surface* image, const SDL_Surface* target)
{
    return image->format->format == target->format->format && !SDL_MUSTLOCK(image) &&
           !SDL_MUSTLOCK(target);
}

// How image is drawn onto target: part(rect, way) for each part of it, rect in the image's own
// coordinates. The reference (the full redraw) has SDL blit the whole image. Otherwise an opaque
// image is copied, and an image with a plan has its opaque parts copied, only the rest blended by
// AlphaBlend, and its transparent margins left alone. Both the drawing and the fast path's account
// of what a blit copies over follow this one recipe.
template <typename Part>
void recipe(const SDL_Surface* target, const SDL_Surface* image, BlitPlan* plan, bool reference,
    Part&& part)
{
    const SDL_Rect whole{0, 0, image->w, image->h};
    const SDL_BlendMode mode = Surface::plain_blend(image);
    const bool same_format = copyable(image, target);
    if (mode == SDL_BLENDMODE_NONE)
        return part(whole, same_format ? Way::Copy : Way::Sdl);
    if (reference || !same_format || mode != SDL_BLENDMODE_BLEND)
        return part(whole, Way::Sdl);
    const Way blend = AlphaBlend::in_use() ? Way::Blend : Way::Sdl;
    const std::vector<BlitPart>* parts = plan ? plan->parts(image) : nullptr;
    if (!parts)
        return part(whole, blend);
    for (const BlitPart& p : *parts)
        part(p.rect, p.copy ? Way::Copy : blend);
}

} // namespace

Renderer::Renderer(Window& window, const Config& config)
    : window_(window), target_(window.surface().get()), cairo_(window.cairo()), config_(config),
      tracker_(std::make_unique<Tracker>()), warnings_(std::make_unique<Warnings>())
{
    layout_ = pango_cairo_create_layout(cairo_);
    std::size_t i = 0;
    for (const std::string* font : {&config_.font0, &config_.font1, &config_.font2, &config_.font3})
        fonts_[i++] = pango_font_description_from_string(font->c_str());
    for (i = 0; i < fonts_.size(); ++i)
        fonts_refused_[i] = font_too_large(layout_, fonts_[i]);

    for (std::size_t i = 0; i < asset_count; ++i)
        assets_[i] = Surface((std::string(asset_dir) + asset_paths[i] + ".webp").c_str(), 0, 0);
    if (std::any_of(assets_.begin(), assets_.end(), [](const Surface& a) { return !a; }))
        errx(1, "essential images missing");

    pango_layout_set_alignment(layout_, PANGO_ALIGN_CENTER);
    pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
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

void blit(SDL_Surface* target, SDL_Surface* image, BlitPlan* plan, int x, int y, bool reference)
{
    if (!image)
        return;
    recipe(target, image, plan, reference, [&](const SDL_Rect& part, Way way) {
        blit_part(image, part, target, std::int64_t{x} + part.x, std::int64_t{y} + part.y, way);
    });
}

void add_copied(const SDL_Surface* target, const SDL_Surface* image, BlitPlan* plan, int x, int y,
    std::vector<SDL_Rect>& out)
{
    if (!image)
        return;
    recipe(target, image, plan, false, [&](const SDL_Rect& part, Way way) {
        if (way != Way::Copy)
            return;
        const SDL_Rect r = coords::clip(std::int64_t{x} + part.x, std::int64_t{y} + part.y, part.w,
            part.h, SDL_Rect{0, 0, target->w, target->h});
        if (!SDL_RectEmpty(&r))
            out.push_back(r);
    });
}

// A copied image, except where the rectangles over are copied later in the same frame: those
// pixels end as the later copy leaves them whatever is drawn under them first.
void blit_around(
    SDL_Surface* target, SDL_Surface* image, int x, int y, const std::vector<SDL_Rect>& over)
{
    if (!copyable(image, target))
        return blit(target, image, nullptr, x, y, false);
    const SDL_Rect box = coords::clip(x, y, image->w, image->h, target->clip_rect);
    if (SDL_RectEmpty(&box))
        return;
    const cairo_rectangle_int_t shown{box.x, box.y, box.w, box.h};
    cairo_region_t* left = cairo_region_create_rectangle(&shown);
    for (const SDL_Rect& r : over) {
        const cairo_rectangle_int_t covered{r.x, r.y, r.w, r.h};
        cairo_region_subtract_rectangle(left, &covered);
    }
    for (int i = 0, n = cairo_region_num_rectangles(left); i < n; ++i) {
        cairo_rectangle_int_t part;
        cairo_region_get_rectangle(left, i, &part);
        blit_part(image, {part.x - x, part.y - y, part.width, part.height}, target, part.x, part.y,
            Way::Copy);
    }
    cairo_region_destroy(left);
}

void Renderer::draw_at(const Surface& image, int x, int y) const
{
    blit(target_, image.get(), image.plan(), x, y, full_redraw_);
}

void Renderer::draw_at(Animation& image, int x, int y) const
{
    image.advance(delta_ms_);
    blit(target_, image.frame(), image.plan(), x, y, full_redraw_);
}

void Renderer::redraw_all()
{
    tracker_->forget_drawn();
    pending_.add_all();
}

} // namespace kivo
