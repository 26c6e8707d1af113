// QR-code labels: module geometry, nothing to draw.
#include <qrencode.h>

#include <climits>
#include <memory>

#include "label_fixture.h"

namespace labels_test {
namespace {

using Code = std::unique_ptr<QRcode, decltype(&QRcode_free)>;

Code encode(const std::string& text)
{
    return Code(QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1), QRcode_free);
}

// Each module exactly where the encoder put it, from the text's UTF-8 bytes as given: with an
// integer scale every surface pixel of the rectangle shows module ((px - x) / scale - border,
// (py - y) / scale - border), the quiet zone in the label's colour.
struct GeometryCase {
    const char* name;
    int border, side, offset;
};

const GeometryCase geometry_cases[] = {
    {"border_4_at_4px", 4, 132, 0}, // 33 image pixels, 16-pixel quiet zone
    {"moved_right_by_a_slide", 4, 66, 35},
    {"negative_border_crops", -2, 84, 0}, // 21 image pixels: modules 2..22
};

TEST_F(LabelTest, QrModulesMatchTheEncoder)
{
    for (const GeometryCase& c : geometry_cases) {
        SCOPED_TRACE(c.name);
        const std::string text = "WIFI:T:WPA;S:Süd – 7;P:secret;;";
        const Code code = encode(text);
        ASSERT_TRUE(code);
        ASSERT_EQ(code->width, 25);
        const int image = 25 + 2 * c.border;
        ASSERT_EQ(c.side % image, 0);
        const int scale = c.side / image;

        ConfigRecord cfg = config();
        cfg.qr_border = c.border;
        open(800, 480, cfg);
        const int x = 100, y = 40;
        LabelRecord l = label(KIVO_LABEL_QR, x, y, c.side, c.side, text.c_str());
        l.r = l.g = 0, l.b = 255; // black on blue
        l.a = 0;                  // not used: the code is opaque
        show({l}, c.offset);
        const Image f = frame();

        const int left = x + c.offset;
        int dark = 0;
        for (int py = y - 1; py <= y + c.side; ++py) {
            for (int px = left - 1; px <= left + c.side; ++px) {
                std::uint32_t want = 0x000000; // outside the rectangle: the untouched black surface
                if (px >= left && px < left + c.side && py >= y && py < y + c.side) {
                    const int mx = (px - left) / scale - c.border, my = (py - y) / scale - c.border;
                    const bool inside = mx >= 0 && mx < 25 && my >= 0 && my < 25;
                    want = inside && (code->data[my * 25 + mx] & 1) ? 0x000000 : 0x0000ff;
                    dark += want == 0;
                }
                ASSERT_EQ(f.rgb(px, py), want) << "at (" << px << ", " << py << ")";
            }
        }
        EXPECT_GT(dark, 0);
    }
}

// Nothing to draw into: a quiet zone that swallows the code, a rectangle without area.
TEST_F(LabelTest, QrWithNothingToShowLeavesTheSurfaceAlone)
{
    ConfigRecord cfg = config();
    cfg.qr_border = -13; // 25 - 26 < 1 pixel
    open(400, 300, cfg);
    LabelRecord swallowed =
        label(KIVO_LABEL_QR, 10, 10, 100, 100, "WIFI:T:WPA;S:station;P:secret;;");
    LabelRecord flat = label(KIVO_LABEL_QR, 150, 10, 0, 100, "x");
    LabelRecord negative = label(KIVO_LABEL_QR, 250, 10, -40, -40, "x");
    show({swallowed, flat, negative});
    EXPECT_TRUE(black(frame()));
}

// A slide by INT_MIN moves a code at INT_MAX - 5 to x = -6: its quiet zone lies on the left edge
// (rectangles at the ends of int otherwise: tests/reliability).
TEST_F(LabelTest, QrOffsetAddsWithoutWrapping)
{
    open(320, 240, config());
    show({label(KIVO_LABEL_QR, INT_MAX - 5, 10, 100, 100, "x")}, INT_MIN);
    EXPECT_EQ(frame().rgb(2, 50), 0xffffffu);
}

} // namespace
} // namespace labels_test
