// Frames made of images only, compared with frames composed here from the image files.
#include "render_fixture.h"

namespace render_test {
namespace {

struct Placed {
    std::string file; // below images, without ".webp"
    long long x, y;
};

Image compose(Image base, const std::vector<Placed>& stack)
{
    for (const Placed& p : stack)
        blend(base, load(images + p.file + ".webp"), p.x, p.y);
    return base;
}

class FrameTest : public RenderTest {};

// Ok, Back, Menu, Left, Right and Frame for each flavour: the file chosen and its corner.
TEST_F(FrameTest, ScreenStacksBackgroundIconButtonsDotsAndIconLabels)
{
    const struct {
        std::uint8_t flavour;
        const char *ok, *back, *menu;
        bool menu_bottom;
        const char *left, *right;
    } cases[] = {{0, "button/rosk/ok", "button/rosk/back", "button/rosk/menu", false,
                     "carousel/rosk/left", "carousel/rosk/right"},
        {1, "button/rosk/ok_v2", "button/rosk/back_v2", "button/rosk/menu", false,
            "carousel/rosk/left", "carousel/rosk/right"},
        {2, "button/rosk/ok_v2", "button/tavi/back", "button/tavi/locale", true,
            "carousel/tavi/left", "carousel/tavi/right"}};
    const int W = 800, H = 480;
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.flavour));
        open(W, H, config(c.flavour));
        auto size = [](const char* f) { return load(images + f + ".webp"); };
        const Image ok = size(c.ok), back = size(c.back), menu = size(c.menu), left = size(c.left),
                    right = size(c.right);
        show("home", "plug",
            {
                label(KIVO_LABEL_ICON, 300, 300, 101, 51, "car"),       // centred, odd box
                label(KIVO_LABEL_ICON, -100, 10, 100, 100, "card"),     // clipped on the left
                label(KIVO_LABEL_ICON, 760, 440, 80, 80, "station"),    // clipped bottom right
                label(KIVO_LABEL_ICON, W - 60, H - 60, 40, 40, "plug"), // over the Ok button
            },
            KIVO_BUTTON_OK | KIVO_BUTTON_BACK | KIVO_BUTTON_MENU | KIVO_BUTTON_LEFT |
                KIVO_BUTTON_RIGHT | KIVO_BUTTON_FRAME | 0xf800, // bits of no button draw nothing
            2, 5);
        const long long dots = (W - 24 * 4) / 2;
        const Image want = compose(Image(W, H),
            {{"background/home", 0, 0}, {"icon/plug", (W - 96) / 2, 120 - 96 / 2},
                {"button/rosk/frame", 0, 0}, {c.right, W - right.w, (H - right.h) / 2},
                {c.left, 0, (H - left.h) / 2}, {c.menu, W - menu.w, c.menu_bottom ? H - menu.h : 0},
                {c.back, 0, H - back.h}, // Back stands twice in the order
                {c.back, 0, H - back.h}, {c.ok, W - ok.w, H - ok.h},
                {"carousel/rosk/emptyDot", dots, 400}, {"carousel/rosk/emptyDot", dots + 24, 400},
                {"carousel/rosk/fullDot", dots + 48, 400},
                {"carousel/rosk/emptyDot", dots + 72, 400},
                {"carousel/rosk/emptyDot", dots + 96, 400},
                {"icon/car", 300 + (101 - 96) / 2, 300 + (51 - 96) / 2},
                {"icon/card", -100 + 2, 12}, {"icon/station", 760 - 8, 440 - 8},
                {"icon/plug", W - 60 - 28, H - 60 - 28}});
        EXPECT_TRUE(same_rgb(frame(), want));
        kivo_destroy_window();
    }
}

// The four top-right buttons, one at a time, by their pixels.
TEST_F(FrameTest, TopRightButtonsShowTheirOwnImages)
{
    const std::pair<std::uint16_t, const char*> cases[] = {{KIVO_BUTTON_CLOSE, "button/rosk/close"},
        {KIVO_BUTTON_HELP, "button/rosk/help"}, {KIVO_BUTTON_FAST, "button/rosk/fast"},
        {KIVO_BUTTON_SMART, "button/rosk/smart"}};
    const int W = 320, H = 240;
    open(W, H);
    const std::string black = "file://" + save_png(Image(W, H), "black");
    for (const auto& [flag, file] : cases) {
        SCOPED_TRACE(file);
        show(black.c_str(), nullptr, {}, flag);
        const Image image = load(images + file + ".webp");
        EXPECT_TRUE(same_rgb(frame(), compose(Image(W, H), {{file, W - image.w, 0}})));
    }
}

