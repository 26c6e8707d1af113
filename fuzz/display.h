// The emulated display that the renderer-level targets draw on. They run from the build
// directory (where the image tree is) with the device emulator linked in.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "capi/state.h"
#include "input.h"
#include "kivo/kivo.h"
#include "kivo_emu.h"

namespace fuzz {

inline ConfigRecord base_config()
{
    ConfigRecord c{};
    c.font0 = "DejaVu Sans 12";
    c.font1 = "DejaVu Sans Bold 20";
    c.font2 = "DejaVu Serif 8";
    c.font3 = "DejaVu Sans Mono 10";
    c.qr_border = 4;
    c.icon_center_y = 20;
    c.carousel_y = 30;
    c.carousel_spacing = 12;
    c.slider_start_angle = 2.4f;
    c.slider_sweep_angle = 4.7f;
    return c;
}

// What every polled record promises: motion only while pressed, no position on Quit and User
// records, a known kind and at most one button. Tracks the press state across records.
inline void check_record(const EventRecord& r, bool& pressed)
{
    switch (r.kind) {
    case KIVO_EVENT_PRESS:
        pressed = true;
        break;
    case KIVO_EVENT_RELEASE:
        pressed = false;
        break;
    case KIVO_EVENT_MOTION:
        if (!pressed)
            fail("motion without a press");
        break;
    case KIVO_EVENT_QUIT:
    case KIVO_EVENT_USER:
        if (r.x || r.y || r.button || r.label)
            fail("quit or user record with a position");
        break;
    default:
        fail("unknown record kind");
    }
    if (r.button & (r.button - 1))
        fail("more than one button in a record");
}

// Manual clock first, so that SDL's ticks and the cache's steady clock move only on request.
inline void start()
{
    static const bool started = [] {
        kivo_emu_clock_set_manual(1);
        kivo_emu_fb_set_refresh(0);
        kivo_init_sdl();
        return true;
    }();
    (void)started;
}

inline void advance_ms(long long ms)
{
    kivo_emu_clock_advance_ns(ms * 1000000);
}

// Lets every cached image expire, so that the cache does not grow from input to input.
inline void expire_cache()
{
    advance_ms(601 * 1000);
    kivo::state::renderer->clear_cache();
    if (kivo::state::renderer->cache_size() != 0)
        fail("cache entries outlived 600 s");
}

inline std::string file_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace fuzz
