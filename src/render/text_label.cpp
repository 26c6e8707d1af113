#include "kivo/renderer.h"

#include <err.h>

#include <bit>

#include <pango/pangocairo.h>

#include "render/label_geometry.h"
#include "render/warnings.h"

namespace kivo {

std::pair<const Surface*, SDL_Point> style_image(const Renderer& r, const Label& label, int offset)
{
    // Bits 1 to 13 name the images; the lowest set one wins.
    const unsigned styles = label.style & 0x3ffeu;
    if (styles == 0)
        return {};
    const unsigned bit = unsigned(std::countr_zero(styles));
    const Surface& image = r.asset(Asset(unsigned(Asset::LabelBlank) + bit - 1));
    return {&image, style_image_corner(label, offset, r.config().label_offset_y, *image.get())};
}

bool font_too_large(PangoLayout* layout, const PangoFontDescription* font)
{
    if (!font)
        return false;
    double pixels = double(pango_font_description_get_size(font)) / PANGO_SCALE;
    if (!pango_font_description_get_size_is_absolute(font)) {
        const double dpi = pango_cairo_context_get_resolution(pango_layout_get_context(layout));
        pixels *= (dpi > 0 ? dpi : 96) / 72;
    }
    return pixels > max_font_pixels;
}

void set_text(PangoLayout* layout, const std::string& text, bool markup)
{
    if (markup)
        return pango_layout_set_markup(layout, text.c_str(), -1);
    // set_text keeps the attribute list that an earlier label's markup left on the layout.
    pango_layout_set_attributes(layout, nullptr);
    pango_layout_set_text(layout, text.c_str(), -1);
}

bool parses(const std::string& markup, Warnings* warnings)
{
    GError* error = nullptr;
    if (pango_parse_markup(markup.c_str(), -1, 0, nullptr, nullptr, nullptr, &error))
        return true;
    if (warnings && warnings->first("markup", markup))
        warnx("markup: %s", error->message);
    g_error_free(error);
    return false;
}

void show_text(cairo_t* cr, PangoLayout* layout, std::int64_t left, std::int64_t top,
    const Color& c, bool shown)
{
    cairo_new_path(cr);
    cairo_move_to(cr, double(left), double(top));
    constexpr double k = 1.0 / 255;
    cairo_set_source_rgba(cr, c.r * k, c.g * k, c.b * k, c.a * k);
    if (shown)
        pango_cairo_show_layout(cr, layout);
    cairo_close_path(cr);
}

void set_layout_box(PangoLayout* layout, const Label& label)
{
    // Pixels to Pango units (a shift by 10), saturated to int.
    const auto units = [](std::int32_t pixels) {
        return coords::saturate(std::int64_t{pixels} * PANGO_SCALE);
    };
    pango_layout_set_width(layout, units(label.width));
    pango_layout_set_height(layout, units(label.height));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
}

void Renderer::draw_text_label(const Label& label, int offset) const
{
    if (const auto [image, at] = style_image(*this, label, offset); image)
        draw_at(*image, at.x, at.y);

    set_layout_box(layout_, label);
    pango_layout_set_alignment(
        layout_, pango_alignment(label.align, pango_layout_get_alignment(layout_)));
    if (label.font < fonts_.size())
        pango_layout_set_font_description(layout_, fonts_[label.font]);
    // Markup that does not parse leaves the layout as it was, as Pango would.
    const bool markup = label.style & LabelStyle::Markup;
    if (!markup || parses(label.text, warnings_.get()))
        set_text(layout_, label.text, markup);
    const TextCorner corner(label, offset);
    // A font too large is refused, and said so once while texts in it are drawn.
    const PangoFontDescription* font = pango_layout_get_font_description(layout_);
    const bool refused = font_too_large(layout_, font);
    if (refused) {
        char* name = pango_font_description_to_string(font);
        if (warnings_->first("font", name))
            warnx(
                "font \"%s\": more than %d pixels high, too large to draw", name, max_font_pixels);
        g_free(name);
    }
    show_text(cairo_, layout_, corner.left, corner.top, label.color, corner.shown && !refused);
}

void Renderer::draw_icon_label(const Label& label, int offset)
{
    Animation& image = get_image("icon", label.text, 0, 0);
    if (const SDL_Surface* frame = image.frame()) {
        const SDL_Point at = icon_corner(label, offset, *frame);
        draw_at(image, at.x, at.y);
    }
}

} // namespace kivo
