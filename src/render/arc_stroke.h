// kivo::ArcStroke: a stroke with round ends along an arc of a circle, drawn pixel by pixel.
// Private to the renderer.
#pragma once

#include <SDL2/SDL.h>

#include "kivo/screen.h"

namespace kivo {

// Every pixel's coverage is a function of its centre's distance from the arc alone (full within
// half a pixel inside the stroke's edge, none beyond half a pixel outside, linear between), so a
// pixel comes out the same whatever rectangle it is drawn in, and moving an end changes only the
// pixels within reach of the part of the arc it swept.
class ArcStroke {
  public:
    // The arc as Cairo's cairo_arc takes it: around cx, cy, from angle `from` to `to` (an end
    // below the start raised by whole turns, a whole turn or more drawn as a ring; a radius of 0
    // or less a round dot at the centre), stroked `half` to either side. Angles that are not
    // finite draw nothing.
    ArcStroke(double cx, double cy, double radius, double half, double from, double to);

    bool drawn() const { return drawn_; }
    // The pixels this stroke may cover; empty when it draws nothing.
    SDL_Rect box() const;
    // The pixels whose coverage may differ between this stroke and `other`, an arc of the same
    // circle and width from the same start: those within reach of the part one covers and the
    // other does not. Both must be drawn.
    SDL_Rect changed(const ArcStroke& other) const;

    // Blends color over the pixels of target (32 bits a pixel) within clip, in proportion to their
    // coverage. Rows and pixels out of reach are skipped unmeasured; with every_pixel none is: the
    // plain reference, the same bytes.
    template <bool every_pixel = false>
    void fill(SDL_Surface* target, const SDL_Rect& clip, const Color& color) const;

  private:
    // The pixels within reach of the arc from angle a to b (a <= b, both in this arc's turn).
    SDL_Rect box_of(double a, double b) const;

    double cx_, cy_, radius_, half_;
    double from_ = 0, to_ = 0, end_ = 0; // end_: to_, or a turn past from_ for a ring
    bool drawn_ = false, ring_ = false;
};

} // namespace kivo
