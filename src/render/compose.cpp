#include "kivo/renderer.h"

#include "render/coords.h"
#include "render/tracker.h"

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
    default:
        break; // stored and hit-tested, never drawn
    }
}

} // namespace

void Renderer::draw(const ScreenDef& screen)
{
    delta_ms_ = ticks_since(last_ticks_);
    current_screen_ = screen;
    const ScreenDef& s = current_screen_;
    if (tracker_->draw(s, nullptr, 0, 0))
        return;
    tracker_->forget_drawn();
    if (s.background)
        draw_background(*s.background, 0);
    if (s.icon)
        draw_icon(*s.icon, 0);
    draw_buttons(s.buttons);
    if (s.carousel)
        draw_carousel(*s.carousel);
    for (const Label& label : s.labels)
        draw_label(*this, label, 0);
    clear_cache();
}

void Renderer::draw(const ScreenDef& first, const ScreenDef& second, int offset)
{
    delta_ms_ = ticks_since(last_ticks_);
    const std::int64_t W = target_->w;
    const int second_offset = coords::saturate(offset < 0 ? offset + W : offset - W);
    const std::int64_t distance = offset < 0 ? -std::int64_t{offset} : offset;
    current_screen_ = distance > W / 2 ? second : first;
    if (tracker_->draw(first, &second, offset, second_offset))
        return;
    tracker_->forget_drawn();

    if (first.background)
        draw_background(*first.background, offset);
    if (second.background)
        draw_background(*second.background, second_offset);
    if (first.icon)
        draw_icon(*first.icon, offset);
    if (second.icon)
        draw_icon(*second.icon, second_offset);
    draw_buttons(current_screen_.buttons);
    if (current_screen_.carousel)
        draw_carousel(*current_screen_.carousel);
    for (const Label& label : first.labels)
        draw_label(*this, label, offset);
    for (const Label& label : second.labels)
        draw_label(*this, label, second_offset);
    clear_cache();
}

} // namespace kivo
