// One element of a frame as the fast path lists it. Private to the renderer.
#pragma once

#include <cstddef>
#include <cstdint>

#include <SDL2/SDL.h>

#include "kivo/screen.h"

namespace kivo {

class BlitPlan;

// One element of a frame, in stacking order: what it shows (enough to tell whether it shows the
// same next time) and the rectangle of the surface it may touch.
struct Item {
    enum class Kind : std::uint8_t { Blit, Text, Qr, Slider, Carousel };
    Kind kind = Kind::Blit;
    // Redrawn whole or not at all: a redrawn region that meets it grows to cover it.
    bool whole = false;
    bool background = false;
    SDL_Rect bounds{};
    // Blit: the image, its plan and its corner.
    const SDL_Surface* image = nullptr;
    BlitPlan* plan = nullptr;
    int x = 0, y = 0;
    // Text, Qr, Slider: this frame's label and its offset.
    const Label* label = nullptr;
    int offset = 0;
    // Text: the slot and its version, the corner and colour of the text, whether it is shown.
    // Slider: the slot is its backdrop's (set before drawing).
    std::size_t slot = 0;
    std::uint64_t version = 0;
    std::int64_t left = 0;
    bool shown = false;
    // Text, Qr and Slider: what they draw from, as the frame showed it (for Text the corner and
    // colour only; the slot holds the rest).
    Label seen;
    // Slider: its backdrop is copied back over its bounds in this frame (set before drawing).
    bool restores = false;
    CarouselPos carousel;

    bool shows_same(const Item& other) const;
    // Both are sliders in the same place with the same track: only their value, band or marker
    // may differ.
    bool same_gauge(const Item& other) const;
};

} // namespace kivo
