#pragma once
// Shapes and glyphs for the generated images. Glyphs are drawn centred on (cx, cy) inside a square
// of side s, with the current source; they leave the context's state as they found it.

#include <cairo.h>

namespace assetgen {

struct Rgb {
    double r, g, b;
};

constexpr Rgb hex(unsigned v)
{
    return {(v >> 16 & 255) / 255.0, (v >> 8 & 255) / 255.0, (v & 255) / 255.0};
}
constexpr Rgb white = hex(0xffffff);

void set_colour(cairo_t* cr, Rgb c, double alpha = 1);
void rounded_rect(cairo_t* cr, double x, double y, double w, double h, double r);
// A rounded rectangle (radius at most half the height) over the whole w x h area, shaded from a
// lighter top to `fill` at the bottom, with a thin darker outline.
void pill(cairo_t* cr, int w, int h, Rgb fill, double radius = -1);
Rgb shade(Rgb c, double factor); // factor > 1 lightens, < 1 darkens

enum class Dir { Left, Right };

void glyph_tick(cairo_t* cr, double cx, double cy, double s);
void glyph_arrow_left(cairo_t* cr, double cx, double cy, double s);
void glyph_cross(cairo_t* cr, double cx, double cy, double s);
void glyph_question(cairo_t* cr, double cx, double cy, double s);
void glyph_bolt(cairo_t* cr, double cx, double cy, double s);
void glyph_leaf(cairo_t* cr, double cx, double cy, double s);
void glyph_globe(cairo_t* cr, double cx, double cy, double s);
void glyph_hamburger(cairo_t* cr, double cx, double cy, double s);
void glyph_chevron(cairo_t* cr, double cx, double cy, double s, Dir dir);
void glyph_triangle(cairo_t* cr, double cx, double cy, double s, Dir dir);

} // namespace assetgen
