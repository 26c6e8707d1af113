// The elements of a frame as the fast path lists them: what each shows, as a value of its kind
// that the compiler compares, and the rectangle of the surface it may touch. Private to the
// renderer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>
#include <variant>

#include <SDL2/SDL.h>

#include "kivo/screen.h"

namespace kivo {

class BlitPlan;

// An image and its corner: a background, an icon, a button, a text label's style image.
struct ShownImage {
    const SDL_Surface* image = nullptr;
    BlitPlan* plan = nullptr;
    int x = 0, y = 0;
    bool background = false;
    bool operator==(const ShownImage&) const = default;
};

// A text label: its slot and the version of the text laid out there, its corner and colour.
struct ShownText {
    std::size_t slot = 0;
    std::uint64_t version = 0;
    std::int64_t left = 0;
    int top = 0;
    Color color;
    bool shown = false;
    bool operator==(const ShownText&) const = default;
};

// A QR label: its slot and the version of the code encoded there, its rectangle and colour (the
// alpha is not drawn, so it is left out).
struct ShownQr {
    std::size_t slot = 0;
    std::uint64_t version = 0;
    int left = 0, y = 0, width = 0, height = 0;
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const ShownQr&) const = default;
};

// Where a slider is and its track's colour: while these stay, only its values may move.
struct SliderPlace {
    std::int64_t left = 0;
    int y = 0, width = 0, height = 0;
    Color color;
    bool operator==(const SliderPlace&) const = default;
};

// A slider: its place and its values, as bits (a NaN is the same NaN, 0 and -0 differ).
struct ShownSlider {
    SliderPlace place;
    std::uint32_t band = 0, value = 0, marker = 0;
    bool operator==(const ShownSlider&) const = default;
};

struct ShownCarousel {
    int current = 0, count = 0;
    bool operator==(const ShownCarousel&) const = default;
};

using Shown = std::variant<ShownImage, ShownText, ShownQr, ShownSlider, ShownCarousel>;

// One element of a frame, in stacking order.
struct Element {
    Shown shown;
    SDL_Rect bounds{};
    // The label a QR or slider element draws and its offset, this frame's (not compared).
    const Label* label = nullptr;
    int offset = 0;
    // A slider's backdrop, and whether it is copied back over its bounds (set before drawing).
    std::size_t backdrop = 0;
    bool restores = false;
    // Drawn in place whatever the offset of a slide: the buttons and the carousel.
    bool fixed = false;

    Element() = default;
    // What it shows, of any kind, made in place (not made aside and copied).
    template <class T>
    Element(const T& shown, const SDL_Rect& bounds, const Label* label = nullptr, int offset = 0)
        : shown(shown), bounds(bounds), label(label), offset(offset)
    {
    }

    bool shows_same(const Element& o) const
    {
        return SDL_RectEquals(&bounds, &o.bounds) &&
               same(o, std::make_index_sequence<std::variant_size_v<Shown>>{});
    }
    // Redrawn whole or not at all: a QR code and the carousel. (Images, texts and a slider's
    // strokes come out the same clipped to any rectangle, and are drawn clipped to a region.)
    bool whole() const
    {
        return !std::holds_alternative<ShownImage>(shown) &&
               !std::holds_alternative<ShownSlider>(shown) &&
               !std::holds_alternative<ShownText>(shown);
    }
    template <class T> const T* as() const { return std::get_if<T>(&shown); }
    // What it shows drawn dx further right (its bounds are left as they are).
    Shown moved(int dx) const
    {
        const auto move = [dx](auto& v) {
            using T = std::remove_reference_t<decltype(v)>;
            v = static_cast<T>(std::clamp<std::int64_t>(std::int64_t{v} + dx,
                std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
        };
        Shown s = shown;
        std::visit(
            [&](auto& e) {
                if constexpr (requires { e.x; })
                    move(e.x);
                else if constexpr (requires { e.left; })
                    move(e.left);
                else if constexpr (requires { e.place; })
                    move(e.place.left);
            },
            s);
        return s;
    }
    // shown == o.shown, each kind's comparison inlined.
    template <std::size_t... I> bool same(const Element& o, std::index_sequence<I...>) const
    {
        return ((shown.index() == I && o.shown.index() == I &&
                    *std::get_if<I>(&shown) == *std::get_if<I>(&o.shown)) ||
                ...);
    }
};

} // namespace kivo
