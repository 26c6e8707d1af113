// SDL's own blitters between two plain 800 x 480 surfaces: what a background costs inside SDL,
// beside memcpy_frame/800x480 of the same run; and SDL's blend of a translucent image beside the
// library's AlphaBlend, which gives the same bytes.
#include <benchmark/benchmark.h>

#include <SDL2/SDL.h>

#include <cstring>

#include "image/alpha_blend.h"

namespace {

constexpr int width = 800, height = 480;

struct Pair {
    SDL_Surface* src =
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Surface* dst =
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    // Opaque, or every alpha, over varied colours.
    explicit Pair(bool translucent = false)
    {
        auto* p = static_cast<Uint32*>(src->pixels);
        for (int i = 0; i < width * height; ++i)
            p[i] = (translucent ? Uint32(i) << 24 : 0xff000000u) | Uint32(i * 2654435761u >> 8);
    }
    ~Pair()
    {
        SDL_FreeSurface(src);
        SDL_FreeSurface(dst);
    }
};

// SDL's blit of src with blend mode: NONE is SDL_BlitCopy (on x86 its SSE path copies rows with
// non-temporal stores), BLEND the per-pixel alpha blitter, on an image whose every pixel is opaque
// (an animated background) or on one of every alpha (a shadow, a translucent button).
void blit(benchmark::State& state, SDL_BlendMode mode, bool translucent)
{
    Pair pair(translucent);
    SDL_SetSurfaceBlendMode(pair.src, mode);
    for (auto _ : state) {
        SDL_BlitSurface(pair.src, nullptr, pair.dst, nullptr);
        benchmark::ClobberMemory();
    }
}

// The same blend by the library, where it matches SDL on this machine.
void alpha_blend_translucent(benchmark::State& state)
{
    if (!kivo::AlphaBlend::matches_sdl()) {
        state.SkipWithError("SDL blends on this machine");
        return;
    }
    Pair pair(true);
    for (auto _ : state) {
        kivo::AlphaBlend::blend_rows(static_cast<const Uint8*>(pair.src->pixels), pair.src->pitch,
            static_cast<Uint8*>(pair.dst->pixels), pair.dst->pitch, width, height);
        benchmark::ClobberMemory();
    }
}

// The same bytes with memcpy, between the same two surfaces.
void plain_memcpy(benchmark::State& state)
{
    Pair pair;
    for (auto _ : state) {
        std::memcpy(pair.dst->pixels, pair.src->pixels, std::size_t(width) * height * 4);
        benchmark::ClobberMemory();
    }
}

BENCHMARK_CAPTURE(blit, copy, SDL_BLENDMODE_NONE, false)->Name("sdl/blit_copy_800x480");
BENCHMARK_CAPTURE(blit, opaque, SDL_BLENDMODE_BLEND, false)->Name("sdl/blit_blend_opaque_800x480");
BENCHMARK_CAPTURE(blit, translucent, SDL_BLENDMODE_BLEND, true)
    ->Name("sdl/blit_blend_translucent_800x480");
BENCHMARK(alpha_blend_translucent)->Name("kivo/alpha_blend_translucent_800x480");
BENCHMARK(plain_memcpy)->Name("sdl/memcpy_800x480");

} // namespace
