// Frames made of images only, compared with frames composed here from the image files.
#include <climits>

#include "render_fixture.h"

namespace render_test {
namespace {

struct Placed {
    std::string file;  // below app/share/marvo/images/
    long long x, y;
};

Image compose(Image base, const std::vector<Placed>& stack)
{
    for (const Placed& p : stack)
        blend(base, load(images + p.file), p.x, p.y);
    return base;
}

class FrameTest : public RenderTest {};

// Ok, Back, Menu, Left, Right and Frame for each flavour: the file chosen and its corner.
TEST_F(FrameTest, ScreenStacksBackgroundIconButtonsDotsAndIconLabels)
{
    struct Case {
        std::uint8_t flavour;
        const char* ok;
        const char* back;
        const char* menu;
        bool menu_bottom;
        const char* left;
        const char* right;
    };
    const Case cases[] = {
        {0, "button/rosk/ok", "button/rosk/back", "button/rosk/menu", false,
         "carousel/rosk/left", "carousel/rosk/right"},
        {1, "button/rosk/ok_v2", "button/rosk/back_v2", "button/rosk/menu", false,
         "carousel/rosk/left", "carousel/rosk/right"},
        {2, "button/rosk/ok_v2", "button/tavi/back", "button/tavi/locale", true,
         "carousel/tavi/left", "carousel/tavi/right"},
    };
    const int W = 800, H = 480;
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.flavour));
        open(W, H, config(c.flavour));
        auto size = [](const char* f) { return load(images + f + ".webp"); };
        const Image ok = size(c.ok), back = size(c.back), menu = size(c.menu),
                    left = size(c.left), right = size(c.right);
        const std::vector<LabelRecord> labels = {
            label(KIVO_LABEL_ICON, 300, 300, 101, 51, "car"),       // centred, odd box
            label(KIVO_LABEL_ICON, -100, 10, 100, 100, "card"),     // clipped on the left
            label(KIVO_LABEL_ICON, 760, 440, 80, 80, "station"),    // clipped bottom right
            label(KIVO_LABEL_ICON, W - 60, H - 60, 40, 40, "plug"), // over the Ok button
        };
        show("home", "plug", labels,
             KIVO_BUTTON_OK | KIVO_BUTTON_BACK | KIVO_BUTTON_MENU | KIVO_BUTTON_LEFT |
                 KIVO_BUTTON_RIGHT | KIVO_BUTTON_FRAME,
             2, 5);

        const long long dots = (W - 24 * 4) / 2;
        const long long menu_y = c.menu_bottom ? H - menu.h : 0;
        const Image want = compose(
            Image(W, H),
            {
                {"background/home.webp", 0, 0},
                {"icon/plug.webp", (W - 96) / 2, 120 - 96 / 2},
                {"button/rosk/frame.webp", 0, 0},
                {std::string(c.right) + ".webp", W - right.w, (H - right.h) / 2},
                {std::string(c.left) + ".webp", 0, (H - left.h) / 2},
                {std::string(c.menu) + ".webp", W - menu.w, menu_y},
                {std::string(c.back) + ".webp", 0, H - back.h},  // Back stands twice in the order
                {std::string(c.back) + ".webp", 0, H - back.h},
                {std::string(c.ok) + ".webp", W - ok.w, H - ok.h},
                {"carousel/rosk/emptyDot.webp", dots, 400},
                {"carousel/rosk/emptyDot.webp", dots + 24, 400},
                {"carousel/rosk/fullDot.webp", dots + 48, 400},
                {"carousel/rosk/emptyDot.webp", dots + 72, 400},
                {"carousel/rosk/emptyDot.webp", dots + 96, 400},
                {"icon/car.webp", 300 + (101 - 96) / 2, 300 + (51 - 96) / 2},
                {"icon/card.webp", -100 + 2, 12},
                {"icon/station.webp", 760 - 8, 440 - 8},
                {"icon/plug.webp", W - 60 - 28, H - 60 - 28},
            });
        EXPECT_TRUE(same_rgb(frame(), want));
        kivo_destroy_window();
    }
}

