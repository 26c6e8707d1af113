// Images onto the drawing surface, as the renderer and its fast path draw them.
#pragma once

#include <vector>

#include <SDL2/SDL.h>

#include "image/blit_plan.h"

namespace kivo {

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

} // namespace kivo
