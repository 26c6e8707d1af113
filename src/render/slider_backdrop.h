// kivo::SliderBackdrop: the pixels under a slider's value arc, kept from the frame that drew them.
// Private to the renderer.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include <SDL2/SDL.h>

#include "kivo/screen.h"
#include "kivo/surface.h"
#include "render/elements.h"

namespace kivo {

// What lies under a slider's value arc within its bounds (everything drawn below it and its own
// track and band), so that a frame that moves only the value and marker copies it back and strokes
// just those. The pixels are valid while their key stays the same: the slider's bounds, its place
// and band (corner, size, colour, band value), the image cache's generation, and the elements
// drawn below it that meet its bounds, each showing the same. That is all they depend on, so they
// stay valid through frames that draw the slider without keeping them.
class SliderBackdrop {
  public:
    // Whether the kept pixels are those under slider, drawn over the elements below (every element
    // of the frame before it) with the cache at generation.
    bool holds(
        const Element& slider, std::uint64_t generation, std::span<const Element> below) const;
    // Keeps the pixels of target within slider's bounds under that key; keeps nothing when the
    // copy cannot be allocated.
    void take(const SDL_Surface* target, const Element& slider, std::uint64_t generation,
        std::span<const Element> below);
    // Copies the kept pixels back over the slider's bounds within the target's clip rectangle;
    // only after holds() said yes.
    void restore(SDL_Surface* target) const;

    // Where slider is drawn in this frame; whether that is where it was drawn last (a backdrop is
    // taken only of a slider that stays in place, not in every frame of a slide).
    bool placed(const Element& slider);

  private:
    Surface pixels_;
    bool valid_ = false;
    SDL_Rect rect_{};
    SliderPlace place_;
    std::uint32_t band_ = 0;
    std::uint64_t generation_ = 0;
    std::vector<Element> under_;
    SDL_Rect drawn_rect_{};
    std::int64_t drawn_left_ = 0;
};

} // namespace kivo