TEST_F(FrameTest, CarouselRowIsCentredOnTheDotsLeftEdges)
{
    struct Case {
        std::uint32_t count, current;
        int spacing;
    };
    const Case cases[] = {
        {3, 1, 20}, {1, 0, 20}, {5, 4, -30}, {4, 2, 0},
        {1000000, 500000, 20},          // most dots far off both sides
        {2000000, 1000000, 15},
        {3000000, 1500000, -16},        // the row runs right to left
        {0x80000000u, 0, 20},           // count reads as negative: nothing
    };
    const int W = 480, H = 272;
    const Image bg = pattern(W, H, 7);
    const std::string bg_ref = "file://" + save(bg, "carousel");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        ConfigRecord cfg = config();
        cfg.carousel_spacing = c.spacing;
        cfg.carousel_y = 200;
        open(W, H, cfg);
        show(bg_ref.c_str(), nullptr, {}, 0, c.current, c.count);

        Image want = bg;
        const Image full = load(images + "carousel/rosk/fullDot.webp");
        const Image empty = load(images + "carousel/rosk/emptyDot.webp");
        const auto count = std::int32_t(c.count);
        long long x = (W - (long long)c.spacing * (count - 1LL)) / 2;
        for (long long i = 0; i < count; ++i, x += c.spacing)
            if (x > -full.w && x < W)
                blend(want, i == c.current ? full : empty, x, 200);
        EXPECT_TRUE(same_rgb(frame(), want));
        kivo_destroy_window();
    }
}

// Slot 0 and slot 1 slide by the offset; buttons and dots stay and belong to the slot covering
// more than half of the surface, and so do the hit tests.
TEST_F(FrameTest, TransitionPlacesBothScreensAndPicksTheMajorOne)
{
    struct Case {
        int offset;
        long long second;
        bool second_current;
    };
    const Case cases[] = {
        {-1, 479, false},   {1, -479, false},  {-240, 240, false}, {240, -240, false},
        {-241, 239, true},  {241, -239, true}, {-480, 0, true},    {480, 0, true},
        {INT_MIN, INT_MIN + 480LL, true},      {INT_MAX, INT_MAX - 480LL, true},
    };
    const int W = 480, H = 272;
    open(W, H);
    const Image base = pattern(W, H, 3), bg1 = pattern(W, H, 101), bg2 = pattern(W, H, 202);
    const std::string base_ref = "file://" + save(base, "base");
    const std::string ref1 = "file://" + save(bg1, "one"), ref2 = "file://" + save(bg2, "two");
    const LabelRecord first_labels[] = {label(KIVO_LABEL_ICON, 20, 150, 100, 100, "car", 1)};
    const LabelRecord second_labels[] = {label(KIVO_LABEL_ICON, 0, 180, 96, 96, "station", 2)};
    const Image ok = load(images + "button/rosk/ok.webp");
    const Image back = load(images + "button/rosk/back.webp");
    const Image left = load(images + "carousel/rosk/left.webp");

    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        show(base_ref.c_str(), nullptr);
        kivo_set_screen(0, ref1.c_str(), "plug", first_labels, 1, 0, 0, KIVO_BUTTON_OK);
        kivo_set_screen(1, ref2.c_str(), "card", second_labels, 1, 1, 3,
                        KIVO_BUTTON_BACK | KIVO_BUTTON_LEFT);
        kivo_present(c.offset);

        Image want = base;
        blend(want, bg1, c.offset, 0);
        blend(want, bg2, c.second, 0);
        blend(want, load(images + "icon/plug.webp"), (long long)c.offset + (W - 96) / 2, 72);
        blend(want, load(images + "icon/card.webp"), c.second + (W - 96) / 2, 72);
        if (c.second_current) {
            blend(want, left, 0, (H - left.h) / 2);
            blend(want, back, 0, H - back.h);
            blend(want, back, 0, H - back.h);
            const Image full = load(images + "carousel/rosk/fullDot.webp");
            const Image empty = load(images + "carousel/rosk/emptyDot.webp");
            blend(want, empty, (W - 48) / 2, 400);
            blend(want, full, (W - 48) / 2 + 24, 400);
            blend(want, empty, (W - 48) / 2 + 48, 400);
        } else {
            blend(want, ok, W - ok.w, H - ok.h);
        }
        blend(want, load(images + "icon/car.webp"), (long long)c.offset + 22, 152);
        blend(want, load(images + "icon/station.webp"), c.second, 180);
        EXPECT_TRUE(same_rgb(frame(), want));

        kivo::Renderer& r = renderer();
        EXPECT_EQ(r.button_at(W - 1, H - 1), c.second_current
                                                 ? std::nullopt
                                                 : std::optional(kivo::ButtonFlag::Ok));
        EXPECT_EQ(r.button_at(0, H - 1), c.second_current
                                             ? std::optional(kivo::ButtonFlag::Back)
                                             : std::nullopt);
        EXPECT_EQ(r.label_at(50, 200), std::optional<std::uint32_t>(c.second_current ? 2 : 1));
    }
}

}  // namespace
}  // namespace render_test
