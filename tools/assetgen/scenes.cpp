// Demo backgrounds (800 x 480, one animated) and icons (96 x 96).

#include <cmath>
#include <vector>

#include "draw.h"
#include "generate.h"
#include "image.h"

namespace assetgen {
namespace {

constexpr int screen_w = 800, screen_h = 480;

void gradient(cairo_t* cr, Rgb top, Rgb bottom)
{
    cairo_pattern_t* grad = cairo_pattern_create_linear(0, 0, screen_w * 0.3, screen_h);
    cairo_pattern_add_color_stop_rgb(grad, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(grad, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, grad);
    cairo_paint(cr);
    cairo_pattern_destroy(grad);
}

void circle(cairo_t* cr, double x, double y, double r, double alpha)
{
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    set_colour(cr, white, alpha);
    cairo_fill(cr);
}

void home(cairo_t* cr)
{
    gradient(cr, hex(0x123a63), hex(0x2a7ab0));
    circle(cr, 660, 90, 170, 0.06);
    circle(cr, 120, 420, 220, 0.05);
    circle(cr, 420, 250, 60, 0.04);
}

void charging(cairo_t* cr)
{
    gradient(cr, hex(0x0b3d2e), hex(0x1f8a60));
    set_colour(cr, white, 0.05);
    cairo_set_line_width(cr, 36);
    for (int x = -screen_h; x < screen_w; x += 110) {
        cairo_move_to(cr, x, screen_h);
        cairo_line_to(cr, x + screen_h, 0);
    }
    cairo_stroke(cr);
}

void payment(cairo_t* cr)
{
    gradient(cr, hex(0x2c1e4a), hex(0x624a96));
    for (int i = 0; i < 2; ++i) {
        cairo_save(cr);
        cairo_translate(cr, 560 + i * 70, 150 + i * 90);
        cairo_rotate(cr, -0.2 + i * 0.15);
        rounded_rect(cr, -140, -85, 280, 170, 18);
        set_colour(cr, white, 0.07 + i * 0.03);
        cairo_fill(cr);
        cairo_restore(cr);
    }
}

void help(cairo_t* cr)
{
    gradient(cr, hex(0x2f3b48), hex(0x5d6d7e));
    set_colour(cr, white, 0.06);
    cairo_set_line_width(cr, 18);
    for (int r = 80; r < 600; r += 70) {
        cairo_arc(cr, 400, 240, r, 0, 2 * M_PI);
        cairo_stroke(cr);
    }
}

// The charging background with a soft light sweeping from left to right.
Image charging_frame(int frame, int frames)
{
    Canvas c(screen_w, screen_h, CAIRO_FORMAT_RGB24);
    charging(c.cr());
    const double x = -100 + (screen_w + 200.0) * frame / (frames - 1);
    cairo_pattern_t* glow = cairo_pattern_create_radial(x, 240, 0, x, 240, 220);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1, 1, 0.85, 0.35);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1, 1, 0.85, 0);
    cairo_set_source(c.cr(), glow);
    cairo_paint(c.cr());
    cairo_pattern_destroy(glow);
    return c.image();
}

constexpr Rgb amber_light = hex(0xffd34d);

void plug(cairo_t* cr)
{
    set_colour(cr, hex(0x34495e));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (double x : {36.0, 60.0}) { // prongs
        rounded_rect(cr, x - 5, 8, 10, 26, 4);
        cairo_fill(cr);
    }
    rounded_rect(cr, 20, 30, 56, 34, 10);
    cairo_fill(cr);
    cairo_move_to(cr, 48, 62);
    cairo_curve_to(cr, 48, 86, 70, 78, 78, 90);
    cairo_set_line_width(cr, 8);
    cairo_stroke(cr);
    set_colour(cr, amber_light);
    glyph_bolt(cr, 48, 47, 26);
}

void car(cairo_t* cr)
{
    cairo_move_to(cr, 8, 66);
    cairo_line_to(cr, 8, 50);
    cairo_line_to(cr, 22, 46);
    cairo_line_to(cr, 34, 28);
    cairo_line_to(cr, 66, 28);
    cairo_line_to(cr, 78, 46);
    cairo_line_to(cr, 88, 50);
    cairo_line_to(cr, 88, 66);
    cairo_close_path(cr);
    set_colour(cr, hex(0xc0392b));
    cairo_fill(cr);
    cairo_move_to(cr, 30, 46);
    cairo_line_to(cr, 38, 33);
    cairo_line_to(cr, 62, 33);
    cairo_line_to(cr, 70, 46);
    cairo_close_path(cr);
    set_colour(cr, hex(0xd6eaf8));
    cairo_fill(cr);
    for (double x : {26.0, 70.0}) {
        cairo_arc(cr, x, 68, 11, 0, 2 * M_PI);
        set_colour(cr, hex(0x222222));
        cairo_fill(cr);
        cairo_arc(cr, x, 68, 4.5, 0, 2 * M_PI);
        set_colour(cr, hex(0xbbbbbb));
        cairo_fill(cr);
    }
}

void card(cairo_t* cr)
{
    rounded_rect(cr, 6, 18, 84, 60, 8);
    set_colour(cr, hex(0x2d7fd3));
    cairo_fill(cr);
    cairo_rectangle(cr, 6, 28, 84, 11);
    set_colour(cr, hex(0x1b2631));
    cairo_fill(cr);
    rounded_rect(cr, 16, 48, 18, 14, 3);
    set_colour(cr, hex(0xf4d03f));
    cairo_fill(cr);
    cairo_rectangle(cr, 44, 58, 36, 5);
    set_colour(cr, white, 0.8);
    cairo_fill(cr);
}

void station(cairo_t* cr)
{
    rounded_rect(cr, 18, 8, 44, 80, 8);
    set_colour(cr, hex(0x1e9e57));
    cairo_fill(cr);
    rounded_rect(cr, 25, 16, 30, 22, 4);
    set_colour(cr, hex(0xeafaf1));
    cairo_fill(cr);
    set_colour(cr, white);
    glyph_bolt(cr, 40, 60, 30);
    cairo_move_to(cr, 62, 30);
    cairo_curve_to(cr, 86, 30, 84, 60, 80, 74);
    cairo_set_line_width(cr, 5);
    set_colour(cr, hex(0x34495e));
    cairo_stroke(cr);
    rounded_rect(cr, 74, 72, 12, 16, 3);
    cairo_fill(cr);
}

struct Scene {
    const char* name;
    void (*draw)(cairo_t*);
};
constexpr Scene backgrounds[] = {
    {"home", home}, {"charging", charging}, {"payment", payment}, {"help", help}};
constexpr Scene icons[] = {{"plug", plug}, {"car", car}, {"card", card}, {"station", station}};

} // namespace

void write_backgrounds_and_icons(const std::string& root)
{
    const std::string bg = root + "/" + images_dir + "background/";
    for (const Scene& s : backgrounds) {
        Canvas c(screen_w, screen_h, CAIRO_FORMAT_RGB24);
        s.draw(c.cr());
        write_file(bg + s.name + ".webp", encode_webp(c.image(), false, 80));
    }
    constexpr int frames = 8;
    std::vector<Image> images;
    for (int i = 0; i < frames; ++i)
        images.push_back(charging_frame(i, frames));
    write_file(bg + "charging_anim.webp",
        encode_anim_webp(images, std::vector<int>(frames, 100), false, 70));

    const std::string icon = root + "/" + images_dir + "icon/";
    for (const Scene& s : icons) {
        Canvas c(96, 96);
        s.draw(c.cr());
        write_file(icon + s.name + ".webp", encode_webp(c.image(), true));
    }
}

} // namespace assetgen
