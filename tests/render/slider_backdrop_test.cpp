// The kept pixels under a slider: valid exactly while everything they were drawn from is the same.
// (That they are copied back where they were taken, the damage tests prove byte for byte.)
#include <cstdint>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "render/slider_backdrop.h"

namespace {

using kivo::Item;

struct Frame {
    kivo::Label label;
    Item slider;
    std::uint64_t generation = 7;
    std::vector<Item> below;

    Frame()
    {
        label.kind = kivo::LabelKind::Slider;
        label.y = 10;
        label.width = label.height = 30;
        label.color = {1, 2, 3, 255};
        label.band_value = 0.5f;
        slider.kind = Item::Kind::Slider;
        slider.bounds = {5, 4, 40, 40};
        slider.left = 5;
        slider.label = &label;
        Item background;
        background.bounds = {0, 0, 64, 48};
        background.image = reinterpret_cast<const SDL_Surface*>(&generation);
        Item far_away;
        far_away.bounds = {50, 45, 10, 3};
        far_away.x = 50;
        below = {background, far_away};
    }
    Frame(const Frame& other) : Frame() { *this = other; }
    Frame& operator=(const Frame& other)
    {
        label = other.label;
        slider = other.slider;
        slider.label = &label;
        generation = other.generation;
        below = other.below;
        return *this;
    }
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
                f.label.value = 0.9f;
                f.label.marker_value = 0.1f;
            },
            true},
        {"an item that does not meet it changed", [](Frame& f) { f.below[1].x = 51; }, true},
        {"an item that does not meet it added", [](Frame& f) { f.below.push_back(f.below[1]); },
            true},
        {"bounds", [](Frame& f) { f.slider.bounds.w = 39; }, false},
        {"corner", [](Frame& f) { f.slider.left = 4; }, false},
        {"row", [](Frame& f) { f.label.y = 11; }, false},
        {"width", [](Frame& f) { f.label.width = 31; }, false},
        {"height", [](Frame& f) { f.label.height = 31; }, false},
        {"track colour", [](Frame& f) { f.label.color.a = 254; }, false},
        {"band", [](Frame& f) { f.label.band_value = 0.6f; }, false},
        {"image cache generation", [](Frame& f) { f.generation = 8; }, false},
        {"the item under it changed", [](Frame& f) { f.below[0].x = 1; }, false},
        {"an item under it added", [](Frame& f) { f.below.insert(f.below.begin(), f.below[0]); },
            false},
        {"the item under it gone", [](Frame& f) { f.below.erase(f.below.begin()); }, false},
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
