// What a new text of a label changes: the glyphs that differ, not the whole text.
#include <pango/pangocairo.h>

#include "render/tracker.h"

namespace kivo {

void place_glyphs(PangoLayout* layout, std::vector<PlacedGlyph>& glyphs)
{
    // Antialiasing and hinting may put ink a little outside the extents Pango reports.
    constexpr int m = 4;
    std::unique_ptr<PangoLayoutIter, Freed<pango_layout_iter_free>> it(
        pango_layout_get_iter(layout));
    do {
        const PangoLayoutRun* run = pango_layout_iter_get_run_readonly(it.get());
        if (!run)
            continue;
        PangoRectangle logical;
        pango_layout_iter_get_run_extents(it.get(), nullptr, &logical);
        const int baseline = pango_layout_iter_get_baseline(it.get());
        int x = logical.x;
        for (int i = 0; i < run->glyphs->num_glyphs; ++i) {
            const PangoGlyphInfo& g = run->glyphs->glyphs[i];
            PangoFont* font = run->item->analysis.font;
            PangoRectangle ink{};
            pango_font_get_glyph_extents(font, g.glyph, &ink, nullptr);
            const int gx = x + g.geometry.x_offset, gy = baseline + g.geometry.y_offset;
            const int left = PANGO_PIXELS_FLOOR(gx + ink.x), top = PANGO_PIXELS_FLOOR(gy + ink.y);
            glyphs.push_back(
                {decltype(PlacedGlyph::font)(PANGO_FONT(g_object_ref(font))), g.glyph, gx, gy,
                    {left - m, top - m, PANGO_PIXELS_CEIL(gx + ink.x + ink.width) - left + 2 * m,
                        PANGO_PIXELS_CEIL(gy + ink.y + ink.height) - top + 2 * m}});
            x += g.geometry.width;
        }
    } while (pango_layout_iter_next_run(it.get()));
}

// Where a new plain text of a label drawn in the same place and colour changes pixels: around the
// glyphs between the two texts' common beginning and end. Those draw the same pixels, in the same
// order, at every pixel no other glyph touches. False when that cannot be told.
bool Tracker::add_changed_glyphs(const ShownText& was, const ShownText& now, Damage& damage) const
{
    const TextSlot& slot = text_slots_[now.slot];
    ShownText same = was;
    same.version = now.version;
    if (was.slot != now.slot || !(same == now) || !now.shown ||
        was.version != slot.version_before || now.version != slot.version || !slot.plain ||
        !slot.plain_before)
        return false;
    const std::vector<PlacedGlyph>&a = slot.glyphs_before, &b = slot.glyphs;
    std::size_t first = 0, last = 0;
    while (first < a.size() && first < b.size() && a[first].same(b[first]))
        ++first;
    while (last < a.size() - first && last < b.size() - first &&
           a[a.size() - 1 - last].same(b[b.size() - 1 - last]))
        ++last;
    const SDL_Rect surface{0, 0, c_->target->w, c_->target->h};
    for (const std::vector<PlacedGlyph>* glyphs : {&a, &b})
        for (std::size_t i = first; i + last < glyphs->size(); ++i) {
            const SDL_Rect& ink = (*glyphs)[i].ink;
            SDL_Rect r = coords::clip(
                now.left + ink.x, std::int64_t{now.top} + ink.y, ink.w, ink.h, surface);
            if (!SDL_RectEmpty(&r))
                damage.add(r);
        }
    return true;
}

} // namespace kivo
