// Frames that redraw only what changed since the frame before.
//
// Each frame is listed as items in stacking order (backgrounds, icons, buttons, carousel, labels),
// each with what it shows and the rectangle it may touch. When the frame before covered the whole
// surface with copied backgrounds, and this one does too, every pixel is a function of the items
// alone; an item that shows the same in the same place draws the same pixels. So the regions
// where the lists differ are all that can change: each is redrawn from its background up, clipped
// to it. Anything else is drawn in full.
#include <span>
#include <utility>

#include <cairo.h>
#include <pango/pangocairo.h>

#include "kivo/renderer.h"
#include "render/blit.h"
#include "render/coords.h"
#include "render/label_geometry.h"
#include "render/slider_geometry.h"
#include "render/tracker.h"

namespace kivo {

namespace {

bool contains(const SDL_Rect& outer, const SDL_Rect& inner)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

constexpr int flavoured_buttons = int(ButtonFlag::Ok) | int(ButtonFlag::Back) |
                                  int(ButtonFlag::BackAlt) | int(ButtonFlag::Menu) |
                                  int(ButtonFlag::Left) | int(ButtonFlag::Right);

} // namespace

void Tracker::draw_item(std::size_t index)
{
    const Item& item = next[index];
    switch (item.kind) {
    case Item::Kind::Blit:
        // A copied background leaves out what the copies above it overwrite in this frame.
        // A slider's backdrop copied back overwrites its bounds alike.
        if (item.background && Surface::copies(item.image)) {
            over.clear();
            for (std::size_t i = index + 1; i < next_count; ++i) {
                const Item& above = next[i];
                if (above.kind == Item::Kind::Blit)
                    add_copied(r_.target_, above.image, above.plan, above.x, above.y, over);
                else if (above.kind == Item::Kind::Slider && above.restores)
                    over.push_back(above.bounds);
            }
            blit_around(r_.target_, const_cast<SDL_Surface*>(item.image), item.x, item.y, over);
            break;
        }
        blit(r_.target_, const_cast<SDL_Surface*>(item.image), item.plan, item.x, item.y, false);
        break;
    case Item::Kind::Text:
        show_text(r_.cairo_, text_slots[item.slot].layout, item.left, item.seen.y, item.seen.color,
            item.shown);
        break;
    case Item::Kind::Qr:
        r_.draw_qr_label(*item.label, item.offset);
        break;
    case Item::Kind::Slider:
        draw_slider_item(index);
        break;
    case Item::Kind::Carousel:
        r_.draw_carousel(item.carousel);
        break;
    }
}

// Whether a backdrop may be taken of what lies under the slider item at index: this frame's
// backgrounds cover the surface (then those pixels depend on nothing but the items), the slider
// is where it was drawn last (not every frame of a slide) and redrawn whole in this region, and
// no copied image lies above it (a
// background is not copied under an image copied later, so what is under the slider is not all
// drawn yet when the slider is).
bool Tracker::may_take_backdrop(const SliderBackdrop& backdrop, std::size_t index) const
{
    const Item& item = next[index];
    const SDL_Rect& r = item.bounds;
    if (!covering || r.w <= 0 || r.h <= 0 || SDL_MUSTLOCK(r_.target_) || !backdrop.stayed(item) ||
        !contains(r_.target_->clip_rect, r))
        return false;
    for (std::size_t i = index + 1; i < next_count; ++i)
        if (next[i].kind == Item::Kind::Blit && SDL_HasIntersection(&next[i].bounds, &r))
            return false;
    return true;
}

// Which sliders of the frame are drawn over their backdrop, decided before anything is drawn so
// that the backgrounds below leave their bounds alone; each region redrawn copies back the part
// of the backdrop within it. The backdrop was taken when
// copied backgrounds covered the surface, so the ones among the same items below the slider cover
// its bounds again: what lies there depends on those items alone, whether or not this frame covers
// the rest of the surface, and whatever is drawn above the slider afterwards.
void Tracker::plan_backdrops()
{
    std::size_t nth = 0;
    for (std::size_t i = 0; i < next_count; ++i) {
        Item& item = next[i];
        if (item.kind != Item::Kind::Slider)
            continue;
        // The sliders before it need not have been drawn in this frame, nor ever.
        if (nth >= backdrops.size())
            backdrops.resize(nth + 1);
        item.slot = nth++;
        item.restores = backdrops[item.slot].holds(
            item, cache_generation, std::span<const Item>(next.data(), i));
    }
}

// A slider over its backdrop when planned so; otherwise its track and band over what is drawn
// below it, taken as the backdrop when that is allowed. The value arc and marker are drawn either
// way.
void Tracker::draw_slider_item(std::size_t index)
{
    const Item& item = next[index];
    SliderBackdrop& backdrop = backdrops[item.slot];
    if (item.restores) {
        backdrop.restore(r_.target_);
    } else {
        const bool keep = may_take_backdrop(backdrop, index);
        r_.draw_slider_track(*item.label, item.offset, &r_.target_->clip_rect);
        if (keep)
            backdrop.take(
                r_.target_, item, cache_generation, std::span<const Item>(next.data(), index));
    }
    backdrop.drawn(item);
    r_.draw_slider_value(*item.label, item.offset, &r_.target_->clip_rect);
}

// The alignment and font the shared layout carries into this frame; false when its font is none
// of the renderer's (only the full redraw knows what it then draws).
bool Tracker::carried(LayoutCarry& carry) const
{
    carry.align = pango_layout_get_alignment(r_.layout_);
    const PangoFontDescription* desc = pango_layout_get_font_description(r_.layout_);
    if (!desc)
        return true;
    for (std::size_t i = 0; i < r_.fonts_.size(); ++i)
        if (pango_font_description_equal(desc, r_.fonts_[i])) {
            carry.font = int(i);
            return true;
        }
    return false;
}

// The list of what this frame shows, in stacking order.
void Tracker::list(const ScreenDef& first, const ScreenDef* second, int offset, int second_offset)
{
    next_count = 0;
    add_screen_images(first, offset, false);
    if (second)
        add_screen_images(*second, second_offset, false);
    add_screen_images(first, offset, true);
    if (second)
        add_screen_images(*second, second_offset, true);
    add_controls(r_.current_screen_.buttons);
    std::size_t text = 0;
    add_labels(first, offset, text);
    if (second)
        add_labels(*second, second_offset, text);
}

// Where the drawn and the new list differ, both the old and the new rectangle change; for a
// gauge that stayed in place, only the rows around what moved.
Damage Tracker::differences() const
{
    Damage damage;
    const std::size_t n = std::max(drawn_count, next_count);
    for (std::size_t i = 0; i < n; ++i) {
        const bool old = i < drawn_count, now = i < next_count;
        if (old && now && drawn[i].shows_same(next[i]))
            continue;
        if (old && now && drawn[i].same_gauge(next[i])) {
            SliderGeometry(*next[i].label, next[i].offset)
                .add_changed_rows(r_.config_, drawn[i].seen, next[i].seen, next[i].bounds, damage);
            continue;
        }
        if (old)
            damage.add(drawn[i].bounds);
        if (now)
            damage.add(next[i].bounds);
    }
    return damage;
}

// A region that meets an element drawn only whole grows to cover it, until no such element is
// cut by a region.
void Tracker::grow_to_whole_items(Damage& damage) const
{
    const auto cut = [&]() -> const Item* {
        for (const SDL_Rect& r : damage)
            for (std::size_t i = 0; i < next_count; ++i) {
                const Item& item = next[i];
                if (item.whole && SDL_HasIntersection(&r, &item.bounds) &&
                    !contains(r, item.bounds))
                    return &item;
            }
        return nullptr;
    };
    while (const Item* item = cut())
        damage.add(item->bounds);
}

// Each region redrawn from the bottom up, clipped to it; or everything.
void Tracker::repaint(const Damage& damage)
{
    if (damage.all()) {
        for (std::size_t i = 0; i < next_count; ++i)
            draw_item(i);
        return;
    }
    if (damage.empty())
        return;
    for (const SDL_Rect& r : damage) {
        SDL_SetClipRect(r_.target_, &r);
        cairo_reset_clip(r_.cairo_);
        cairo_new_path(r_.cairo_);
        cairo_rectangle(r_.cairo_, r.x, r.y, r.w, r.h);
        cairo_clip(r_.cairo_);
        for (std::size_t i = 0; i < next_count; ++i)
            if (SDL_HasIntersection(&r, &next[i].bounds))
                draw_item(i);
    }
    SDL_SetClipRect(r_.target_, nullptr);
    cairo_reset_clip(r_.cairo_);
}

bool Tracker::draw(const ScreenDef& first, const ScreenDef* second, int offset, int second_offset)
{
    if (full_redraw || !loaded(first) || (second && !loaded(*second)) ||
        (r_.config_.flavour > 2 && (r_.current_screen_.buttons & flavoured_buttons)))
        return false;
    LayoutCarry carry;
    if (!carried(carry) || !prepare(first, carry) || (second && !prepare(*second, carry)))
        return false;

    // From here on this frame is drawn here.
    const bool was_valid = valid && drawn_generation == cache_generation;
    list(first, second, offset, second_offset);
    covering = covered();
    Damage damage;
    if (!was_valid || !covering) {
        damage.add_all();
    } else {
        damage = differences();
        grow_to_whole_items(damage);
    }
    if (!damage.empty())
        plan_backdrops();
    repaint(damage);
    pending.add(damage);
    valid = damage.all() ? covering : true;
    std::swap(drawn, next);
    drawn_count = std::exchange(next_count, 0);

    sync_shared_layout(carry);
    r_.clear_cache();
    drawn_generation = cache_generation;
    return true;
}

} // namespace kivo
