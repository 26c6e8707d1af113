// SDL's own blitters between two plain 800 x 480 surfaces, without the library: what a
// background costs inside SDL, beside memcpy_frame/800x480 of the same run.
#include <benchmark/benchmark.h>

#include <SDL2/SDL.h>

#include <cstring>

namespace {

constexpr int width = 800, height = 480;

struct Pair {
    SDL_Surface* src =
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Surface* dst =
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    Pair()
    {
        auto* p = static_cast<Uint32*>(src->pixels);
        for (int i = 0; i < width * height; ++i)
            p[i] = 0xff000000u | Uint32(i * 2654435761u >> 8); // opaque, varied colours
    }
    ~Pair()
    {
        SDL_FreeSurface(src);
        SDL_FreeSurface(dst);
    }
};

// SDL_BlitCopy: on x86 its SSE path copies rows with non-temporal stores.
void copy(benchmark::State& state)
{
    Pair pair;
    SDL_SetSurfaceBlendMode(pair.src, SDL_BLENDMODE_NONE);
    for (auto _ : state) {
        SDL_BlitSurface(pair.src, nullptr, pair.dst, nullptr);
        benchmark::ClobberMemory();
    }
}

// The per-pixel alpha blitter on an image whose every pixel is opaque (an animated background).
void blend_opaque(benchmark::State& state)
{
    Pair pair;
    SDL_SetSurfaceBlendMode(pair.src, SDL_BLENDMODE_BLEND);
    for (auto _ : state) {
        SDL_BlitSurface(pair.src, nullptr, pair.dst, nullptr);
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

BENCHMARK(copy)->Name("sdl/blit_copy_800x480");
BENCHMARK(blend_opaque)->Name("sdl/blit_blend_opaque_800x480");
BENCHMARK(plain_memcpy)->Name("sdl/memcpy_800x480");

} // namespace
