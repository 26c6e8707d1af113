// The parts of a frame one by one, drawn through the renderer into the 800 x 480 surface, and the
// per-frame bookkeeping: cache expiry over 500 entries, hit tests over 100 labels.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <SDL2/SDL.h>

#include <filesystem>
#include <string>
#include <vector>

#include "capi/state.h"
#include "screens.h"

namespace {

kivo::Renderer& renderer()
{
    bench::ensure(800, 480);
    return *kivo::state::renderer;
}

void background(benchmark::State& state, const char* ref)
{
    kivo::Renderer& r = renderer();
    const std::string name = ref;
    r.draw_background(name, 0);
    for (auto _ : state)
        r.draw_background(name, 0);
}

void buttons(benchmark::State& state, int mask)
{
    kivo::Renderer& r = renderer();
    for (auto _ : state)
        r.draw_buttons(mask);
}

void carousel(benchmark::State& state)
{
    kivo::Renderer& r = renderer();
    for (auto _ : state)
        r.draw_carousel({0, 3});
}

void label(benchmark::State& state, kivo::Label (*make)())
{
    kivo::Renderer& r = renderer();
    const kivo::Label l = make();
    // The kind switch of a frame (draw_label is private).
    const auto draw = [&r, &l] {
        switch (l.kind) {
        case kivo::LabelKind::Text:
            r.draw_text_label(l, 0);
            break;
        case kivo::LabelKind::Icon:
            r.draw_icon_label(l, 0);
            break;
        case kivo::LabelKind::Qr:
            r.draw_qr_label(l, 0);
            break;
        case kivo::LabelKind::Slider:
            r.draw_slider_label(l, 0);
            break;
        }
    };
    draw();
    for (auto _ : state)
        draw();
}

kivo::Label plain()
{
    return bench::text_label();
}
kivo::Label styled()
{
    return bench::text_label(KIVO_STYLE_AVAILABLE_BUTTON);
}

// 500 tiny images in files of their own, cached under 500 references that do not expire during
// the run: clear_cache scans them all and drops none, as on every frame.
void clear_cache(benchmark::State& state)
{
    kivo::Renderer& r = renderer();
    constexpr int entries = 500;
    if (r.cache_size() < entries) {
        const auto dir =
            std::filesystem::temp_directory_path() / ("kivo-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        SDL_Surface* pixel = SDL_CreateRGBSurfaceWithFormat(0, 1, 1, 32, SDL_PIXELFORMAT_ARGB8888);
        for (int i = 0; r.cache_size() < entries; ++i) {
            const std::string path = (dir / std::to_string(i)).string() + ".bmp";
            SDL_SaveBMP(pixel, path.c_str());
            r.get_image("icon", "file://" + path, 0, 0);
        }
        SDL_FreeSurface(pixel);
        std::filesystem::remove_all(dir);
    }
    for (auto _ : state)
        r.clear_cache();
    state.counters["entries"] = double(r.cache_size());
}

// 100 labels of 80 x 48 in a 10 x 10 grid and the home screen's buttons; each iteration asks
// for 64 points spread over the surface.
void hit_setup()
{
    bench::ensure(800, 480);
    std::vector<LabelRecord> labels;
    for (int i = 0; i < 100; ++i) {
        LabelRecord l{};
        l.x = (i % 10) * 80;
        l.y = (i / 10) * 48;
        l.width = 80;
        l.height = 48;
        l.text = "";
        l.kind = 99; // stored and hit-tested, never drawn
        l.id = std::uint32_t(i + 1);
        labels.push_back(l);
    }
    kivo_set_screen(0, nullptr, nullptr, labels.data(), 100, 0, 0,
        KIVO_BUTTON_LEFT | KIVO_BUTTON_RIGHT | KIVO_BUTTON_MENU | KIVO_BUTTON_BACK |
            KIVO_BUTTON_OK);
    kivo_present(0);
}

constexpr int points = 64;
int px(int i)
{
    return (i * 97) % 800;
}
int py(int i)
{
    return (i * 61) % 480;
}

void label_at(benchmark::State& state)
{
    hit_setup();
    const kivo::Renderer& r = *kivo::state::renderer;
    for (auto _ : state)
        for (int i = 0; i < points; ++i)
            benchmark::DoNotOptimize(r.label_at(px(i), py(i)));
    state.SetItemsProcessed(std::int64_t(state.iterations()) * points);
}

void button_at(benchmark::State& state)
{
    hit_setup();
    const kivo::Renderer& r = *kivo::state::renderer;
    for (auto _ : state)
        for (int i = 0; i < points; ++i)
            benchmark::DoNotOptimize(r.button_at(px(i), py(i)));
    state.SetItemsProcessed(std::int64_t(state.iterations()) * points);
}

[[maybe_unused]] const bool registered = [] {
    benchmark::RegisterBenchmark("element/background", background, "home");
    benchmark::RegisterBenchmark("element/background_animated", background, "charging_anim");
    benchmark::RegisterBenchmark(
        "element/buttons", buttons, KIVO_BUTTON_LEFT | KIVO_BUTTON_RIGHT | KIVO_BUTTON_MENU);
    benchmark::RegisterBenchmark("element/carousel", carousel);
    benchmark::RegisterBenchmark("element/text_label", label, plain);
    benchmark::RegisterBenchmark("element/markup_label", label, bench::markup_label);
    benchmark::RegisterBenchmark("element/styled_label", label, styled);
    benchmark::RegisterBenchmark("element/icon_label", label, bench::icon_label);
    benchmark::RegisterBenchmark("element/qr_label", label, bench::qr_label);
    benchmark::RegisterBenchmark("element/slider_label", label, bench::slider_label);
    benchmark::RegisterBenchmark("element/clear_cache_500", clear_cache);
    benchmark::RegisterBenchmark("hit/label_at_100_labels", label_at);
    benchmark::RegisterBenchmark("hit/button_at", button_at);
    return true;
}();

} // namespace