// Slot 0 and slot 1 slide by the offset; buttons and dots stay and belong to the slot covering
// more than half of the surface, and so do the hit tests. Offsets at the ends of int:
// tests/reliability.
TEST_F(FrameTest, TransitionPlacesBothScreensAndPicksTheMajorOne)
{
    const struct {
        int offset;
        long long second;
        bool second_current;
    } cases[] = {{0, 0, false}, // the first screen alone
        {-1, 479, false}, {1, -479, false}, {-240, 240, false}, {240, -240, false},
        {-241, 239, true}, {241, -239, true}, {-480, 0, true}, {480, 0, true}};
    const int W = 480, H = 272;
    open(W, H);
    const Image base = pattern(W, H, 3), bg1 = pattern(W, H, 101), bg2 = pattern(W, H, 202);
    const std::string base_ref = "file://" + save_png(base, "base");
    const std::string ref1 = "file://" + save_png(bg1, "one"),
                      ref2 = "file://" + save_png(bg2, "two");
    const LabelRecord first_labels[] = {label(KIVO_LABEL_ICON, 20, 150, 100, 100, "car", 1)};
    // The second label is beyond the right edge: seen only when the slot lies left of the surface.
    const LabelRecord second_labels[] = {label(KIVO_LABEL_ICON, 0, 180, 96, 96, "station", 2),
        label(KIVO_LABEL_ICON, W + 20, 20, 96, 96, "car", 3)};
    const Image ok = load(images + "button/rosk/ok.webp"),
                back = load(images + "button/rosk/back.webp");
    const Image left = load(images + "carousel/rosk/left.webp");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        show(base_ref.c_str(), nullptr);
        kivo_set_screen(0, ref1.c_str(), "plug", first_labels, 1, 0, 0, KIVO_BUTTON_OK);
        kivo_set_screen(
            1, ref2.c_str(), "card", second_labels, 2, 1, 3, KIVO_BUTTON_BACK | KIVO_BUTTON_LEFT);
        kivo_present(c.offset);

        const long long first = c.offset, dots = (W - 48) / 2;
        const bool both = c.offset != 0;
        std::vector<Placed> stack = {{"icon/plug", first + (W - 96) / 2, 72}};
        if (both)
            stack.push_back({"icon/card", c.second + (W - 96) / 2, 72});
        if (c.second_current)
            stack.insert(stack.end(),
                {{"carousel/rosk/left", 0, (H - left.h) / 2}, {"button/rosk/back", 0, H - back.h},
                    {"button/rosk/back", 0, H - back.h}, {"carousel/rosk/emptyDot", dots, 400},
                    {"carousel/rosk/fullDot", dots + 24, 400},
                    {"carousel/rosk/emptyDot", dots + 48, 400}});
        else
            stack.push_back({"button/rosk/ok", W - ok.w, H - ok.h});
        stack.push_back({"icon/car", first + 22, 152});
        if (both)
            stack.insert(stack.end(),
                {{"icon/station", c.second, 180}, {"icon/car", c.second + W + 20, 20}});
        Image want = base;
        blend(want, bg1, first, 0);
        if (both)
            blend(want, bg2, c.second, 0);
        EXPECT_TRUE(same_rgb(frame(), compose(want, stack)));

        using kivo::ButtonFlag;
        const kivo::Renderer& r = renderer();
        EXPECT_EQ(r.button_at(W - 1, H - 1),
            c.second_current ? std::nullopt : std::optional(ButtonFlag::Ok));
        EXPECT_EQ(r.button_at(0, H - 1),
            c.second_current ? std::optional(ButtonFlag::Back) : std::nullopt);
        EXPECT_EQ(r.label_at(50, 200), std::optional<std::uint32_t>(c.second_current ? 2 : 1));
    }
}

} // namespace
} // namespace render_test
