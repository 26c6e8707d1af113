// Text labels by their properties: where the ink falls, its colour and extent, and the style
// background image behind it.
#include <algorithm>

#include "render_fixture.h"

namespace render_test {
namespace {

constexpr int W = 480, H = 272;

class TextTest : public RenderTest {
  protected:
    std::string black;
    Image base;

    void open_black(const ConfigRecord& c)
    {
        open(W, H, c);
        if (black.empty())
            black = "file://" + save_png(Image(W, H), "black");
        show(black.c_str(), nullptr);
        base = frame();
    }
    Image draw(const std::vector<LabelRecord>& labels)
    {
        show(black.c_str(), nullptr, labels);
        return frame();
    }
    static LabelRecord text(const char* t, int x, int y, int w, int h, std::uint8_t align = 0,
        std::uint8_t font = 0, std::uint16_t style = 0)
    {
        LabelRecord r = label(KIVO_LABEL_TEXT, x, y, w, h, t);
        r.align = align;
        r.font = font;
        r.style = style;
        return r;
    }
};

bool inside(const Box& b, int x, int y, int w, int h)
{
    return b.w > 0 && b.x >= x && b.y >= y && b.x + b.w <= x + w && b.y + b.h <= y + h;
}

// Alignment and font by the ink: unknown values keep the ones before (the layout starts centred).
// font1 is 40 pt, font0 20 pt, font2 10 pt; a line of "Hxg" is roughly 1.2 x its point size tall,
// and starts at the top of its box, whatever the label offset (which moves backgrounds only).
TEST_F(TextTest, AlignmentAndFontSelectAndUnknownValuesKeepThePreviousOnes)
{
    enum Where { Centre, Left, Right };
    const struct {
        std::uint8_t align, font;
        Where where;
        int points;
    } steps[] = {{3, 1, Centre, 40}, {2, 4, Right, 40}, {3, 2, Right, 10}, {1, 255, Left, 10},
        {200, 0, Left, 20}, {0, 0, Centre, 20}};
    ConfigRecord c = config();
    c.label_offset_y = 37;
    open_black(c);
    const int x = 40, y = 60, w = 400, h = 100;
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << "align " << int(s.align) << ", font " << int(s.font));
        const Box b = ink(draw({text("Hxg", x, y, w, h, s.align, s.font)}), base);
        ASSERT_TRUE(inside(b, x, y, w, h)) << b.x << "," << b.y << " " << b.w << "x" << b.h;
        EXPECT_GT(b.h, s.points * 9 / 10);
        EXPECT_LT(b.h, s.points * 16 / 10);
        EXPECT_LT(b.y - y, s.points / 2);
        // The gap on the aligned side (both gaps' difference, centred) under 6; the other over 200.
        const int left_gap = b.x - x, right_gap = x + w - (b.x + b.w);
        const int near = s.where == Left ? left_gap : right_gap, far = left_gap + right_gap - near;
        EXPECT_LE(s.where == Centre ? std::abs(left_gap - right_gap) : near + 1, 6);
        EXPECT_TRUE(s.where == Centre || far > 200) << far;
    }
}

TEST_F(TextTest, MarkupAppliesOnlyWithTheMarkupBit)
{
    open_black(config());
    const char* t = "<span foreground=\"#ff0000\">Red</span>";
    LabelRecord l = text(t, 20, 20, 440, 60, 1);
    l.r = 0, l.g = 0, l.b = 255;
    auto count = [](const Image& f, bool (*pick)(std::uint32_t)) {
        return std::count_if(f.px.begin(), f.px.end(), pick);
    };
    auto reddish = [](std::uint32_t p) {
        return ((p >> 16) & 0xff) > 200 && (p & 0xffff) < 0x3232;
    };
    auto bluish = [](std::uint32_t p) { return (p & 0xff) > 200 && ((p >> 8) & 0xffff) == 0; };
    const Image plain = draw({l});
    EXPECT_EQ(count(plain, reddish), 0);
    EXPECT_GT(count(plain, bluish), 20);
    l.style = KIVO_STYLE_MARKUP;
    const Image marked = draw({l});
    EXPECT_GT(count(marked, reddish), 20);
    EXPECT_EQ(count(marked, bluish), 0);
    EXPECT_GT(ink(plain, base).w, 3 * ink(marked, base).w) << "the tags are shown as text";
    l.style = 0;
    const Image after = draw({l});
    EXPECT_EQ(count(after, reddish), 0) << "no colour left over from the markup";
    EXPECT_TRUE(same_rgb(after, plain, 0));
}

