// What the renderer keeps between frames: the text of each label laid out once, the QR texts
// checked once, and the comparison of what two frames show.
#include <bit>

#include <cairo.h>
#include <pango/pangocairo.h>
#include <qrencode.h>

#include "kivo/renderer.h"
#include "render/coords.h"
#include "render/pango_align.h"
#include "render/label_geometry.h"
#include "render/tracker.h"

namespace kivo {

namespace {

// Antialiasing and hinting may put ink a little outside the extents Pango reports.
constexpr int ink_margin = 4;

bool same_bits(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

} // namespace

Tracker::~Tracker()
{
    for (TextSlot& slot : text_slots)
        if (slot.layout)
            g_object_unref(slot.layout);
}

bool Item::shows_same(const Item& o) const
{
    if (kind != o.kind || !SDL_RectEquals(&bounds, &o.bounds))
        return false;
    switch (kind) {
    case Kind::Blit:
        return image == o.image && x == o.x && y == o.y;
    case Kind::Text:
        return version == o.version && left == o.left && seen.y == o.seen.y && shown == o.shown &&
               seen.color == o.seen.color;
    case Kind::Qr:
        return left == o.left && seen.y == o.seen.y && seen.width == o.seen.width &&
               seen.height == o.seen.height && seen.color.r == o.seen.color.r &&
               seen.color.g == o.seen.color.g && seen.color.b == o.seen.color.b &&
               seen.text == o.seen.text;
    case Kind::Slider:
        return same_gauge(o) && same_bits(seen.value, o.seen.value) &&
               same_bits(seen.band_value, o.seen.band_value) &&
               same_bits(seen.marker_value, o.seen.marker_value);
    case Kind::Carousel:
        return carousel.current == o.carousel.current && carousel.count == o.carousel.count;
    }
    return false;
}

bool Item::same_gauge(const Item& o) const
{
    return kind == Kind::Slider && o.kind == Kind::Slider && SDL_RectEquals(&bounds, &o.bounds) &&
           left == o.left && seen.y == o.seen.y && seen.width == o.seen.width &&
           seen.height == o.seen.height && seen.color == o.seen.color;
}

void Tracker::forget_drawn()
{
    valid = false;
    shared_version = 0;
    pending.add_all();
}

bool Tracker::loaded(const ScreenDef& screen) const
{
    if (screen.background && !r_.cache_.contains(*screen.background))
        return false;
    if (screen.icon && !r_.cache_.contains(*screen.icon))
        return false;
    for (const Label& label : screen.labels)
        if (label.kind == LabelKind::Icon && !r_.cache_.contains(label.text))
            return false;
    return true;
}

// Lays out the text of a slot again when anything it depends on changed; false for markup
// that does not parse (Pango then keeps the text before, which only the full redraw knows).
bool Tracker::layout_text(const Label& label, std::size_t index, int align, int font)
{
    if (index == text_slots.size())
        text_slots.emplace_back();
    TextSlot& slot = text_slots[index];
    const bool markup = label.style & LabelStyle::Markup;
    if (slot.set && slot.text == label.text && slot.markup == markup && slot.width == label.width &&
        slot.height == label.height && slot.align == align && slot.font == font)
        return true;
    if (markup && !parses(label.text, nullptr))
        return false;
    if (!slot.layout)
        slot.layout = pango_cairo_create_layout(r_.cairo_);
    set_layout_box(slot.layout, label);
    pango_layout_set_alignment(slot.layout, PangoAlignment(align));
    pango_layout_set_font_description(slot.layout, font >= 0 ? r_.fonts_[font] : nullptr);
    if (!slot.set || slot.text != label.text || slot.markup != markup) {
        set_text(slot.layout, label.text, markup);
        slot.text = label.text;
        slot.markup = markup;
    }
    slot.width = label.width;
    slot.height = label.height;
    slot.align = align;
    slot.font = font;
    slot.set = true;
    slot.version = ++versions;
    // Glyphs paint their ink rectangle, a markup background the logical one.
    PangoRectangle ink, logical;
    pango_layout_get_pixel_extents(slot.layout, &ink, &logical);
    const SDL_Rect glyphs{ink.x, ink.y, ink.width, ink.height};
    const SDL_Rect lines{logical.x, logical.y, logical.width, logical.height};
    SDL_Rect painted;
    SDL_UnionRect(&glyphs, &lines, &painted);
    slot.ink = SDL_RectEmpty(&painted)
                   ? SDL_Rect{}
                   : SDL_Rect{painted.x - ink_margin, painted.y - ink_margin,
                         painted.w + 2 * ink_margin, painted.h + 2 * ink_margin};
    return true;
}

// Text laid out and QR texts checked before anything is drawn or advanced.
bool Tracker::prepare(const ScreenDef& screen, LayoutCarry& carry)
{
    for (const Label& label : screen.labels) {
        if (label.kind == LabelKind::Text) {
            carry.align = pango_alignment(label.align, PangoAlignment(carry.align));
            if (label.font < r_.fonts_.size())
                carry.font = label.font;
            // A font too large to draw is refused, and said so, by the full redraw.
            if ((carry.font >= 0 && font_too_large(r_.layout_, r_.fonts_[carry.font])) ||
                !layout_text(label, carry.text, carry.align, carry.font))
                return false;
            carry.last_text = carry.text++;
        } else if (label.kind == LabelKind::Qr) {
            if (carry.qr == qr_checks.size())
                qr_checks.emplace_back();
            QrCheck& check = qr_checks[carry.qr++];
            if (!check.set || check.text != label.text) {
                QRcode* code =
                    QRcode_encodeString(label.text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1);
                check.encodes = code != nullptr;
                check.text = label.text;
                check.set = true;
                QRcode_free(code);
            }
            if (!check.encodes)
                return false;
        }
    }
    return true;
}

// Leaves the shared layout as the full redraw would have: the alignment and font carried to the
// next text label, and the text of the last one (which a markup text that does not parse keeps).
void Tracker::sync_shared_layout(const LayoutCarry& carry)
{
    pango_layout_set_alignment(r_.layout_, PangoAlignment(carry.align));
    pango_layout_set_font_description(
        r_.layout_, carry.font >= 0 ? r_.fonts_[carry.font] : nullptr);
    if (carry.last_text == SIZE_MAX)
        return;
    const TextSlot& slot = text_slots[carry.last_text];
    if (shared_version == slot.version)
        return;
    set_text(r_.layout_, slot.text, slot.markup);
    shared_version = slot.version;
}

} // namespace kivo
