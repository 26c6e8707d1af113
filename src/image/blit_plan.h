// kivo::BlitPlan: how an image with translucent pixels is drawn at less than the cost of blending
// all of it.
#pragma once

#include <cstddef>
#include <cstring>
#include <vector>

#include <SDL2/SDL.h>

namespace kivo {

// The pixel at x, y of a surface's pixels; its row when x is 0.
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

// A part of an image, relative to its corner: opaque pixels to copy, or pixels to blend.
struct BlitPart {
    SDL_Rect rect;
    bool copy;
};

// Disjoint parts of an image in working_format that together hold every pixel that is not wholly
// transparent: the larger rectangles of opaque pixels to copy, the rest to blend. Drawing the
// parts gives the bytes of one blended blit of the image, since SDL's blend leaves the pixels
// under a transparent pixel as they were and writes an opaque pixel as it is.
//
// A plan belongs to one image and is held beside it (by its Surface, or by its Animation for a
// frame). Its parts are worked out when they are first asked for, so that images never drawn
// cost nothing.
class BlitPlan {
  public:
    // The parts of image, the one this plan belongs to; null when blending it whole costs no
    // more (always for an image of more than 2^21 pixels).
    const std::vector<BlitPart>* parts(const SDL_Surface* image);

  private:
    std::vector<BlitPart> parts_;
    bool made_ = false, whole_ = false;
};

} // namespace kivo
