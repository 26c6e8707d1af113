// What the fast path prepares before a frame is drawn: the text of each label laid out once and
// kept, each QR text encoded once and kept, and the shared layout left as the full redraw leaves
// it.
#include <tuple>

#include <pango/pangocairo.h>

#include "render/tracker.h"

namespace kivo {

bool Tracker::loaded(const ScreenDef& screen) const
{
    const auto has = [&](const std::optional<std::string>& ref) {
        return !ref || c_->cache.contains(*ref);
    };
    return has(screen.background) && has(screen.icon) &&
           std::ranges::all_of(screen.labels, [&](const Label& label) {
               return label.kind != LabelKind::Icon || c_->cache.contains(label.text);
           });
}

// Lays out the text of a slot again when anything it depends on changed; false for markup
// that does not parse (Pango then keeps the text before, which only the full redraw knows).
bool Tracker::layout_text(const Label& label, std::size_t index, int align, int font)
{
    text_slots_.resize(std::max(text_slots_.size(), index + 1));
    TextSlot& slot = text_slots_[index];
    const bool markup = label.style & LabelStyle::Markup;
    const TextBox box{label.width, label.height, align, font};
    if (slot.version && slot.text == label.text && slot.markup == markup && slot.box == box)
        return true;
    if (markup && !parses(label.text, nullptr))
        return false;
    if (!slot.layout)
        slot.layout.reset(pango_cairo_create_layout(c_->cairo));
    PangoLayout* layout = slot.layout.get();
    set_layout_box(layout, label);
    pango_layout_set_alignment(layout, PangoAlignment(align));
    pango_layout_set_font_description(layout, font >= 0 ? c_->fonts[font] : nullptr);
    if (!slot.version || slot.text != label.text || slot.markup != markup) {
        set_text(layout, label.text, markup);
        slot.text = label.text;
        slot.markup = markup;
    }
    slot.box = box;
    std::swap(slot.glyphs, slot.glyphs_before);
    slot.glyphs.clear();
    slot.plain_before = std::exchange(slot.plain, !markup);
    slot.version_before = std::exchange(slot.version, ++versions_);
    if (!markup)
        place_glyphs(layout, slot.glyphs);
    // Glyphs paint their ink rectangle, a markup background the logical one.
    PangoRectangle ink, logical;
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    const SDL_Rect glyphs{ink.x, ink.y, ink.width, ink.height};
    const SDL_Rect lines{logical.x, logical.y, logical.width, logical.height};
    SDL_Rect p;
    SDL_UnionRect(&glyphs, &lines, &p);
    // Antialiasing and hinting may put ink a little outside the extents Pango reports.
    constexpr int m = 4;
    slot.ink =
        SDL_RectEmpty(&p) ? SDL_Rect{} : SDL_Rect{p.x - m, p.y - m, p.w + 2 * m, p.h + 2 * m};
    return true;
}

// Text laid out and QR texts encoded before anything is drawn or advanced.
bool Tracker::prepare(const ScreenDef& screen, LayoutCarry& carry)
{
    for (const Label& label : screen.labels) {
        if (label.kind == LabelKind::Text) {
            carry.align = pango_alignment(label.align, PangoAlignment(carry.align));
            if (label.font < c_->fonts.size())
                carry.font = label.font;
            // A font too large to draw is refused, and said so, by the full redraw.
            if ((carry.font >= 0 && c_->renderer.fonts_refused_[std::size_t(carry.font)]) ||
                !layout_text(label, carry.text, carry.align, carry.font))
                return false;
            ++carry.text;
        } else if (label.kind == LabelKind::Qr) {
            qr_slots_.resize(std::max(qr_slots_.size(), carry.qr + 1));
            QrSlot& slot = qr_slots_[carry.qr++];
            if (!slot.version || slot.text != label.text) {
                slot.code = encode_qr(label.text);
                slot.text = label.text;
                slot.version = ++versions_;
            }
            if (!slot.code)
                return false;
        }
    }
    return true;
}

// The alignment and font the shared layout carries into this frame; false when its font is none
// of the renderer's (only the full redraw knows what it then draws).
bool Tracker::carried(LayoutCarry& carry) const
{
    if (shared_settings_) {
        std::tie(carry.align, carry.font) = *shared_settings_;
        return true;
    }
    carry.align = pango_layout_get_alignment(c_->layout);
    const PangoFontDescription* desc = pango_layout_get_font_description(c_->layout);
    if (!desc)
        return true;
    for (std::size_t i = 0; i < c_->fonts.size(); ++i)
        if (pango_font_description_equal(desc, c_->fonts[i])) {
            carry.font = int(i);
            return true;
        }
    return false;
}

// Leaves the shared layout as the full redraw would have: the alignment and font carried to the
// next text label, and the text of the last one (which a markup text that does not parse keeps).
void Tracker::sync_shared_layout(const LayoutCarry& carry)
{
    if (shared_settings_ != std::pair(carry.align, carry.font)) {
        pango_layout_set_alignment(c_->layout, PangoAlignment(carry.align));
        pango_layout_set_font_description(
            c_->layout, carry.font >= 0 ? c_->fonts[carry.font] : nullptr);
        shared_settings_.emplace(carry.align, carry.font);
    }
    if (carry.text == 0 || shared_version_ == text_slots_[carry.text - 1].version)
        return;
    const TextSlot& slot = text_slots_[carry.text - 1];
    set_text(c_->layout, slot.text, slot.markup);
    shared_version_ = slot.version;
}

} // namespace kivo
