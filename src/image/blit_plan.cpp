#include "image/blit_plan.h"

#include <algorithm>
#include <utility>

namespace kivo {

namespace {

// A rectangle of opaque pixels smaller than this is blended with the rest: a blit of its own
// costs more than copying it saves.
constexpr long worth_copying = 256;
// How many times the rectangles left around an opaque one are searched again.
constexpr int depth = 2;
// Larger images (more than a 1920 x 1080 screen) are blended whole: their plan would scan every
// pixel several times, where SDL's blend touches only the part that lands on the surface.
constexpr long most_planned_pixels = 1L << 21;

// The bounds of the pixels in r that are not wholly transparent: each row is searched from its
// two ends for its first and last such pixel.
SDL_Rect visible(const SDL_Surface* image, const SDL_Rect& r)
{
    int x0 = r.x + r.w, y0 = r.y + r.h, x1 = r.x, y1 = r.y;
    for (int y = r.y; y < r.y + r.h; ++y) {
        const Uint32* row = reinterpret_cast<const Uint32*>(pixel_at(image, 0, y));
        int left = r.x, right = r.x + r.w;
        while (left < right && !(row[left] >> 24))
            ++left;
        if (left == right)
            continue;
        while (!(row[right - 1] >> 24))
            --right;
        x0 = std::min(x0, left);
        x1 = std::max(x1, right);
        y0 = std::min(y0, y);
        y1 = y + 1;
    }
    return x1 > x0 ? SDL_Rect{x0, y0, x1 - x0, y1 - y0} : SDL_Rect{};
}

// The largest rectangle of opaque pixels in r: row by row, the run of opaque pixels ending at each
// column is a histogram whose largest rectangle is found with a stack of rising bars.
SDL_Rect largest_opaque(const SDL_Surface* image, const SDL_Rect& r)
{
    std::vector<int> run(std::size_t(r.w) + 1, 0), stack;
    SDL_Rect best{};
    long best_area = 0;
    for (int y = 0; y < r.h; ++y) {
        const Uint32* row = reinterpret_cast<const Uint32*>(pixel_at(image, 0, r.y + y));
        for (int x = 0; x < r.w; ++x)
            run[std::size_t(x)] = (row[r.x + x] >> 24) == 0xff ? run[std::size_t(x)] + 1 : 0;
        stack.clear();
        for (int x = 0; x <= r.w; ++x) {
            while (!stack.empty() && run[std::size_t(stack.back())] >= run[std::size_t(x)]) {
                const int height = run[std::size_t(stack.back())];
                stack.pop_back();
                const int left = stack.empty() ? 0 : stack.back() + 1;
                if (long(height) * (x - left) > best_area) {
                    best_area = long(height) * (x - left);
                    best = {r.x + left, r.y + y + 1 - height, x - left, height};
                }
            }
            stack.push_back(x);
        }
    }
    return best;
}

// Parts for the pixels of r: its visible bounds, split around their largest opaque rectangle
// into that rectangle and the bands above, below, left and right of it.
void split(const SDL_Surface* image, const SDL_Rect& r, int levels, std::vector<BlitPart>& parts)
{
    const SDL_Rect v = r.w > 0 && r.h > 0 ? visible(image, r) : SDL_Rect{};
    if (v.w <= 0)
        return;
    const SDL_Rect core = levels > 0 ? largest_opaque(image, v) : SDL_Rect{};
    if (long(core.w) * core.h < worth_copying) {
        parts.push_back({v, false});
        return;
    }
    parts.push_back({core, true});
    const int below = core.y + core.h, right = core.x + core.w;
    split(image, {v.x, v.y, v.w, core.y - v.y}, levels - 1, parts);
    split(image, {v.x, below, v.w, v.y + v.h - below}, levels - 1, parts);
    split(image, {v.x, core.y, core.x - v.x, core.h}, levels - 1, parts);
    split(image, {right, core.y, v.x + v.w - right, core.h}, levels - 1, parts);
}

} // namespace

const std::vector<BlitPart>* BlitPlan::parts(const SDL_Surface* image)
{
    if (!made_ && long(image->w) * image->h > most_planned_pixels) {
        whole_ = made_ = true;
    } else if (!made_) {
        split(image, {0, 0, image->w, image->h}, depth, parts_);
        whole_ = parts_.size() == 1 && !parts_[0].copy && parts_[0].rect.w == image->w &&
                 parts_[0].rect.h == image->h;
        made_ = true;
    }
    return whole_ ? nullptr : &parts_;
}

} // namespace kivo
