// kivo::AlphaBlend: SDL's blend of a translucent image, eight pixels at a time.
#pragma once

#include <SDL2/SDL.h>

namespace kivo {

// SDL blends a 0xAARRGGBB image onto a 0xAARRGGBB surface one pixel at a time: on x86 with its
// MMX arithmetic, on 32-bit ARM (Debian's build has no ARM vector blitters) with its portable C.
// Where the processor has AVX2, or NEON, the same arithmetic eight pixels at a time does that work
// at a fraction of the cost, once it is shown to give the same bytes as the SDL loaded in this
// process (checked on first use, over every alpha). Anywhere else, or with an SDL that rounds
// otherwise, SDL keeps blending.
class AlphaBlend {
  public:
    // Whether blend_rows may stand in for SDL's blend in this process.
    static bool matches_sdl();
    // Whether the renderer blends through blend_rows: matches_sdl(), unless switched_off. The
    // tests switch it off so that a machine with the vector units still proves the path where
    // SDL blends.
    static bool in_use() { return !switched_off && matches_sdl(); }
    static inline bool switched_off = false;
    // Blends w x h pixels of src over dst, rows pitch bytes apart on each side; both in
    // working_format, not overlapping. Only call it when matches_sdl() is true (elsewhere it
    // does nothing, or needs instructions the processor lacks).
    static void blend_rows(
        const Uint8* src, int src_pitch, Uint8* dst, int dst_pitch, int w, int h);
};

} // namespace kivo
