// kivo::ArcStroke::fill against every pixel measured: any circle, width, angles (NaN,
// infinities and huge ones included), colour and clip rectangle on a small surface: the same
// bytes.
#include <algorithm>
#include <string>

#include "input.h"
#include "render/arc_stroke.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    const auto scaled = [&](double by) { return in.take<std::int16_t>() / by; };
    const double cx = scaled(64), cy = scaled(64), radius = scaled(64),
                 half = std::abs(in.take<std::int16_t>()) % 4096 / 128.0;
    const bool exact = in.byte() & 1;
    const double from = exact ? scaled(1024) : in.real(), to = exact ? scaled(1024) : in.real();
    const kivo::Color color{in.byte(), in.byte(), in.byte(), in.byte()};
    const int x = in.byte() % 96 - 16, y = in.byte() % 96 - 16, w = in.byte() % 112,
              h = in.byte() % 112;
    const kivo::ArcStroke stroke(cx, cy, radius, half, from, to);

    constexpr int side = 80;
    SDL_Surface* skipping =
        SDL_CreateRGBSurfaceWithFormat(0, side, side, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Surface* plain =
        SDL_CreateRGBSurfaceWithFormat(0, side, side, 32, SDL_PIXELFORMAT_ARGB8888);
    auto* a = static_cast<std::uint32_t*>(skipping->pixels);
    auto* b = static_cast<std::uint32_t*>(plain->pixels);
    for (int i = 0; i < side * side; ++i)
        a[i] = b[i] = 0xff000000u | std::uint32_t(i) * 2654435761u >> 8;
    stroke.fill(skipping, {x, y, w, h}, color);
    stroke.fill<true>(plain, {x, y, w, h}, color);
    const auto at = std::mismatch(a, a + side * side, b).first - a;
    SDL_FreeSurface(skipping);
    SDL_FreeSurface(plain);
    if (at != side * side)
        fuzz::fail(
            "arc pixels differ at", std::to_string(at % side) + "," + std::to_string(at / side));
    return 0;
}