TEST_F(TextTest, ColourIncludesAlpha)
{
    open_black(config());
    LabelRecord l = text("Solid", 20, 20, 440, 100, 1, 1);
    l.a = 128;
    const Image f = draw({l});
    std::uint32_t brightest = 0;
    for (std::uint32_t p : f.px)
        brightest = std::max(brightest, (p >> 8) & 0xff);
    EXPECT_NEAR(int(brightest), 128, 2);
}

// Background of the lowest set bit, centred in the box and lowered by label_offset_y.
TEST_F(TextTest, StyleBackgroundIsTheLowestSetBitsImage)
{
    const std::pair<std::uint16_t, const char*> cases[] = {{0x0002, "label/rosk/blankButton"},
        {0x0006, "label/rosk/blankButton"}, {0x0004, "label/rosk/fastButton"},
        {0x0008, "label/rosk/smartButton"}, {0x0010, "label/rosk/narrowButton"},
        {0x0020, "label/tavi/availableButton"}, {0x0040, "label/tavi/reservedButton"},
        {0x0080, "label/tavi/chargingButton"}, {0x0100, "label/tavi/faultedButton"},
        {0x0200, "label/tavi/greyButton"}, {0x0400, "label/tavi/whiteButton"},
        {0x0800, "label/tavi/tallButton"}, {0x1000, "label/tavi/fullBullet"},
        {0x2000, "label/tavi/emptyBullet"}, {0xe001, "label/tavi/emptyBullet"}, {0x0001, nullptr},
        {0x4000, nullptr}, {0x8000, nullptr}, {0x0000, nullptr}};
    ConfigRecord c = config(2);
    c.label_offset_y = 10;
    open_black(c);
    const int x = 100, y = 100, w = 200, h = 40;
    for (auto [style, file] : cases) {
        SCOPED_TRACE(style);
        Image want = base;
        if (file) {
            const Image img = load(images + file + ".webp");
            blend(want, img, x + (w - img.w) / 2, y + (h - img.h) / 2 + 10);
        }
        EXPECT_TRUE(same_rgb(draw({text("", x, y, w, h, 0, 0, style)}), want));
    }
    // Kinds above 3 are hit-tested only: neither text nor background.
    for (std::uint8_t kind : {4, 9, 255}) {
        LabelRecord hidden = text("Hidden", x, y, w, h, 0, 0, 0x0002);
        hidden.kind = kind;
        EXPECT_TRUE(same_rgb(draw({hidden}), base, 0)) << int(kind);
    }
}

// In a slide the text and its background move with their screen, by exactly the offset.
TEST_F(TextTest, TextMovesWithItsScreen)
{
    open_black(config());
    const LabelRecord l = text("Moving", 150, 100, 200, 40, 0, 0, KIVO_STYLE_NARROW_BUTTON);
    const Image still = draw({l});
    kivo_set_screen(1, black.c_str(), nullptr, nullptr, 0, 0, 0, 0);
    for (int offset : {-100, 60}) {
        SCOPED_TRACE(offset);
        kivo_set_screen(0, black.c_str(), nullptr, &l, 1, 0, 0, 0);
        kivo_present(offset);
        const Image moved = frame();
        Image want = base;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (x - offset >= 0 && x - offset < W)
                    want.at(x, y) = still.at(x - offset, y);
        EXPECT_TRUE(same_rgb(moved, want, 0));
    }
}

} // namespace
} // namespace render_test
