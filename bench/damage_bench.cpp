// Frames that cost what changed, composed and copied through kivo_present, at 800 x 480 and
// 1280 x 800: the home screen redrawn in full (the reference: every label laid out again), redrawn
// whole with the layouts kept, with one label changed (a kWh counter), unchanged; charging with a
// moving gauge over its animated background, and with its kWh counter changing too; a slide frame
// whose offset moves. bench/report.py divides each by memcpy_frame/<size> of the same run. On a
// tree without damage tracking every frame is a full redraw, so the same file measures the before.
#include <benchmark/benchmark.h>

#include <string>

#include "capi/state.h"
#include "screens.h"

namespace {

constexpr int sizes[][2] = {{800, 480}, {1280, 800}};

#if __has_include("kivo/damage.h")
void full_redraw(bool on)
{
    kivo::state::renderer->set_full_redraw(on);
}
void redraw_all()
{
    kivo::state::renderer->redraw_all();
}
#else
void full_redraw(bool)
{
}
void redraw_all()
{
}
#endif

// The home screen as the host sets it, its second connector reading `counter`.
void set_home(const char* counter)
{
    bench::set(0, bench::Screen::Home);
    kivo::ScreenDef& home = kivo::state::screens[0];
    if (counter)
        home.labels[1].text = counter;
}

void home(benchmark::State& state, int w, int h, const char* mode)
{
    bench::ensure(w, h);
    const std::string m = mode;
    full_redraw(m == "full");
    set_home(nullptr);
    kivo_present(0);
    // New text every frame; the screen is set through kivo_set_screen as a host would.
    std::string counter;
    unsigned i = 0;
    for (auto _ : state) {
        if (m == "one_label") {
            counter = bench::counter_text(i++);
            set_home(counter.c_str());
        } else if (m == "redrawn") {
            redraw_all();
        }
        kivo_present(0);
    }
    full_redraw(false);
}

// The gauge's value moving every frame; with `counter`, the kWh counter inside it too, as on a
// real charging screen.
void charging(benchmark::State& state, int w, int h, bool counter)
{
    bench::ensure(w, h);
    bench::set(0, bench::Screen::Charging);
    kivo_present(0);
    kivo::Label& gauge = kivo::state::screens[0].labels[0];
    kivo::Label& kwh = kivo::state::screens[0].labels[1];
    float value = 0.2f;
    unsigned i = 0;
    for (auto _ : state) {
        value = value < 0.9f ? value + 0.001f : 0.2f;
        gauge.value = value;
        if (counter)
            kwh.text = bench::counter_text(i++);
        kivo_present(0);
    }
}

// Home sliding out while charging comes in, the offset moving by a few pixels every frame.
void slide(benchmark::State& state, int w, int h)
{
    bench::ensure(w, h);
    bench::set(0, bench::Screen::Home);
    bench::set(1, bench::Screen::Charging);
    int offset = -w / 4;
    for (auto _ : state) {
        offset = offset > -w / 2 ? offset - 3 : -w / 4;
        kivo_present(offset);
    }
}

[[maybe_unused]] const bool registered = [] {
    for (const auto& [w, h] : sizes) {
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        for (const char* mode : {"full", "redrawn", "one_label", "unchanged"})
            benchmark::RegisterBenchmark(("home/" + size + "/" + mode).c_str(), home, w, h, mode);
        benchmark::RegisterBenchmark(("charging/" + size).c_str(), charging, w, h, false);
        benchmark::RegisterBenchmark(("charging_counter/" + size).c_str(), charging, w, h, true);
        benchmark::RegisterBenchmark(("slide/" + size).c_str(), slide, w, h);
    }
    return true;
}();

} // namespace
