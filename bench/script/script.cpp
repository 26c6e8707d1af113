// A fixed, repeatable run for callgrind: the emulator's manual clock moves 20 ms per frame, so
// animation frames and cache ages are the same on every run. Each phase is counted on its own
// and dumped under the name "<phase>/<repeats>" (bench/callgrind.py divides by the repeats).
// Outside callgrind the dump requests do nothing. After each phase the frame's bytes (alpha
// included) are printed as "frame <phase> <FNV-1a hash>", so a change that should draw the same
// pixels can be checked.
#include <valgrind/callgrind.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "capi/state.h"
#include "kivo/base64.h"
#include "kivo_emu.h"
#include "screens.h"

namespace {

constexpr int frames = 10;
constexpr std::int64_t frame_ns = 20'000'000;

void print_frame_hash(const std::string& name)
{
    std::vector<unsigned char> bytes(
        bench::frame_bytes(kivo_surface_width(), kivo_surface_height()));
    kivo_get_framebuffer(bytes.data(), bytes.size());
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char b : bytes)
        hash = (hash ^ b) * 1099511628211ull;
    std::printf("frame %s %016llx\n", name.c_str(), static_cast<unsigned long long>(hash));
}

template <typename F> void phase(const std::string& name, int repeats, F&& body)
{
    const std::string label = name + "/" + std::to_string(repeats);
    CALLGRIND_ZERO_STATS;
    for (int i = 0; i < repeats; ++i)
        body(i);
    CALLGRIND_DUMP_STATS_AT(label.c_str());
    if (kivo::state::window)
        print_frame_hash(name);
}

void next_frame(int offset = 0)
{
    kivo_emu_clock_advance_ns(frame_ns);
    kivo_present(offset);
}

} // namespace

int main()
{
    kivo_emu_clock_set_manual(1);
    kivo_emu_fb_set_refresh(0);
    CALLGRIND_ZERO_STATS;
    bench::init_sdl();
    CALLGRIND_DUMP_STATS_AT("init_sdl/1");

    const ConfigRecord config = bench::config();
    phase("create_window", 1, [&](int) { kivo_create_window(800, 480, &config); });
    bench::set(0, bench::Screen::Home);
    phase("first_present", 1, [](int) { kivo_present(0); });

    {
        const unsigned char* pixels =
            static_cast<unsigned char*>(kivo::state::window->surface()->pixels);
        const bench::FbMapping fb;
        phase("memcpy_frame", frames,
            [&](int) { std::memcpy(fb.data(), pixels, bench::frame_bytes(800, 480)); });
        phase("present", frames, [](int) { kivo::state::window->present(); });
    }

    for (bench::Screen s : bench::all_screens) {
        bench::set(0, s);
        next_frame();
        phase(bench::name(s), frames, [](int) { next_frame(); });
    }
    bench::set(0, bench::Screen::Home);
    bench::set(1, bench::Screen::Charging);
    next_frame(200);
    phase("transition", frames, [](int i) { next_frame(200 + 40 * i); });

    kivo::Renderer& r = *kivo::state::renderer;
    const std::string home = "home", anim = "charging_anim";
    phase("element/background", frames, [&](int) { r.draw_background(home, 0); });
    phase("element/background_animated", frames, [&](int) { r.draw_background(anim, 0); });
    phase("element/buttons", frames,
        [&](int) { r.draw_buttons(KIVO_BUTTON_LEFT | KIVO_BUTTON_RIGHT | KIVO_BUTTON_MENU); });
    phase("element/carousel", frames, [&](int) { r.draw_carousel({0, 3}); });
    const kivo::Label text = bench::text_label(),
                      styled = bench::text_label(KIVO_STYLE_AVAILABLE_BUTTON),
                      markup = bench::markup_label(), icon = bench::icon_label(),
                      qr = bench::qr_label(), slider = bench::slider_label();
    phase("element/text_label", frames, [&](int) { r.draw_text_label(text, 0); });
    phase("element/markup_label", frames, [&](int) { r.draw_text_label(markup, 0); });
    phase("element/styled_label", frames, [&](int) { r.draw_text_label(styled, 0); });
    r.draw_icon_label(icon, 0);
    phase("element/icon_label", frames, [&](int) { r.draw_icon_label(icon, 0); });
    phase("element/qr_label", frames, [&](int) { r.draw_qr_label(qr, 0); });
    phase("element/slider_label", frames, [&](int) { r.draw_slider_label(slider, 0); });

    // The element phases drew behind the renderer's back: the next frame redraws everything.
    r.redraw_all();
    bench::set(0, bench::Screen::Home);
    next_frame();
    r.set_full_redraw(true);
    phase("home/full", frames, [](int) { next_frame(); });
    r.set_full_redraw(false);
    next_frame();
    std::string counter;
    phase("home/one_label", frames, [&](int i) {
        counter = std::to_string(12 + i) + ".0 kWh";
        kivo::state::screens[0].labels[1].text = counter;
        next_frame();
    });
    bench::set(0, bench::Screen::Charging);
    next_frame();
    phase("charging/gauge", frames, [](int i) {
        kivo::state::screens[0].labels[0].value = 0.3f + 0.01f * i;
        next_frame();
    });
    // The step alone: the clock stands still, so the background does not move.
    phase("charging/step", frames, [](int i) {
        kivo::state::screens[0].labels[0].value = 0.4f + 0.001f * i;
        kivo_present(0);
    });
    // And the kWh counter inside the gauge, changing with it.
    phase("charging/counter", frames, [&](int i) {
        kivo::state::screens[0].labels[0].value = 0.5f + 0.001f * i;
        counter = std::to_string(30 + i) + ".0 kWh";
        kivo::state::screens[0].labels[1].text = counter;
        kivo_present(0);
    });

    std::string text64(1 << 20, 'A');
    std::mt19937 random(1);
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (char& c : text64)
        c = alphabet[random() % 64];
    phase("base64_decode_1MiB", 1, [&](int) {
        const std::string out = base64::decode_into<std::string>(text64);
        if (out.size() != (std::size_t{1} << 20) / 4 * 3)
            std::abort();
    });

    kivo_destroy_window();
    kivo_quit_sdl();
    return 0;
}
