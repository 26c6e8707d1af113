// Heap allocations per presented frame of each reference screen and of the transition frame, by
// the library that made them. The times of these benchmarks include the counting and are not
// figures. With KIVO_BENCH_ALLOC_SITES=<file> our call sites (executable offsets, per frame) are
// written there at exit, for addr2line.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "alloc_count.h"
#include "capi/state.h"
#include "screens.h"

namespace {

// The last tally of each frame kind, written out at exit.
struct SiteWriter {
    std::map<std::string, alloc_count::Tally> tallies;
    std::map<std::string, std::uint64_t> frames;
    ~SiteWriter()
    {
        const char* path = std::getenv("KIVO_BENCH_ALLOC_SITES");
        if (!path)
            return;
        FILE* f = std::fopen(path, "w");
        if (!f)
            return;
        for (const auto& [name, tally] : tallies)
            for (const auto& [offset, n] : tally.sites)
                std::fprintf(f, "%s 0x%lx %.3f\n", name.c_str(), static_cast<unsigned long>(offset),
                    double(n) / double(frames[name]));
        std::fclose(f);
    }
} site_writer;

// mode: "" presents the screen unchanged, "one_label" changes the text of its second label
// before every frame, "full" redraws it in full every frame (the reference).
void allocations(
    benchmark::State& state, const std::string& name, int offset, const std::string& mode)
{
    bench::ensure(800, 480);
    kivo::state::renderer->set_full_redraw(mode == "full");
    if (name == "transition") {
        bench::set(0, bench::Screen::Home);
        bench::set(1, bench::Screen::Charging);
    } else {
        for (bench::Screen s : bench::all_screens)
            if (name == bench::name(s))
                bench::set(0, s);
    }
    kivo_present(offset);

    alloc_count::Tally tally;
    unsigned i = 0;
    for (auto _ : state) {
        if (mode == "one_label")
            kivo::state::screens[0].labels[1].text = bench::counter_text(i++);
        alloc_count::start(&tally);
        kivo_present(offset);
        alloc_count::stop();
    }
    for (int o = 0; o < alloc_count::origin_count; ++o)
        state.counters[alloc_count::origin_names[o]] =
            benchmark::Counter(double(tally.count[o]), benchmark::Counter::kAvgIterations);
    kivo::state::renderer->set_full_redraw(false);
    const std::string key = mode.empty() ? name : name + "_" + mode;
    site_writer.frames[key] = state.iterations();
    site_writer.tallies[key] = std::move(tally);
}

[[maybe_unused]] const bool registered = [] {
    for (bench::Screen s : bench::all_screens)
        benchmark::RegisterBenchmark((std::string("alloc/") + bench::name(s)).c_str(), allocations,
            std::string(bench::name(s)), 0, std::string());
    benchmark::RegisterBenchmark(
        "alloc/transition", allocations, std::string("transition"), 200, std::string());
    for (const char* mode : {"one_label", "full"})
        benchmark::RegisterBenchmark((std::string("alloc/home_") + mode).c_str(), allocations,
            std::string("home"), 0, std::string(mode));
    return true;
}();

} // namespace
