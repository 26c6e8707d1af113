#include "fixed_assets.h"

#include <cmath>

#include "draw.h"

namespace assetgen {
namespace {

// Palettes of the three button families: rosk round and blue, v2 square and green, tavi white
// with an orange ring.
constexpr Rgb rosk_blue = hex(0x1f4e8c), v2_green = hex(0x1e9e57), tavi_orange = hex(0xe8730c);
constexpr Rgb slate = hex(0x34495e), amber = hex(0xf5a623);

using Glyph = void (*)(cairo_t*, double, double, double);

void rosk_button(cairo_t* cr, int w, int h, Glyph glyph)
{
    const double r = w / 2.0 - 2;
    cairo_arc(cr, w / 2.0, h / 2.0, r, 0, 2 * M_PI);
    cairo_pattern_t* grad = cairo_pattern_create_linear(0, 0, 0, h);
    const Rgb top = shade(rosk_blue, 1.35);
    cairo_pattern_add_color_stop_rgb(grad, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(grad, 1, rosk_blue.r, rosk_blue.g, rosk_blue.b);
    cairo_set_source(cr, grad);
    cairo_fill(cr);
    cairo_pattern_destroy(grad);
    cairo_arc(cr, w / 2.0, h / 2.0, r - 3.5, 0, 2 * M_PI);
    set_colour(cr, white, 0.85);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    set_colour(cr, white);
    glyph(cr, w / 2.0, h / 2.0, w * 0.55);
}

void v2_button(cairo_t* cr, int w, int h, Glyph glyph)
{
    rounded_rect(cr, 3, 3, w - 6, h - 6, w * 0.2);
    set_colour(cr, v2_green);
    cairo_fill_preserve(cr);
    set_colour(cr, shade(v2_green, 0.6));
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    set_colour(cr, white);
    glyph(cr, w / 2.0, h / 2.0, w * 0.6);
}

void tavi_button(cairo_t* cr, int w, int h, Glyph glyph)
{
    cairo_arc(cr, w / 2.0, h / 2.0, w / 2.0 - 5, 0, 2 * M_PI);
    set_colour(cr, white);
    cairo_fill_preserve(cr);
    set_colour(cr, tavi_orange);
    cairo_set_line_width(cr, 7);
    cairo_stroke(cr);
    glyph(cr, w / 2.0, h / 2.0, w * 0.55);
}

void frame_button(cairo_t* cr, int w, int h)
{
    rounded_rect(cr, 5, 5, w - 10, h - 10, 10);
    set_colour(cr, rosk_blue);
    cairo_set_line_width(cr, 7);
    cairo_stroke(cr);
    rounded_rect(cr, 13, 13, w - 26, h - 26, 4);
    set_colour(cr, rosk_blue, 0.6);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
}

// A pill with a glyph in a light disc at its left end.
void badge_label(cairo_t* cr, int w, int h, Rgb fill, Rgb mark, Glyph glyph)
{
    pill(cr, w, h, fill);
    const double r = h / 2.0 - 7;
    cairo_arc(cr, h / 2.0, h / 2.0, r, 0, 2 * M_PI);
    set_colour(cr, white, 0.9);
    cairo_fill(cr);
    set_colour(cr, mark);
    glyph(cr, h / 2.0, h / 2.0, r * 1.7);
}

void white_label(cairo_t* cr, int w, int h)
{
    rounded_rect(cr, 1.5, 1.5, w - 3, h - 3, (h - 3) / 2.0);
    set_colour(cr, white);
    cairo_fill_preserve(cr);
    set_colour(cr, hex(0x9aa5ad));
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

void disc(cairo_t* cr, int w, int h, Rgb c, bool filled)
{
    cairo_arc(cr, w / 2.0, h / 2.0, w / 2.0 - 1.5, 0, 2 * M_PI);
    if (filled) {
        set_colour(cr, c);
        cairo_fill_preserve(cr);
        set_colour(cr, white, 0.9);
        cairo_set_line_width(cr, 1.2);
    } else {
        set_colour(cr, white, 0.55);
        cairo_fill_preserve(cr);
        set_colour(cr, c);
        cairo_set_line_width(cr, 2);
    }
    cairo_stroke(cr);
}

void rosk_arrow(cairo_t* cr, int w, int h, Dir dir)
{
    rounded_rect(cr, 1, 1, w - 2, h - 2, 12);
    set_colour(cr, hex(0x000000), 0.4);
    cairo_fill(cr);
    set_colour(cr, white);
    glyph_chevron(cr, w / 2.0, h / 2.0, w * 0.8, dir);
}

void tavi_arrow(cairo_t* cr, int w, int h, Dir dir, bool end)
{
    rounded_rect(cr, 2, 2, w - 4, h - 4, 8);
    set_colour(cr, end ? hex(0x9aa5ad) : tavi_orange);
    cairo_fill(cr);
    set_colour(cr, white);
    const double s = w * 0.75;
    glyph_triangle(cr, w / 2.0 + (end ? (dir == Dir::Left ? 3 : -3) : 0), h / 2.0, s, dir);
    if (end) { // a stop bar on the pointing side
        const double x = dir == Dir::Left ? w / 2.0 - s * 0.3 : w / 2.0 + s * 0.3 - 4;
        cairo_rectangle(cr, x, h / 2.0 - s * 0.3, 4, s * 0.6);
        cairo_fill(cr);
    }
}

} // namespace

#define BUTTON(path, size, plate, glyph)                                                           \
    {                                                                                              \
        path, size, size, [](cairo_t* cr, int w, int h) { plate(cr, w, h, glyph); }                \
    }
#define PILL(path, w, h, colour)                                                                   \
    {                                                                                              \
        path, w, h, [](cairo_t* cr, int w_, int h_) { pill(cr, w_, h_, colour); }                  \
    }

const std::array<FixedAsset, 33> fixed_assets = {{
    BUTTON("button/rosk/ok.webp", 80, rosk_button, glyph_tick),
    BUTTON("button/rosk/ok_v2.webp", 80, v2_button, glyph_tick),
    BUTTON("button/rosk/back.webp", 80, rosk_button, glyph_arrow_left),
    BUTTON("button/rosk/back_v2.webp", 80, v2_button, glyph_arrow_left),
    BUTTON("button/rosk/menu.webp", 80, rosk_button, glyph_hamburger),
    BUTTON("button/rosk/close.webp", 80, rosk_button, glyph_cross),
    BUTTON("button/rosk/help.webp", 80, rosk_button, glyph_question),
    BUTTON("button/rosk/fast.webp", 80, rosk_button, glyph_bolt),
    BUTTON("button/rosk/smart.webp", 80, rosk_button, glyph_leaf),
    {"button/rosk/frame.webp", 80, 80, frame_button},
    BUTTON("button/tavi/back.webp", 88, tavi_button, glyph_arrow_left),
    BUTTON("button/tavi/locale.webp", 88, tavi_button, glyph_globe),
    PILL("label/rosk/blankButton.webp", 240, 64, rosk_blue),
    {"label/rosk/fastButton.webp", 240, 64,
        [](cairo_t* cr, int w, int h) { badge_label(cr, w, h, rosk_blue, amber, glyph_bolt); }},
    {"label/rosk/smartButton.webp", 240, 64,
        [](cairo_t* cr, int w, int h) { badge_label(cr, w, h, rosk_blue, v2_green, glyph_leaf); }},
    PILL("label/rosk/narrowButton.webp", 180, 64, rosk_blue),
    PILL("label/tavi/availableButton.webp", 220, 56, hex(0x27ae60)),
    PILL("label/tavi/reservedButton.webp", 220, 56, hex(0xf39c12)),
    PILL("label/tavi/chargingButton.webp", 220, 56, hex(0x2d7fd3)),
    PILL("label/tavi/faultedButton.webp", 220, 56, hex(0xd0392b)),
    PILL("label/tavi/greyButton.webp", 220, 56, hex(0x8e9aa3)),
    {"label/tavi/whiteButton.webp", 220, 56, white_label},
    PILL("label/tavi/tallButton.webp", 200, 72, hex(0x6c4bb4)),
    {"label/tavi/fullBullet.webp", 16, 16,
        [](cairo_t* cr, int w, int h) { disc(cr, w, h, slate, true); }},
    {"label/tavi/emptyBullet.webp", 16, 16,
        [](cairo_t* cr, int w, int h) { disc(cr, w, h, slate, false); }},
    {"carousel/rosk/left.webp", 48, 96,
        [](cairo_t* cr, int w, int h) { rosk_arrow(cr, w, h, Dir::Left); }},
    {"carousel/rosk/right.webp", 48, 96,
        [](cairo_t* cr, int w, int h) { rosk_arrow(cr, w, h, Dir::Right); }},
    {"carousel/rosk/emptyDot.webp", 14, 14,
        [](cairo_t* cr, int w, int h) { disc(cr, w, h, rosk_blue, false); }},
    {"carousel/rosk/fullDot.webp", 14, 14,
        [](cairo_t* cr, int w, int h) { disc(cr, w, h, rosk_blue, true); }},
    {"carousel/tavi/left.webp", 48, 96,
        [](cairo_t* cr, int w, int h) { tavi_arrow(cr, w, h, Dir::Left, false); }},
    {"carousel/tavi/leftEnd.webp", 48, 96,
        [](cairo_t* cr, int w, int h) { tavi_arrow(cr, w, h, Dir::Left, true); }},
    {"carousel/tavi/right.webp", 48, 96,
        [](cairo_t* cr, int w, int h) { tavi_arrow(cr, w, h, Dir::Right, false); }},
    {"carousel/tavi/rightEnd.webp", 48, 96,
        [](cairo_t* cr, int w, int h) { tavi_arrow(cr, w, h, Dir::Right, true); }},
}};

} // namespace assetgen
