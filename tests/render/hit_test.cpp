// Which button and which label of the screen drawn last lie under a point.
#include <climits>

#include "render_fixture.h"

namespace render_test {
namespace {

using kivo::ButtonFlag;
using Hit = std::optional<ButtonFlag>;

class HitTest : public RenderTest {};

TEST_F(HitTest, ButtonsResolveInOrderOverHalfOpenRectangles)
{
    const int W = 800, H = 480;
    // The points rely on the generated images' sizes: Close 80 wide, tavi's Back 88, the
    // carousel's arrows 96 tall.
    const int mid = (H - 96) / 2;
    const struct {
        std::uint8_t flavour;
        std::uint16_t mask;
        int x, y;
        Hit want;
    } cases[] = {{0, 0, 0, 0, {}},
        {0, KIVO_BUTTON_BACK | KIVO_BUTTON_BACK_ALT, 0, H - 1, ButtonFlag::Back},
        {0, KIVO_BUTTON_BACK_ALT, 0, H - 1, ButtonFlag::BackAlt},
        {2, KIVO_BUTTON_OK | KIVO_BUTTON_MENU, W - 1, H - 1, ButtonFlag::Ok},
        {2, KIVO_BUTTON_MENU, W - 88, H - 88, ButtonFlag::Menu},
        {2, KIVO_BUTTON_MENU, W - 1, 0, {}}, {0, 0xf8, W - 1, 0, ButtonFlag::Menu},
        {1, 0xf0, W - 1, 0, ButtonFlag::Close}, {0, 0xc0, W - 1, 0, ButtonFlag::Fast},
        {0, 0x80, W - 1, 0, ButtonFlag::Smart},
        {0, KIVO_BUTTON_CLOSE, W - 80, 0, ButtonFlag::Close}, {0, KIVO_BUTTON_CLOSE, W - 81, 0, {}},
        {0, KIVO_BUTTON_CLOSE, W - 1, 79, ButtonFlag::Close}, {0, KIVO_BUTTON_CLOSE, W - 1, 80, {}},
        {0, KIVO_BUTTON_LEFT, 0, mid, ButtonFlag::Left},
        {0, KIVO_BUTTON_LEFT, 47, mid + 95, ButtonFlag::Left}, {0, KIVO_BUTTON_LEFT, 48, mid, {}},
        {2, KIVO_BUTTON_RIGHT, W - 48, mid, ButtonFlag::Right},
        {0, KIVO_BUTTON_FRAME, 79, 79, ButtonFlag::Frame},
        {1, KIVO_BUTTON_OK, W - 80, H - 80, ButtonFlag::Ok},
        {2, KIVO_BUTTON_BACK, 87, H - 88, ButtonFlag::Back}, {0, 0xf800, 0, 0, {}},
        {0, 0xf800 | KIVO_BUTTON_OK, W - 1, H - 1, ButtonFlag::Ok},
        {3, KIVO_BUTTON_FRAME | KIVO_BUTTON_CLOSE, W - 1, 0, ButtonFlag::Close},
        {0, KIVO_BUTTON_CLOSE, INT_MAX, INT_MIN, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "flavour " << int(c.flavour) << " mask " << c.mask
                                          << " at " << c.x << "," << c.y);
        open(W, H, config(c.flavour));
        EXPECT_EQ(renderer().button_at(c.x, c.y), Hit{}) << "nothing before the first draw";
        show(nullptr, nullptr, {}, c.mask);
        EXPECT_EQ(renderer().button_at(c.x, c.y), c.want);
        kivo_destroy_window();
    }
}

TEST_F(HitTest, LabelsResolveLastFirstShiftedByTheLabelOffset)
{
    struct Case {
        int label_offset_y;
        std::vector<LabelRecord> labels;
        int x, y;
        std::optional<std::uint32_t> want;
    };
    const LabelRecord box = label(KIVO_LABEL_TEXT, 50, 100, 100, 50, "", 7);
    LabelRecord invisible = label(7, 60, 120, 10, 10, "", 8);
    LabelRecord styled = label(KIVO_LABEL_ICON, 50, 100, 20, 20, "nothing", 9);
    styled.style = 0x3ffe;
    const LabelRecord flat = label(KIVO_LABEL_TEXT, 0, 0, 0, 100, "", 10);
    const LabelRecord negative = label(KIVO_LABEL_TEXT, 10, 10, -5, 100, "", 11);
    const LabelRecord far =
        label(KIVO_LABEL_TEXT, INT_MAX - 5, INT_MAX - 100, INT_MAX, 1000, "", 12);
    const Case cases[] = {{10, {box}, 50, 109, {}}, {10, {box}, 50, 110, 7},
        {10, {box}, 149, 159, 7}, {10, {box}, 50, 160, {}}, {10, {box}, 49, 120, {}},
        {10, {box}, 150, 120, {}}, {0, {box, invisible}, 65, 125, 8},
        {0, {invisible, box}, 65, 125, 7}, {0, {box, styled}, 55, 105, 9},
        {0, {flat, negative}, 0, 50, {}}, {INT_MIN, {far}, INT_MAX, -1, 12},
        {INT_MAX, {box}, 60, INT_MIN, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.labels.size() << " labels at " << c.x << "," << c.y);
        ConfigRecord cfg = config();
        cfg.label_offset_y = c.label_offset_y;
        open(320, 240, cfg);
        show(nullptr, nullptr, c.labels);
        EXPECT_EQ(renderer().label_at(c.x, c.y), c.want);
        kivo_destroy_window();
    }
}

} // namespace
} // namespace render_test
