// Images onto the drawing surface, as the renderer and its fast path draw them.
#pragma once

#include <cstddef>
#include <cstring>
#include <vector>

#include <SDL2/SDL.h>

namespace kivo {

class BlitPlan;

// Blits image with its corner at (x, y). The reference (the full redraw) has SDL blit the whole
// image. Otherwise an opaque image is copied, and an image with a plan has its opaque parts
// copied, only the rest blended and its transparent margins left alone. plan is the image's own
// (Surface::plan, Animation::plan).
void blit(SDL_Surface* target, SDL_Surface* image, BlitPlan* plan, int x, int y, bool reference);
// The rectangles of target that blit() of image at x, y (not the reference) copies over whatever
// lies under them.
void add_copied(const SDL_Surface* target, const SDL_Surface* image, BlitPlan* plan, int x, int y,
    std::vector<SDL_Rect>& out);
// For an image whose blit copies (Surface::copies): the copy except where the rectangles over are
// copied later in the same frame.
void blit_around(
    SDL_Surface* target, SDL_Surface* image, int x, int y, const std::vector<SDL_Rect>& over);

inline Uint8* pixel_at(const SDL_Surface* s, int x, int y)
{
    return static_cast<Uint8*>(s->pixels) + std::ptrdiff_t(y) * s->pitch +
           std::ptrdiff_t(x) * s->format->BytesPerPixel;
}

// Copies h rows of `bytes` bytes each between two surfaces' pixels.
inline void copy_rows(Uint8* to, int to_pitch, const Uint8* from, int from_pitch, int bytes, int h)
{
    for (int row = 0; row < h; ++row)
        std::memcpy(to + std::ptrdiff_t(row) * to_pitch, from + std::ptrdiff_t(row) * from_pitch,
            std::size_t(bytes));
}

} // namespace kivo
