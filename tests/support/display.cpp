#include "kivo_emu.h"
#include "support.h"

namespace kivo_test {

void Display::SetUpTestSuite()
{
    static const bool started = [] {
        if (manual_clock)
            kivo_emu_clock_set_manual(1);
        kivo_init_sdl();
        return true;
    }();
    (void)started;
}

void Display::SetUp()
{
    kivo_emu_reset();
    if (manual_clock)
        kivo_emu_clock_set_manual(1);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void Display::TearDown()
{
    kivo_destroy_window();
    kivo_emu_reset();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void set(std::uint32_t slot, const char* background, const char* icon,
    const std::vector<LabelRecord>& labels, std::uint16_t buttons, std::uint32_t current,
    std::uint32_t count)
{
    kivo_set_screen(slot, background, icon, labels.data(), std::uint32_t(labels.size()), current,
        count, buttons);
}

void show(const char* background, const char* icon, const std::vector<LabelRecord>& labels,
    std::uint16_t buttons, std::uint32_t current, std::uint32_t count)
{
    set(0, background, icon, labels, buttons, current, count);
    kivo_present(0);
}

Image frame()
{
    Image img(kivo_surface_width(), kivo_surface_height());
    kivo_get_framebuffer(img.px.data(), img.px.size() * 4);
    return img;
}

} // namespace kivo_test
