// Frames that redraw only what changed since the frame before.
//
// Each frame is listed as elements in stacking order (backgrounds, icons, buttons, carousel,
// labels), each with what it shows and the rectangle it may touch. When the frame before covered
// the whole surface with copied backgrounds, and this one does too, every pixel is a function of
// the elements alone; an element that shows the same in the same place draws the same pixels. So
// the regions where the lists differ are all that can change: each is redrawn from its background
// up, clipped to it. Anything else is drawn in full.

#include <cairo.h>

#include "render/blit.h"
#include "render/controls.h"
#include "render/slider_geometry.h"
#include "render/tracker.h"

namespace kivo {

namespace {

bool contains(const SDL_Rect& outer, const SDL_Rect& inner)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

} // namespace

void Tracker::draw_element(std::size_t index)
{
    const Element& e = next_[index];
    SDL_Surface* target = c_->target;
    if (const ShownImage* shown = e.as<ShownImage>()) {
        auto* image = const_cast<SDL_Surface*>(shown->image);
        if (!shown->background || !Surface::copies(image))
            return blit(target, image, shown->plan, shown->x, shown->y, false);
        // A copied background leaves out what the copies above it overwrite in this frame. A
        // slider's backdrop copied back overwrites its bounds alike.
        over_.clear();
        for (std::size_t i = index + 1; i < next_.size(); ++i) {
            const Element& above = next_[i];
            if (const ShownImage* a = above.as<ShownImage>())
                add_copied(target, a->image, a->plan, a->x, a->y, over_);
            else if (above.as<ShownSlider>() && above.restores)
                over_.push_back(above.bounds);
        }
        blit_around(target, image, shown->x, shown->y, over_);
    } else if (const ShownText* text = e.as<ShownText>()) {
        show_text(c_->cairo, text_slots_[text->slot].layout.get(), text->left, text->top,
            text->color, text->shown);
    } else if (const ShownQr* qr = e.as<ShownQr>()) {
        draw_qr_code(target, c_->config.qr_border, *qr_slots_[qr->slot].code, *e.label, e.offset);
    } else if (e.as<ShownSlider>()) {
        draw_slider(index);
    } else {
        const ShownCarousel& dots = std::get<ShownCarousel>(e.shown);
        c_->renderer.draw_carousel({dots.current, dots.count});
    }
}

// Whether a backdrop may be taken of what lies under the slider at index: this frame's
// backgrounds cover the surface (then those pixels depend on nothing but the elements), the
// slider is where it was drawn last (not every frame of a slide) and redrawn whole in this
// region, and no copied image lies above it (a background is not copied under an image copied
// later, so what is under the slider is not all drawn yet when the slider is).
bool Tracker::may_take_backdrop(bool stayed, std::size_t index) const
{
    const Element& slider = next_[index];
    const SDL_Rect& r = slider.bounds;
    if (!covering_ || r.w <= 0 || r.h <= 0 || SDL_MUSTLOCK(c_->target) || !stayed ||
        !contains(c_->target->clip_rect, r))
        return false;
    for (std::size_t i = index + 1; i < next_.size(); ++i)
        if (next_[i].as<ShownImage>() && SDL_HasIntersection(&next_[i].bounds, &r))
            return false;
    return true;
}

// Which sliders of the frame are drawn over their backdrop, decided before anything is drawn so
// that the backgrounds below leave their bounds alone; each region redrawn copies back the part
// of the backdrop within it. The backdrop was taken when copied backgrounds covered the surface,
// so the ones among the same elements below the slider cover its bounds again: what lies there
// depends on those elements alone, whether or not this frame covers the rest of the surface, and
// whatever is drawn above the slider afterwards.
void Tracker::plan_backdrops()
{
    std::size_t nth = 0;
    for (std::size_t i = 0; i < next_.size(); ++i) {
        Element& slider = next_[i];
        if (!slider.as<ShownSlider>())
            continue;
        // The sliders before it need not have been drawn in this frame, nor ever.
        backdrops_.resize(std::max(backdrops_.size(), nth + 1));
        slider.backdrop = nth++;
        slider.restores = backdrops_[slider.backdrop].holds(
            slider, c_->cache_generation, std::span(next_).first(i));
    }
}

// A slider over its backdrop when planned so; otherwise its track and band over what is drawn
// below it, taken as the backdrop when that is allowed. The value arc and marker are drawn either
// way.
void Tracker::draw_slider(std::size_t index)
{
    const Element& slider = next_[index];
    SliderBackdrop& backdrop = backdrops_[slider.backdrop];
    const bool stayed = backdrop.placed(slider);
    if (slider.restores) {
        backdrop.restore(c_->target);
    } else {
        c_->renderer.draw_slider_track(*slider.label, slider.offset);
        if (may_take_backdrop(stayed, index))
            backdrop.take(c_->target, slider, c_->cache_generation, std::span(next_).first(index));
    }
    c_->renderer.draw_slider_value(*slider.label, slider.offset);
}

// How far both screens of a slide moved since the frame on the surface, when that is all their
// offsets did (0 otherwise): the frame is then that frame moved as far, with the columns it brings
// in from beyond the edge and what does not move with it (the buttons and the carousel) redrawn.
int Tracker::slid(int offset, std::optional<int> second_offset) const
{
    const std::int64_t dx = std::int64_t{offset} - drawn_offset_;
    if (!second_offset || !drawn_second_offset_ || dx == 0 || dx <= -c_->target->w ||
        dx >= c_->target->w || std::int64_t{*second_offset} - *drawn_second_offset_ != dx)
        return 0;
    return int(dx);
}

// Where the drawn list, moved dx to the right, and the new list differ, both the old and the new
// rectangle change; for a gauge that stayed in place, only the pixels around what moved. What
// stays in place while the rest moves changes where it was and where its pixels were moved to.
Damage Tracker::differences(int dx) const
{
    Damage damage;
    const SDL_Rect surface{0, 0, c_->target->w, c_->target->h};
    const auto add_moved = [&](SDL_Rect r, int by) {
        r.x = coords::saturate(std::int64_t{r.x} + by);
        if (SDL_IntersectRect(&r, &surface, &r))
            damage.add(r);
    };
    if (dx)
        add_moved({dx > 0 ? -dx : surface.w, 0, dx > 0 ? dx : -dx, surface.h}, dx);
    const std::size_t n = std::max(on_surface_.size(), next_.size());
    for (std::size_t i = 0; i < n; ++i) {
        const Element* was = i < on_surface_.size() ? &on_surface_[i] : nullptr;
        const Element* now = i < next_.size() ? &next_[i] : nullptr;
        if (was && was->fixed && dx)
            add_moved(was->bounds, dx);
        const int by = was && !was->fixed ? dx : 0;
        const Shown shown = was && by ? was->moved(by) : Shown{};
        if (was && now && was->fixed == now->fixed &&
            (by ? shown == now->shown : was->shows_same(*now))) {
            if (now->fixed && dx)
                damage.add(now->bounds);
            continue;
        }
        const ShownText* text = was && !by ? was->as<ShownText>() : nullptr;
        if (text && now && now->as<ShownText>() &&
            add_changed_glyphs(*text, *now->as<ShownText>(), damage))
            continue;
        const ShownSlider* from = !was ? nullptr
                                  : by ? std::get_if<ShownSlider>(&shown)
                                       : was->as<ShownSlider>();
        const ShownSlider* to = now ? now->as<ShownSlider>() : nullptr;
        if (from && to && from->place == to->place) {
            SliderGeometry(*now->label, now->offset)
                .add_changed(c_->config, *from, *to, now->bounds, damage);
            continue;
        }
        if (was)
            add_moved(was->bounds, by);
        if (now)
            damage.add(now->bounds);
    }
    return damage;
}

// The elements drawn only whole that a region of damage cuts, as regions of their own, with the
// ones those cut in turn. They are redrawn after damage, over what its regions drew of them, so
// that one met by a thin region costs its own rectangle, not the box around both.
Damage Tracker::whole_elements_cut(const Damage& damage) const
{
    Damage whole;
    const auto cut = [&](const Damage& regions) -> const Element* {
        for (const SDL_Rect& r : regions)
            for (const Element& e : next_)
                if (e.whole() && SDL_HasIntersection(&r, &e.bounds) && !contains(r, e.bounds) &&
                    std::none_of(whole.begin(), whole.end(),
                        [&](const SDL_Rect& w) { return contains(w, e.bounds); }))
                    return &e;
        return nullptr;
    };
    for (const Element* e; (e = cut(damage)) || (e = cut(whole));)
        whole.add(e->bounds);
    return whole;
}

// Each region redrawn from the bottom up, clipped to it, but for the elements drawn only whole
// that it cuts; or everything.
void Tracker::repaint(const Damage& damage)
{
    if (damage.all()) {
        for (std::size_t i = 0; i < next_.size(); ++i)
            draw_element(i);
        return;
    }
    if (damage.empty())
        return;
    for (const SDL_Rect& r : damage) {
        SDL_SetClipRect(c_->target, &r);
        cairo_reset_clip(c_->cairo);
        cairo_new_path(c_->cairo);
        cairo_rectangle(c_->cairo, r.x, r.y, r.w, r.h);
        cairo_clip(c_->cairo);
        for (std::size_t i = 0; i < next_.size(); ++i) {
            const Element& e = next_[i];
            // One drawn only whole that r cuts is left to its own region, redrawn after.
            if (SDL_HasIntersection(&r, &e.bounds) && !(e.whole() && !contains(r, e.bounds)))
                draw_element(i);
        }
    }
    SDL_SetClipRect(c_->target, nullptr);
    cairo_reset_clip(c_->cairo);
}

bool Tracker::draw(const Canvas& c, const ScreenDef& first, const ScreenDef* second, int offset,
    int second_offset, Damage& changed)
{
    c_ = &c;
    const ScreenDef& current = c.renderer.current_screen();
    if (!loaded(first) || (second && !loaded(*second)) ||
        !buttons_drawable(c.config.flavour, current.buttons))
        return false;
    LayoutCarry carry;
    if (!carried(carry) || !prepare(first, carry) || (second && !prepare(*second, carry)))
        return false;

    // From here on this frame is drawn here.
    const bool was_valid = valid_ && drawn_generation_ == c.cache_generation;
    next_.clear();
    listed_texts_ = listed_qrs_ = 0;
    walk_frame(current, first, second, offset, second_offset, *this);
    covering_ = covered();
    const std::optional<int> second_at = second ? std::optional<int>(second_offset) : std::nullopt;
    Damage damage, whole;
    int dx = 0;
    if (!was_valid || !covering_) {
        damage.add_all();
    } else {
        dx = slid(offset, second_at);
        if (dx)
            c.renderer.move_pixels(dx);
        damage = differences(dx);
        whole = whole_elements_cut(damage);
    }
    if (!damage.empty())
        plan_backdrops();
    repaint(damage);
    repaint(whole);
    damage.add(whole);
    if (dx)
        changed.add_all();
    changed.add(damage);
    valid_ = damage.all() ? covering_ : true;
    drawn_offset_ = offset;
    drawn_second_offset_ = second_at;
    std::swap(on_surface_, next_);

    sync_shared_layout(carry);
    c.renderer.clear_cache();
    drawn_generation_ = c.cache_generation;
    return true;
}

} // namespace kivo
