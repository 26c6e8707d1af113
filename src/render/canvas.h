// What the renderer draws with, handed to its fast path and to the drawers of each frame, and the
// one walk over the elements of a frame in stacking order. Private to the renderer.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "kivo/renderer.h"

namespace kivo {

struct Canvas {
    // Images by reference, the fixed images and the buttons' places.
    Renderer& renderer;
    SDL_Surface* target;
    cairo_t* cairo;
    // The layout every text label of the full redraw is drawn with.
    PangoLayout* layout;
    const std::array<PangoFontDescription*, 4>& fonts;
    const Config& config;
    const std::unordered_map<std::string, Renderer::CachedImage>& cache;
    // The milliseconds animations advance by in this frame.
    std::int32_t delta_ms;
    // Changes whenever an image cache entry is made or dropped.
    const std::uint64_t& cache_generation;
};

// Draws a label of any kind, as the full redraw does.
void draw_label(const Canvas& c, const Label& label, int offset);

// Calls the visitor for every element of a frame, from the bottom up: the backgrounds, the icons,
// the current screen's buttons and carousel, the labels of each screen.
template <class Visitor>
void walk_frame(const ScreenDef& current, const ScreenDef& first, const ScreenDef* second,
    int offset, int second_offset, Visitor&& v)
{
    const auto each = [&](auto f) {
        f(first, offset);
        if (second)
            f(*second, second_offset);
    };
    each([&](const ScreenDef& s, int at) {
        if (s.background)
            v.background(*s.background, at);
    });
    each([&](const ScreenDef& s, int at) {
        if (s.icon)
            v.icon(*s.icon, at);
    });
    v.buttons(current.buttons);
    if (current.carousel)
        v.carousel(*current.carousel);
    each([&](const ScreenDef& s, int at) {
        for (const Label& label : s.labels)
            v.label(label, at);
    });
}

} // namespace kivo
