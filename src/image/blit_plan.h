// kivo::BlitPlan: how an image with translucent pixels is drawn at less than the cost of blending
// all of it.
#pragma once

#include <span>
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
// A plan lives in the image's userdata from attach() until detach(), which whoever frees the
// image calls first.
class BlitPlan {
  public:
    // Makes the plan of an image with translucent pixels, unless blending it whole costs no more.
    static void attach(SDL_Surface* image);
    static void detach(SDL_Surface* image);
    // The image's plan, or null.
    static const BlitPlan* of(const SDL_Surface* image)
    {
        return static_cast<const BlitPlan*>(image->userdata);
    }

    std::span<const BlitPart> parts() const { return parts_; }

  private:
    std::vector<BlitPart> parts_;
};

} // namespace kivo
