// kivo::BlitPlan: how an image with translucent pixels is drawn at less than the cost of blending
// all of it.
#pragma once

#include <vector>

#include <SDL2/SDL.h>

namespace kivo {

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
