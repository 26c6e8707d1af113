#include "kivo/renderer.h"
#include "kivo/window.h"

#include "render/coords.h"
#include "render/tracker.h"
#include "render/warnings.h"

namespace kivo {

namespace {

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
    // The milliseconds since the frame before (0 when the tick counter went back).
    const Uint32 now = SDL_GetTicks();
    delta_ms_ = std::max(static_cast<std::int32_t>(now - std::exchange(last_ticks_, now)), 0);
    frame_time_ = std::chrono::steady_clock::now();
    const Canvas c{
        *this, target_, cairo_, layout_, fonts_, config_, cache_, delta_ms_, cache_generation_};
    if (full_redraw_ || !tracker_->draw(c, first, second, offset, second_offset, pending_)) {
        redraw_all();
        walk_frame(current_screen_, first, second, offset, second_offset, WholeFrame{c});
        clear_cache();
    }
    warnings_->end_frame();
}

void Renderer::move_pixels(int dx)
{
    window_.move_pixels(dx);
    cairo_ = window_.cairo();
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
