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

// The full redraw: each element drawn as walk_frame visits it.
struct WholeFrame {
    const Canvas& c;
    void background(const std::string& ref, int x) { c.renderer.draw_background(ref, x); }
    void icon(const std::string& ref, int x) { c.renderer.draw_icon(ref, x); }
    void buttons(int mask) { c.renderer.draw_buttons(mask); }
    void carousel(const CarouselPos& pos) { c.renderer.draw_carousel(pos); }
    void label(const Label& label, int offset) { draw_label(c, label, offset); }
};

} // namespace

void Renderer::draw_frame(
    const ScreenDef& first, const ScreenDef* second, int offset, int second_offset)
{
    delta_ms_ = ticks_since(last_ticks_);
    const Canvas c{
        *this, target_, cairo_, layout_, fonts_, config_, cache_, delta_ms_, cache_generation_};
    if (full_redraw_ || !tracker_->draw(c, first, second, offset, second_offset, pending_)) {
        tracker_->forget_drawn();
        pending_.add_all();
        walk_frame(current_screen_, first, second, offset, second_offset, WholeFrame{c});
        clear_cache();
    }
    warnings_->end_frame();
}

void Renderer::draw(const ScreenDef& screen)
{
    current_screen_ = screen;
    draw_frame(current_screen_, nullptr, 0, 0);
}

void Renderer::draw(const ScreenDef& first, const ScreenDef& second, int offset)
{
    const std::int64_t W = target_->w;
    const int second_offset = coords::saturate(offset < 0 ? offset + W : offset - W);
    const std::int64_t distance = offset < 0 ? -std::int64_t{offset} : offset;
    current_screen_ = distance > W / 2 ? second : first;
    draw_frame(first, &second, offset, second_offset);
}

} // namespace kivo
