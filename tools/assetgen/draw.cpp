#include "draw.h"

#include <algorithm>
#include <cmath>

namespace assetgen {
namespace {

// Sets up unit coordinates (-0.5 .. 0.5) over the glyph's square; the caller restores.
void enter(cairo_t* cr, double cx, double cy, double s)
{
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, s, s);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
}

void stroke_polyline(cairo_t* cr, std::initializer_list<double> xy, double width)
{
    const double* p = xy.begin();
    cairo_move_to(cr, p[0], p[1]);
    for (size_t i = 2; i + 1 < xy.size(); i += 2)
        cairo_line_to(cr, p[i], p[i + 1]);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void fill_polygon(cairo_t* cr, std::initializer_list<double> xy)
{
    const double* p = xy.begin();
    cairo_move_to(cr, p[0], p[1]);
    for (size_t i = 2; i + 1 < xy.size(); i += 2)
        cairo_line_to(cr, p[i], p[i + 1]);
    cairo_close_path(cr);
    cairo_fill(cr);
}

} // namespace

void set_colour(cairo_t* cr, Rgb c, double alpha)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

Rgb shade(Rgb c, double f)
{
    auto one = [f](double v) { return f >= 1 ? v + (1 - v) * (f - 1) : v * f; };
    return {one(c.r), one(c.g), one(c.b)};
}

void rounded_rect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void pill(cairo_t* cr, int w, int h, Rgb fill, double radius)
{
    const double r = radius < 0 ? (h - 2) / 2.0 : radius;
    rounded_rect(cr, 1, 1, w - 2, h - 2, r);
    cairo_pattern_t* grad = cairo_pattern_create_linear(0, 0, 0, h);
    const Rgb top = shade(fill, 1.25);
    cairo_pattern_add_color_stop_rgb(grad, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(grad, 1, fill.r, fill.g, fill.b);
    cairo_set_source(cr, grad);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(grad);
    set_colour(cr, shade(fill, 0.7));
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
}

void glyph_tick(cairo_t* cr, double cx, double cy, double s)
{
    enter(cr, cx, cy, s);
    stroke_polyline(cr, {-0.32, 0.02, -0.1, 0.25, 0.34, -0.25}, 0.13);
    cairo_restore(cr);
}

void glyph_arrow_left(cairo_t* cr, double cx, double cy, double s)
{
    enter(cr, cx, cy, s);
    stroke_polyline(cr, {0.34, 0, -0.3, 0}, 0.12);
    stroke_polyline(cr, {-0.04, -0.27, -0.32, 0, -0.04, 0.27}, 0.12);
    cairo_restore(cr);
}

void glyph_cross(cairo_t* cr, double cx, double cy, double s)
{
    enter(cr, cx, cy, s);
    stroke_polyline(cr, {-0.26, -0.26, 0.26, 0.26}, 0.12);
    stroke_polyline(cr, {0.26, -0.26, -0.26, 0.26}, 0.12);
    cairo_restore(cr);
}

void glyph_question(cairo_t* cr, double cx, double cy, double s)
{
    enter(cr, cx, cy, s);
    cairo_arc(cr, 0, -0.14, 0.19, M_PI * 1.05, M_PI * 2.45);
    cairo_curve_to(cr, 0.0, 0.0, 0.0, 0.04, 0.0, 0.12);
    cairo_set_line_width(cr, 0.11);
    cairo_stroke(cr);
    cairo_arc(cr, 0, 0.3, 0.075, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_restore(cr);
}

void glyph_bolt(cairo_t* cr, double cx, double cy, double s)
{
    enter(cr, cx, cy, s);
    fill_polygon(cr, {0.1, -0.46, -0.26, 0.06, -0.03, 0.06, -0.12, 0.46, 0.26, -0.1, 0.03, -0.1});
    cairo_restore(cr);
}

void glyph_leaf(cairo_t* cr, double cx, double cy, double s)
{
    enter(cr, cx, cy, s);
    cairo_move_to(cr, -0.28, 0.28);
    cairo_curve_to(cr, -0.4, -0.18, -0.02, -0.38, 0.38, -0.38);
    cairo_curve_to(cr, 0.38, 0.02, 0.18, 0.4, -0.28, 0.28);
    cairo_close_path(cr);
    cairo_fill(cr);
    stroke_polyline(cr, {-0.4, 0.4, -0.26, 0.26}, 0.07); // stem
    cairo_restore(cr);
}

void glyph_globe(cairo_t* cr, double cx, double cy, double s)
{
    enter(cr, cx, cy, s);
    cairo_set_line_width(cr, 0.065);
    cairo_arc(cr, 0, 0, 0.38, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_save(cr);
    cairo_scale(cr, 0.42, 1);
    cairo_arc(cr, 0, 0, 0.38, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_stroke(cr);
    stroke_polyline(cr, {0, -0.38, 0, 0.38}, 0.065);
    stroke_polyline(cr, {-0.38, 0, 0.38, 0}, 0.065);
    stroke_polyline(cr, {-0.32, -0.19, 0.32, -0.19}, 0.05);
    stroke_polyline(cr, {-0.32, 0.19, 0.32, 0.19}, 0.05);
    cairo_restore(cr);
}

void glyph_hamburger(cairo_t* cr, double cx, double cy, double s)
{
    enter(cr, cx, cy, s);
    for (double y : {-0.22, 0.0, 0.22})
        stroke_polyline(cr, {-0.3, y, 0.3, y}, 0.11);
    cairo_restore(cr);
}

void glyph_chevron(cairo_t* cr, double cx, double cy, double s, Dir dir)
{
    enter(cr, cx, cy, s);
    if (dir == Dir::Right)
        cairo_scale(cr, -1, 1);
    stroke_polyline(cr, {0.14, -0.32, -0.14, 0, 0.14, 0.32}, 0.13);
    cairo_restore(cr);
}

void glyph_triangle(cairo_t* cr, double cx, double cy, double s, Dir dir)
{
    enter(cr, cx, cy, s);
    if (dir == Dir::Right)
        cairo_scale(cr, -1, 1);
    fill_polygon(cr, {0.2, -0.3, -0.22, 0, 0.2, 0.3});
    cairo_restore(cr);
}

} // namespace assetgen
