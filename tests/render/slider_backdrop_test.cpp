// The kept pixels under a slider: valid exactly while everything they were drawn from is the same.
// (That they are copied back where they were taken, the damage tests prove byte for byte.)
#include <cstdint>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "render/slider_backdrop.h"

namespace {

using kivo::Element;
using kivo::ShownImage;
using kivo::ShownSlider;

struct Frame {
    Element slider{ShownSlider{{5, 10, 30, 30, {1, 2, 3, 255}}, 1, 2, 3}, {5, 4, 40, 40}};
    std::uint64_t generation = 7;
    std::vector<Element> below{{ShownImage{nullptr, nullptr, 0, 0, true}, {0, 0, 64, 48}},
        {ShownImage{nullptr, nullptr, 50, 45}, {50, 45, 10, 3}}};

    ShownSlider& shown() { return std::get<ShownSlider>(slider.shown); }
};

TEST(SliderBackdrop, HoldsOnlyWhileWhatItWasDrawnFromIsTheSame)
{
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, 64, 48, 32, kivo::working_format);
    ASSERT_NE(target, nullptr);
    const struct {
        const char* name;
        std::function<void(Frame&)> change;
        bool holds;
    } cases[] = {
        {"the same", [](Frame&) {}, true},
        {"the value and marker moved",
            [](Frame& f) {
                f.shown().value = 9;
                f.shown().marker = 1;
            },
            true},
        {"an element that does not meet it changed",
            [](Frame& f) { std::get<ShownImage>(f.below[1].shown).x = 51; }, true},
        {"an element that does not meet it added", [](Frame& f) { f.below.push_back(f.below[1]); },
            true},
        {"bounds", [](Frame& f) { f.slider.bounds.w = 39; }, false},
        {"place", [](Frame& f) { f.shown().place.y = 11; }, false},
        {"band", [](Frame& f) { f.shown().band = 4; }, false},
        {"image cache generation", [](Frame& f) { f.generation = 8; }, false},
        {"the element under it changed",
            [](Frame& f) { std::get<ShownImage>(f.below[0].shown).x = 1; }, false},
        {"an element under it added", [](Frame& f) { f.below.insert(f.below.begin(), f.below[0]); },
            false},
        {"the element under it gone", [](Frame& f) { f.below.erase(f.below.begin()); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Frame then;
        kivo::SliderBackdrop backdrop;
        EXPECT_FALSE(backdrop.holds(then.slider, then.generation, then.below));
        backdrop.take(target, then.slider, then.generation, then.below);
        Frame now = then;
        c.change(now);
        EXPECT_EQ(backdrop.holds(now.slider, now.generation, now.below), c.holds);
        EXPECT_TRUE(backdrop.holds(then.slider, then.generation, then.below));
    }
    SDL_FreeSurface(target);
}

} // namespace
