#include "kivo/renderer.h"

#include "render/coords.h"
#include "render/tracker.h"
#include "render/warnings.h"

namespace kivo {

namespace {

// The milliseconds since last_ticks (0 when the tick counter went back), which becomes now.
std::int32_t ticks_since(Uint32& last_ticks)
{
    const Uint32 now = SDL_GetTicks();
    const auto elapsed = static_cast<std::int32_t>(now - last_ticks);
    last_ticks = now;
    return elapsed < 0 ? 0 : elapsed;
}

void draw_label(Renderer& r, const Label& label, int offset)
{
    switch (label.kind) {
    case LabelKind::Text:
        r.draw_text_label(label, offset);
        break;
    case LabelKind::Icon:
        r.draw_icon_label(label, offset);
        break;
    case LabelKind::Qr:
        r.draw_qr_label(label, offset);
        break;
    case LabelKind::Slider:
        r.draw_slider_label(label, offset);
        break;
    } // a kind of no case here is stored and hit-tested, never drawn
}

// Every element, from the bottom up: the backgrounds, the icons, the current screen's buttons and
// carousel, the labels of each screen.
void draw_whole(
    Renderer& r, const ScreenDef& first, const ScreenDef* second, int offset, int second_offset)
{
    if (first.background)
        r.draw_background(*first.background, offset);
    if (second && second->background)
        r.draw_background(*second->background, second_offset);
    if (first.icon)
        r.draw_icon(*first.icon, offset);
    if (second && second->icon)
        r.draw_icon(*second->icon, second_offset);
    const ScreenDef& current = r.current_screen();
    r.draw_buttons(current.buttons);
    if (current.carousel)
        r.draw_carousel(*current.carousel);
    for (const Label& label : first.labels)
        draw_label(r, label, offset);
    if (second)
        for (const Label& label : second->labels)
            draw_label(r, label, second_offset);
    r.clear_cache();
}

} // namespace

void Renderer::draw(const ScreenDef& screen)
{
    delta_ms_ = ticks_since(last_ticks_);
    current_screen_ = screen;
    if (!tracker_->draw(current_screen_, nullptr, 0, 0)) {
        tracker_->forget_drawn();
        draw_whole(*this, current_screen_, nullptr, 0, 0);
    }
    warnings_->end_frame();
}

void Renderer::draw(const ScreenDef& first, const ScreenDef& second, int offset)
{
    delta_ms_ = ticks_since(last_ticks_);
    const std::int64_t W = target_->w;
    const int second_offset = coords::saturate(offset < 0 ? offset + W : offset - W);
    const std::int64_t distance = offset < 0 ? -std::int64_t{offset} : offset;
    current_screen_ = distance > W / 2 ? second : first;
    if (!tracker_->draw(first, &second, offset, second_offset)) {
        tracker_->forget_drawn();
        draw_whole(*this, first, &second, offset, second_offset);
    }
    warnings_->end_frame();
}

} // namespace kivo
