// kivo::Damage: the parts of the drawing surface that changed.
#pragma once

#include <array>
#include <cstddef>

#include <SDL2/SDL_rect.h>

#include "kivo/export.h"

namespace kivo {

// A few disjoint rectangles of the drawing surface, or all of it: every pixel lies in one
// rectangle at most. A rectangle added over another is merged with it into their bounding box,
// unless that box is larger than the two by more than 64 x 64 pixels: then only its parts outside
// the other are added. Beyond max_rects rectangles, a new one joins the one whose box grows least.
class KIVO_EXPORT Damage {
  public:
    static constexpr std::size_t max_rects = 8;

    // None. The rectangles' room is left as it is, not cleared: only the first count_ are read.
    Damage() {}

    // Rectangles without area are ignored.
    void add(const SDL_Rect& rect);
    void add(const Damage& other);
    void add_all()
    {
        all_ = true;
        count_ = 0;
    }
    void clear() { *this = Damage(); }

    bool all() const { return all_; }
    bool empty() const { return !all_ && count_ == 0; }
    // The rectangles (none when all() is true).
    const SDL_Rect* begin() const { return rects_.data(); }
    const SDL_Rect* end() const { return rects_.data() + count_; }

  private:
    std::array<SDL_Rect, max_rects> rects_;
    std::size_t count_ = 0;
    bool all_ = false;
};

} // namespace kivo
