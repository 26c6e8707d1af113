// Arcs drawn pixel by pixel: the same pixels whatever rectangles they are drawn in, and with every
// pixel measured; every inked pixel within the stroke's box, and every pixel that differs between
// two ends within the box said to change.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/arc_stroke.h"

namespace {

constexpr double pi = std::numbers::pi;
constexpr int side = 97;

struct Canvas {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, side, side, 32, SDL_PIXELFORMAT_ARGB8888);
    Canvas()
    {
        // A pattern under the arcs, so that a blend with the wrong pixel shows.
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                at(x, y) =
                    0xff000000u | std::uint32_t(x * 2) << 16 | std::uint32_t(y * 2) << 8 | 77;
    }
    ~Canvas() { SDL_FreeSurface(s); }
    std::uint32_t& at(int x, int y)
    {
        return static_cast<std::uint32_t*>(s->pixels)[y * s->pitch / 4 + x];
    }
};

bool within(const SDL_Rect& r, int x, int y)
{
    return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h;
}

struct Arc {
    double cx, cy, radius, half, from, to;
    kivo::ArcStroke stroke() const { return {cx, cy, radius, half, from, to}; }
};

// Round ends in every quadrant, sweeps under and over half a turn, backwards (raised by turns),
// past a turn (a ring), negative radius, a dot, thin strokes, a centre off the surface, angles
// too large to step through, and translucent colour.
const Arc arcs[] = {{48, 48, 30, 10, 0.75 * pi, 1.2 * pi}, {48, 48, 30, 10, 2.4, 2.4 + 2.9},
    {48, 48, 30, 10, -1.0, -1.0 + 3.5}, {48, 48, 30, 10, 5.5, 1.0}, {48, 48, 30, 10, 0.3, 7.0},
    {48, 48, -25, 4, 0.2, 2.0}, {48, 48, 36, 10, 1.0, 1.0}, {48, 48, 20.5, 1, -pi, pi / 3},
    {-10, 60, 60, 10, -0.5, 0.9}, {40, 50, 30, 10, 3e6, 3e6 + 1}, {47, 49, 0, 6, 0.0, 1.0}};

TEST(ArcStroke, PixelsAreTheSameInAnyRectangle)
{
    const kivo::Color colors[] = {{230, 40, 20, 255}, {20, 90, 240, 140}};
    const SDL_Rect whole{0, 0, side, side};
    Canvas under;
    for (const Arc& a : arcs)
        for (const kivo::Color& color : colors) {
            SCOPED_TRACE(std::to_string(a.radius) + " from " + std::to_string(a.from) + " to " +
                         std::to_string(a.to) + " alpha " + std::to_string(color.a));
            Canvas once, tiled, plain;
            a.stroke().fill(once.s, whole, color);
            a.stroke().fill<true>(plain.s, whole, color);
            // Tiles of odd sizes, some a pixel wide, that cut the stroke every way.
            for (int y = 0; y < side;) {
                const int h = 1 + (y * 7) % 23;
                for (int x = 0; x < side;) {
                    const int w = 1 + (x * 5 + y) % 19;
                    a.stroke().fill(tiled.s, {x, y, w, h}, color);
                    x += w;
                }
                y += h;
            }
            const SDL_Rect box = a.stroke().box();
            int inked = 0;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x) {
                    ASSERT_EQ(once.at(x, y), tiled.at(x, y)) << x << "," << y;
                    ASSERT_EQ(once.at(x, y), plain.at(x, y)) << "plain " << x << "," << y;
                    if (once.at(x, y) != under.at(x, y)) {
                        ++inked;
                        ASSERT_TRUE(within(box, x, y)) << x << "," << y;
                        // A radius of 0 or less is a dot at the centre, as cairo_arc draws it.
                        if (a.radius <= 0) {
                            ASSERT_LT(std::hypot(x + 0.5 - a.cx, y + 0.5 - a.cy), a.half + 0.5);
                        }
                    }
                }
            EXPECT_GT(inked, 0);
        }
}

// An end moving a little, across a quarter turn, onto and past a whole turn, backwards and
// wrapping below the start: what differs lies in changed().
TEST(ArcStroke, WhatAnEndChangesLiesInTheBoxOfThePartItSwept)
{
    const double start = 0.75 * pi;
    const double ends[][2] = {{start + 1.0, start + 1.01}, {start + 1.4, start + 1.8},
        {start + 0.5, start + 2 * pi}, {start + 6.0, start + 7.0}, {start + 0.2, start - 0.3},
        {start, start + 0.001}, {start + 3.0, start + 2.0}, {start + 7.0, start + 8.0}};
    for (double radius : {30.0, -28.0})
        for (const auto& e : ends) {
            SCOPED_TRACE(std::to_string(radius) + ": " + std::to_string(e[0] - start) + " to " +
                         std::to_string(e[1] - start));
            const kivo::ArcStroke was(48, 48, radius, 10, start, e[0]),
                now(48, 48, radius, 10, start, e[1]);
            Canvas before, after;
            was.fill(before.s, {0, 0, side, side}, {200, 30, 30, 255});
            now.fill(after.s, {0, 0, side, side}, {200, 30, 30, 255});
            const SDL_Rect changed = was.changed(now);
            int differ = 0;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x)
                    if (before.at(x, y) != after.at(x, y)) {
                        ++differ;
                        ASSERT_TRUE(within(changed, x, y)) << x << "," << y;
                    }
            EXPECT_EQ(differ > 0, changed.w > 0) << "a change where nothing differs, or none";
        }
}

// A pixel the stroke covers whole takes the colour by its alpha, rounded as Cairo blends; one
// beyond an edge keeps its own; one on an edge lies between.
TEST(ArcStroke, CoverageBlendsTheColourOverThePixel)
{
    Canvas c, under;
    const kivo::Color color{20, 90, 240, 140};
    kivo::ArcStroke(48, 48, 30.5, 10, 0, 7).fill(c.s, {0, 0, side, side}, color);
    const auto channel = [](std::uint32_t p, int shift) { return int(p >> shift & 0xff); };
    const int want[] = {color.b, color.g, color.r};
    // Whether the pixel at x on row 48 took the colour whole.
    const auto whole = [&](int x) {
        bool all = true;
        for (int i = 0; i < 3; ++i) {
            const int d = channel(under.at(x, 48), 8 * i);
            all = all && channel(c.at(x, 48), 8 * i) == (want[i] * 140 + d * 115 + 127) / 255;
        }
        return all;
    };
    EXPECT_TRUE(whole(78));
    // Beyond the inner and outer edge, and on them.
    for (int x : {67, 89})
        EXPECT_EQ(c.at(x, 48), under.at(x, 48)) << x;
    for (int x : {68, 88}) {
        EXPECT_NE(c.at(x, 48), under.at(x, 48)) << x;
        EXPECT_FALSE(whole(x)) << x;
    }
}

} // namespace
