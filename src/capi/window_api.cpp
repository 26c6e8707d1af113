// The window and frame family of exported functions.
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "capi/state.h"
#include "kivo/kivo.h"

namespace {

kivo::Color color_from(const uint8_t (&rgba)[4])
{
    return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

// Throws std::logic_error for a null font pointer, before anything is created.
kivo::Config config_from(const ConfigRecord& record)
{
    return {.flavour = record.flavour,
        .font0 = std::string(record.font0),
        .font1 = std::string(record.font1),
        .font2 = std::string(record.font2),
        .font3 = std::string(record.font3),
        .label_offset_y = record.label_offset_y,
        .qr_border = record.qr_border,
        .icon_center_y = record.icon_center_y,
        .reserved = record.reserved,
        .carousel_y = record.carousel_y,
        .carousel_spacing = record.carousel_spacing,
        .slider_start_angle = record.slider_start_angle,
        .slider_sweep_angle = record.slider_sweep_angle,
        .slider_value_color = color_from(record.slider_value_color),
        .slider_band_color = color_from(record.slider_band_color),
        .slider_marker_color = color_from(record.slider_marker_color)};
}

// The window and its renderer (renderer first), and with them any touch held.
void destroy_pair()
{
    delete std::exchange(kivo::state::renderer, nullptr);
    delete std::exchange(kivo::state::window, nullptr);
    kivo::state::pressed = false;
}

} // namespace

extern "C" {

KIVO_API void kivo_init_sdl(void)
{
    kivo::Window::init_sdl();
}

KIVO_API void kivo_quit_sdl(void)
{
    kivo::Window::quit_sdl();
}

KIVO_API void kivo_get_display_mode(int32_t* width, int32_t* height, bool* valid)
{
    const SDL_DisplayMode mode = kivo::Window::get_display_mode();
    *width = mode.w;
    *height = mode.h;
    *valid = true;
}

KIVO_API void kivo_create_window(int32_t width, int32_t height, const ConfigRecord* record)
{
    if (!record)
        throw std::logic_error("kivo_create_window: null configuration");
    const kivo::Config config = config_from(*record);

    // A second window would fight the first for the framebuffer: the old pair goes first.
    destroy_pair();

    kivo::state::window = new kivo::Window(width, height, !(record->reserved & KIVO_KEEP_CONSOLE));
    kivo::state::renderer = new kivo::Renderer(*kivo::state::window, config);
    kivo::state::width = width;
    kivo::state::height = height;
}

KIVO_API void kivo_destroy_window(void)
{
    destroy_pair();
    kivo::state::screens = {};
}

KIVO_API int32_t kivo_surface_width(void)
{
    return kivo::state::window ? kivo::state::window->surface()->w : 0;
}

KIVO_API int32_t kivo_surface_height(void)
{
    return kivo::state::window ? kivo::state::window->surface()->h : 0;
}

KIVO_API void kivo_present(int32_t offset)
{
    if (!kivo::state::window)
        return;
    kivo::Renderer* renderer = kivo::state::renderer;
    if (!renderer)
        return kivo::state::window->present();
    if (offset == 0)
        renderer->draw(kivo::state::screens[0]);
    else
        renderer->draw(kivo::state::screens[0], kivo::state::screens[1], offset);
    // Only what the renderer changed is copied (and the whole frame now and then).
    kivo::state::window->present(renderer->take_damage());
}

KIVO_API void kivo_get_framebuffer(void* buffer, size_t size)
{
    if (!kivo::state::window)
        return;
    const SDL_Surface* surface = kivo::state::window->surface().get();
    const size_t bytes = static_cast<size_t>(surface->h) * static_cast<size_t>(surface->pitch);
    // memcpy must not see a null buffer, not even for 0 bytes.
    if (const size_t n = std::min(size, bytes); n != 0)
        std::memcpy(buffer, surface->pixels, n);
}

} // extern "C"
