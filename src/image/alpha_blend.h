// kivo::AlphaBlend: SDL's blend of a translucent image, four pixels at a time.
#pragma once

#include <SDL2/SDL.h>

namespace kivo {

// On x86, SDL blends a 0xAARRGGBB image onto a 0xAARRGGBB surface one pixel at a time. Where the
// processor has AVX2 and the same arithmetic eight pixels at a time gives the same bytes as the
// SDL loaded in this process (checked once, on first use, over every alpha), blend_rows does that
// work at a fraction of the cost. Anywhere else (ARM, whose SDL blitters are vector code already,
// or another SDL whose rounding differs) SDL keeps blending.
class AlphaBlend {
  public:
    // Whether blend_rows may stand in for SDL's blend in this process.
    static bool matches_sdl();
    // Blends w x h pixels of src over dst, rows pitch bytes apart on each side; both in
    // working_format, not overlapping. Only call it when matches_sdl() is true (elsewhere it
    // does nothing, or needs instructions the processor lacks).
    static void blend_rows(
        const Uint8* src, int src_pitch, Uint8* dst, int dst_pitch, int w, int h);
};

} // namespace kivo
