// Where and how the labels draw, for their drawers and the fast path alike.
#pragma once

#include <memory>

#include <pango/pango-layout.h>
#include <qrencode.h>

#include "kivo/renderer.h"
#include "render/coords.h"

namespace kivo {

// A text label's layout is drawn from the label's top-left corner. A layout spans at most INT_MAX
// Pango units (2^21 pixels), so text placed beyond coords::cairo_limit cannot reach the surface:
// it is not shown rather than shown wrapped around.
struct TextCorner {
    std::int64_t left, top;
    bool shown;

    TextCorner(const Label& label, int offset)
        : left(std::int64_t{label.x} + offset), top(label.y),
          shown(left > -coords::cairo_limit && left < coords::cairo_limit &&
                top > -coords::cairo_limit && top < coords::cairo_limit)
    {
    }
};

// The style image of a text label (the lowest set bit from BlankButton to EmptyBullet; null for
// none) and its corner (style_image_corner).
std::pair<const Surface*, SDL_Point> style_image(const Renderer& r, const Label& label, int offset);

// The box a text label's layout fills: the label's width and height, words wrapped and the last
// line ellipsized.
void set_layout_box(PangoLayout* layout, const Label& label);
// The layout drawn with its top-left corner at left, top in the colour c when shown (the path
// left with that corner as its current point either way).
void show_text(cairo_t* cr, PangoLayout* layout, std::int64_t left, std::int64_t top,
    const Color& c, bool shown);
// The text as plain text (clearing the attributes an earlier markup left) or as markup.
void set_text(PangoLayout* layout, const std::string& text, bool markup);
// Whether markup parses; what is wrong with it is said once when warnings are given (Pango would
// say it on every frame).
bool parses(const std::string& markup, Warnings* warnings);

// The label's own alignment; a value that names none keeps carried, the alignment the shared
// layout has from the text label before.
inline PangoAlignment pango_alignment(LabelAlign align, PangoAlignment carried)
{
    constexpr PangoAlignment of[] = {PANGO_ALIGN_CENTER, PANGO_ALIGN_LEFT, PANGO_ALIGN_RIGHT};
    static_assert(int(LabelAlign::Left) == 1 && int(LabelAlign::Right) == 2);
    return std::size_t(align) < std::size(of) ? of[std::size_t(align)] : carried;
}

// FreeType makes no font of 65536 pixels or more, and Pango then draws no text but warns in its
// own words on every layout. A font beyond this (its size at the layout's resolution) is refused.
inline constexpr int max_font_pixels = 65535;
bool font_too_large(PangoLayout* layout, const PangoFontDescription* font);

// The style image of a text label, centred on the label and lowered by label_offset_y; an icon
// label's image, centred.
inline SDL_Point style_image_corner(
    const Label& label, int offset, int label_offset_y, const SDL_Surface& image)
{
    return {coords::centred(label.x, label.width, image.w, offset),
        coords::centred(label.y, label.height, image.h, label_offset_y)};
}

inline SDL_Point icon_corner(const Label& label, int offset, const SDL_Surface& image)
{
    return style_image_corner(label, offset, 0, image);
}

// Frees what a C library made through the function it gives for that.
template <auto free> struct Freed {
    void operator()(auto* p) const { free(p); }
};
using QrCode = std::unique_ptr<QRcode, Freed<QRcode_free>>;

// The QR code of text; null when it does not encode.
QrCode encode_qr(const std::string& text);
// The code, within a quiet zone of border modules, stretched over the label's rectangle.
void draw_qr_code(
    SDL_Surface* target, int border, const QRcode& code, const Label& label, int offset);

} // namespace kivo
