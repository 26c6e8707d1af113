// Extreme but legal inputs: the smallest and a very large window, slide offsets at the ends of the
// int range, rectangles of negative and huge size, carousels of millions of dots (coordinate
// spaces of 0, negative and extreme size: tests/events). Each has a documented result
// (docs/bad-input.md); the sanitizer build checks that none of them overflows.
#include <climits>

#include <SDL2/SDL_image.h>

#include "kivo_emu.h"
#include "reliability.h"

namespace reliability {
namespace {

class Extremes : public Fixture {};

// The slot that covers more than half of the surface is current: at the ends of the int range
// that is slot 1, although neither screen lands on the surface (its buttons do).
TEST_F(Extremes, OffsetsAtTheEndsOfTheIntRange)
{
    const struct {
        int offset;
        std::uint32_t label; // 10: slot 0 current, 20: slot 1 current
        bool screens_off_surface;
    } cases[] = {{INT_MAX, 20, true}, {INT_MIN, 20, true}, {-160, 10, false}, {161, 20, false},
        {320, 20, false}, {1, 10, false}};
    open(320, 240);
    kivo_test::set(0, "home", "car", {area(0, 0, 320, 240, 10)});
    kivo_test::set(1, "help", "plug", {area(0, 0, 320, 240, 20)});
    for (const auto& t : cases) {
        SCOPED_TRACE(t.offset);
        kivo_present(0);
        const std::vector<std::uint32_t> before = frame();
        kivo_present(t.offset);
        EXPECT_EQ(press(5, 5).label, t.label);
        EXPECT_EQ(frame() == before, t.screens_off_surface);
    }
}

// Rectangles are half-open and compared in 64 bits: an empty or negative one is never hit, one
// reaching past INT_MAX is hit up to INT_MAX. Drawing them (as text, QR and slider labels) is
// safe; the sanitizer build checks the arithmetic.
TEST_F(Extremes, NegativeAndHugeRectangles)
{
    const struct {
        const char* name;
        int x, y, w, h;
        int px, py;
        bool hit;
    } cases[] = {{"negative size", 10, 10, -5, -5, 8, 8, false},
        {"most negative size", 10, 10, INT_MIN, INT_MIN, 9, 9, false},
        {"huge from the origin", 0, 0, INT_MAX, INT_MAX, 319, 239, true},
        {"ends at -1", INT_MIN, INT_MIN, INT_MAX, INT_MAX, -2, -2, true},
        {"past INT_MAX", INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX, INT_MAX, INT_MAX, true},
        {"starts at INT_MAX", INT_MAX, 0, 1, 1, INT_MAX, 0, true}};
    open(320, 240);
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        std::vector<LabelRecord> labels;
        for (int kind : {KIVO_LABEL_TEXT, KIVO_LABEL_QR, KIVO_LABEL_SLIDER, 9}) {
            labels.push_back(
                kivo_test::label(std::uint8_t(kind), t.x, t.y, t.w, t.h, "Extreme", 7));
            labels.back().style = KIVO_STYLE_WHITE_BUTTON;
        }
        kivo_test::set(0, nullptr, nullptr, labels);
        kivo_present(0);
        kivo_present(INT_MIN);
        kivo_present(0);
        // With the coordinate space equal to the surface, a press lands exactly where it is put.
        const EventRecord e = press(t.px, t.py);
        ASSERT_EQ(e.x, t.px);
        ASSERT_EQ(e.y, t.py);
        EXPECT_EQ(e.label, t.hit ? 7u : 0u);
    }
}

// Labels of every kind placed far off the surface, directly or by a slide's offset, leave it
// alone (Cairo's fixed-point coordinates wrap every 2^24 pixels: nothing may come back).
TEST_F(Extremes, FarOffLabelsLeaveTheSurfaceAlone)
{
    const struct {
        int x, y, offset;
    } places[] = {{(1 << 24) + 50, 50, 0}, {50, (1 << 24) + 50, 0}, {-(1 << 24) + 50, 50, 0},
        {INT_MIN, INT_MIN + 50, 0}, {50, 50, 1 << 24}, {50, 50, INT_MIN}};
    open(320, 240, kivo_test::gauges(0, 6.0f, 0xffff0000, 0xff00ff00, 0xff0000ff));
    kivo_set_screen(0, "home", nullptr, nullptr, 0, 0, 0, 0);
    kivo_present(0);
    const std::vector<std::uint32_t> base = frame();
    for (const auto& p : places) {
        for (int kind : {KIVO_LABEL_TEXT, KIVO_LABEL_ICON, KIVO_LABEL_QR, KIVO_LABEL_SLIDER}) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << " at " << p.x << ", " << p.y
                                            << ", offset " << p.offset);
            LabelRecord label = kivo_test::label(std::uint8_t(kind), p.x, p.y, 200, 100,
                kind == KIVO_LABEL_ICON ? "car" : "Far away", 1);
            label.style = KIVO_STYLE_WHITE_BUTTON;
            label.value = label.marker_value = 0.5f;
            kivo_set_screen(0, "home", nullptr, nullptr, 0, 0, 0, 0);
            kivo_present(0);
            // A slide's second screen (empty here) draws nothing.
            kivo_set_screen(0, p.offset ? nullptr : "home", nullptr, &label, 1, 0, 0, 0);
            kivo_set_screen(1, nullptr, nullptr, nullptr, 0, 0, 0, 0);
            kivo_present(p.offset);
            EXPECT_EQ(frame(), base);
        }
    }
}

// Only the dots that can touch the surface are visited: 5,000,001 dots centred on their middle
// one look exactly like 31. A count above INT_MAX is negative in the screen model: no dots.
TEST_F(Extremes, CarouselOfMillionsOfDots)
{
    ConfigRecord c = config();
    c.carousel_spacing = 24;
    c.carousel_y = 100;
    kivo_create_window(320, 240, &c);
    const auto dots = [](std::uint32_t current, std::uint32_t count) {
        kivo_set_screen(0, "home", nullptr, nullptr, 0, current, count, 0);
        kivo_present(0);
        return frame();
    };
    EXPECT_EQ(dots(2'500'000, 5'000'001), dots(15, 31));
    EXPECT_EQ(dots(2'500'000, 5'000'000), dots(15, 30));
    EXPECT_EQ(dots(0, 3'000'000'000u), dots(0, 0));
    EXPECT_NE(dots(15, 31), dots(0, 0));

    // Spacing 0 puts every dot on one place: millions draw what 300 empty dots, the full one and
    // 300 more blitted here draw.
    c.carousel_spacing = 0;
    kivo_create_window(320, 240, &c);
    std::vector<std::uint32_t> want = dots(0, 0);
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormatFrom(
        want.data(), 320, 240, 32, 320 * 4, SDL_PIXELFORMAT_ARGB8888);
    const auto blit = [&](const char* file, int times) {
        SDL_Surface* loaded = IMG_Load((kivo_test::images + file).c_str());
        SDL_Surface* image = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
        for (int i = 0; i < times; ++i) {
            SDL_Rect at{160, 100, 0, 0};
            SDL_BlitSurface(image, nullptr, target, &at);
        }
        SDL_FreeSurface(image);
        SDL_FreeSurface(loaded);
    };
    blit("carousel/rosk/emptyDot.webp", 300);
    blit("carousel/rosk/fullDot.webp", 1);
    blit("carousel/rosk/emptyDot.webp", 300);
    SDL_FreeSurface(target);
    EXPECT_EQ(dots(2'500'000, 5'000'001), want);
}

} // namespace
} // namespace reliability
