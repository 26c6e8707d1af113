#include "kivo/renderer.h"

#include "render/coords.h"

namespace kivo {

void Renderer::tick()
{
    const Uint32 now = SDL_GetTicks();
    const auto elapsed = static_cast<std::int32_t>(now - last_ticks_);
    delta_ms_ = elapsed < 0 ? 0 : elapsed;
    last_ticks_ = now;
}

void Renderer::draw_label(const Label& label, int offset)
{
    switch (label.kind) {
    case LabelKind::Text:
        draw_text_label(label, offset);
        break;
    case LabelKind::Icon:
        draw_icon_label(label, offset);
        break;
    case LabelKind::Qr:
        draw_qr_label(label, offset);
        break;
    case LabelKind::Slider:
        draw_slider_label(label, offset);
        break;
    default:
        break; // stored and hit-tested, never drawn
    }
}

void Renderer::draw(const ScreenDef& screen)
{
    tick();
    current_screen_ = screen;
    const ScreenDef& s = current_screen_;
    if (draw_tracked(s, nullptr, 0, 0))
        return;
    forget_drawn();
    if (s.background)
        draw_background(*s.background, 0);
    if (s.icon)
        draw_icon(*s.icon, 0);
    draw_buttons(s.buttons);
    if (s.carousel)
        draw_carousel(*s.carousel);
    for (const Label& label : s.labels)
        draw_label(label, 0);
    clear_cache();
}

void Renderer::draw(const ScreenDef& first, const ScreenDef& second, int offset)
{
    tick();
    const std::int64_t W = target_->w;
    const int second_offset = coords::saturate(offset < 0 ? offset + W : offset - W);
    const std::int64_t distance = offset < 0 ? -std::int64_t{offset} : offset;
    current_screen_ = distance > W / 2 ? second : first;
    if (draw_tracked(first, &second, offset, second_offset))
        return;
    forget_drawn();

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
        draw_label(label, offset);
    for (const Label& label : second.labels)
        draw_label(label, second_offset);
    clear_cache();
}

} // namespace kivo
