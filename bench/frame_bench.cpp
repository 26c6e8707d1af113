// Whole frames: the reference copy (memcpy of one frame into the emulated mapping), present(),
// the reference screens composed and presented, a transition frame, window creation and the
// first present. bench/report.py divides every figure by memcpy_frame/800x480 of the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "capi/state.h"
#include "kivo_emu.h"
#include "screens.h"

namespace {

constexpr int sizes[][2] = {{800, 480}, {1280, 800}};
// Padded rows: 32 pixels of padding, as drivers that align rows leave them.
constexpr std::uint32_t padded(int width)
{
    return std::uint32_t(width + 32) * 4;
}

void memcpy_frame(benchmark::State& state, int width, int height)
{
    bench::ensure(width, height);
    const bench::FbMapping fb;
    const void* src = kivo::state::window->surface()->pixels;
    const std::size_t n = bench::frame_bytes(width, height);
    for (auto _ : state) {
        std::memcpy(fb.data(), src, n);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(n));
}

void present(benchmark::State& state, int width, int height, bool pad)
{
    bench::ensure(width, height, pad ? padded(width) : 0);
    kivo::Window& window = *kivo::state::window;
    for (auto _ : state) {
        window.present();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(
        std::int64_t(state.iterations()) * std::int64_t(bench::frame_bytes(width, height)));
}

// present() on a panel of another layout, converting as it copies: the whole frame (rows 0), or
// (rows > 0) a full-width band of that many rows as a damaged label, which costs in proportion to
// its rows (every 64th present still copies the whole frame).
void present_format(benchmark::State& state, const char* format, int rows)
{
    bench::close();
    kivo_emu_fb_set_format(format);
    bench::ensure(800, 480);
    kivo::Window& window = *kivo::state::window;
    kivo::Damage band;
    band.add(SDL_Rect{0, 200, 800, rows});
    for (auto _ : state) {
        if (rows)
            window.present(band);
        else
            window.present();
        benchmark::ClobberMemory();
    }
    bench::close();
    kivo_emu_fb_set_format("xrgb8888");
}

// Composed and presented through the C interface.
void frame(benchmark::State& state, bench::Screen screen)
{
    bench::ensure(800, 480);
    bench::set(0, screen);
    kivo_present(0);
    for (auto _ : state)
        kivo_present(0);
}

// Composed only: the renderer's part of frame().
void compose(benchmark::State& state, bench::Screen screen)
{
    bench::ensure(800, 480);
    bench::set(0, screen);
    kivo_present(0);
    kivo::Renderer& renderer = *kivo::state::renderer;
    for (auto _ : state)
        renderer.draw(kivo::state::screens[0]);
}

// Home sliding out to the right while charging comes in from the left, a quarter of the way.
void transition(benchmark::State& state)
{
    bench::ensure(800, 480);
    bench::set(0, bench::Screen::Home);
    bench::set(1, bench::Screen::Charging);
    kivo_present(200);
    for (auto _ : state)
        kivo_present(200);
}

void create_window(benchmark::State& state)
{
    bench::close();
    bench::init_sdl();
    const ConfigRecord c = bench::config();
    for (auto _ : state) {
        kivo_create_window(800, 480, &c);
        state.PauseTiming();
        kivo_destroy_window();
        state.ResumeTiming();
    }
}

// The first present after kivo_create_window: the background and icon are loaded then.
void first_present(benchmark::State& state)
{
    bench::close();
    bench::init_sdl();
    const ConfigRecord c = bench::config();
    for (auto _ : state) {
        state.PauseTiming();
        kivo_create_window(800, 480, &c);
        bench::set(0, bench::Screen::Home);
        state.ResumeTiming();
        kivo_present(0);
        state.PauseTiming();
        kivo_destroy_window();
        state.ResumeTiming();
    }
}

[[maybe_unused]] const bool registered = [] {
    for (const auto& [w, h] : sizes) {
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        benchmark::RegisterBenchmark(("memcpy_frame/" + size).c_str(), memcpy_frame, w, h);
        benchmark::RegisterBenchmark(("present/" + size + "/equal").c_str(), present, w, h, false);
        benchmark::RegisterBenchmark(("present/" + size + "/padded").c_str(), present, w, h, true);
    }
    for (const char* format : {"rgb565", "rgb888", "xbgr8888"}) {
        const std::string name = std::string("present/800x480/") + format;
        benchmark::RegisterBenchmark(name.c_str(), present_format, format, 0);
        for (int rows : {48, 240})
            benchmark::RegisterBenchmark(
                (name + "/rows:" + std::to_string(rows)).c_str(), present_format, format, rows);
    }
    for (bench::Screen s : bench::all_screens) {
        benchmark::RegisterBenchmark((std::string("frame/") + bench::name(s)).c_str(), frame, s);
        benchmark::RegisterBenchmark(
            (std::string("compose/") + bench::name(s)).c_str(), compose, s);
    }
    benchmark::RegisterBenchmark("frame/transition", transition);
    benchmark::RegisterBenchmark("create_window", create_window)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("first_present", first_present)->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
