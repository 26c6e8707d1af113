// The rectangles of kivo::Damage: every pixel added lies in exactly one, and a rectangle is cut
// around another where their bounding box would cost more than the two apart.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kivo/damage.h"

namespace {

TEST(Damage, CoversWhatWasAddedOnceAndNoMoreThanItCosts)
{
    const struct Case {
        const char* name;
        std::vector<SDL_Rect> added;
        long long most; // pixels in all, at most
    } cases[] = {
        // A slide's strip of columns brought in, and a button beside the edge where it was and
        // where its pixels were moved to: its box would be the strip's height.
        {"a strip and a button across it",
            {{797, 0, 3, 480}, {717, 192, 80, 96}, {720, 192, 80, 96}}, 3 * 480 + 83 * 96},
        {"neighbours overlapping", {{0, 0, 10, 10}, {5, 0, 10, 10}, {2, 3, 4, 4}}, 15 * 10},
        // Nine apart: the ninth joins the one nearest to it.
        {"nine apart",
            {{0, 0, 10, 10}, {100, 0, 10, 10}, {200, 0, 10, 10}, {300, 0, 10, 10}, {0, 100, 10, 10},
                {100, 100, 10, 10}, {200, 100, 10, 10}, {300, 100, 10, 10}, {312, 100, 10, 10}},
            7 * 100 + 22 * 10},
        {"a cross", {{0, 40, 100, 20}, {40, 0, 20, 100}, {45, 45, 10, 10}}, 2 * 100 * 20},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    // Many that overlap every way: only covered once.
    Case many{"forty overlapping", {}, 400 * 300};
    for (unsigned k = 0, seed = 7; k < 40; ++k) {
        seed = seed * 1103515245 + 12345;
        many.added.push_back({int(seed >> 8) % 350, int(seed >> 16) % 250, 1 + int(seed >> 4) % 50,
            1 + int(seed >> 12) % 50});
    }
    all.push_back(many);
    for (const Case& c : all) {
        SCOPED_TRACE(c.name);
        kivo::Damage damage;
        for (const SDL_Rect& r : c.added)
            damage.add(r);
        ASSERT_FALSE(damage.all());
        std::vector<int> times(800 * 480);
        long long pixels = 0;
        for (const SDL_Rect& r : damage) {
            pixels += 1LL * r.w * r.h;
            for (int y = r.y; y < r.y + r.h; ++y)
                for (int x = r.x; x < r.x + r.w; ++x)
                    ++times[y * 800 + x];
        }
        for (const SDL_Rect& r : c.added)
            for (int y = r.y; y < r.y + r.h; ++y)
                for (int x = r.x; x < r.x + r.w; ++x)
                    ASSERT_GE(times[y * 800 + x], 1) << x << "," << y;
        for (int t : times)
            ASSERT_LE(t, 1);
        EXPECT_LE(pixels, c.most);
    }
}

} // namespace
