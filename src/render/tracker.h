// What the renderer draws with, and what it drew last, element by element, so that the next frame
// redraws only what changed. Private to the renderer.
#pragma once

#include "kivo/renderer.h"
#include "render/coords.h"
#include "render/elements.h"
#include "render/label_geometry.h"
#include "render/slider_backdrop.h"

namespace kivo {

// What the renderer draws with, handed to its fast path and to the drawers of each frame.
struct Canvas {
    // Images by reference, the fixed images and the buttons' places.
    Renderer& renderer;
    SDL_Surface* target;
    // The renderer's, which a slide's move of the pixels replaces.
    cairo_t* const& cairo;
    // The layout every text label of the full redraw is drawn with.
    PangoLayout* layout;
    const std::array<PangoFontDescription*, 4>& fonts;
    const Config& config;
    const std::unordered_map<std::string, Renderer::CachedImage>& cache;
    // The milliseconds animations advance by in this frame.
    std::int32_t delta_ms;
    // Changes whenever an image cache entry is made or dropped.
    const std::uint64_t& cache_generation;
};

// Draws a label of any kind, as the full redraw does.
void draw_label(const Canvas& c, const Label& label, int offset);

// Calls the visitor for every element of a frame, from the bottom up: the backgrounds, the icons,
// the current screen's buttons and carousel, the labels of each screen.
template <class Visitor>
void walk_frame(const ScreenDef& current, const ScreenDef& first, const ScreenDef* second,
    int offset, int second_offset, Visitor&& v)
{
    const auto each = [&](auto f) {
        f(first, offset);
        if (second)
            f(*second, second_offset);
    };
    each([&](const ScreenDef& s, int at) {
        if (s.background)
            v.background(*s.background, at);
    });
    each([&](const ScreenDef& s, int at) {
        if (s.icon)
            v.icon(*s.icon, at);
    });
    v.buttons(current.buttons);
    if (current.carousel)
        v.carousel(*current.carousel);
    each([&](const ScreenDef& s, int at) {
        for (const Label& label : s.labels)
            v.label(label, at);
    });
}

// The box a text is laid out in, with the alignment and font it carries.
struct TextBox {
    std::int32_t width = 0, height = 0;
    int align = 0, font = 0;
    bool operator==(const TextBox&) const = default;
};

// A glyph as a text's layout draws it: which, in which font, where its origin lies (Pango units
// from the layout's corner), and the pixels it may touch relative to that corner.
struct PlacedGlyph {
    // Held, so that no other font takes its place while the glyph is compared.
    std::unique_ptr<PangoFont, Freed<g_object_unref>> font;
    PangoGlyph glyph = 0;
    int x = 0, y = 0;
    SDL_Rect ink{};
    bool same(const PlacedGlyph& o) const
    {
        return font == o.font && glyph == o.glyph && x == o.x && y == o.y;
    }
};

// Appends the glyphs of a layout of plain text, in the order they are drawn.
void place_glyphs(PangoLayout* layout, std::vector<PlacedGlyph>& glyphs);

// A text label laid out once and kept while its text and layout settings stay the same.
struct TextSlot {
    std::unique_ptr<PangoLayout, Freed<g_object_unref>> layout;
    std::string text;
    bool markup = false;
    TextBox box;
    // Changes whenever the layout does; 0 before it is first laid out.
    std::uint64_t version = 0;
    SDL_Rect ink{}; // relative to the layout's corner, widened by a margin
    // The glyphs of this version and of the one before it, known for plain text only (markup
    // colours and decorates more than glyphs). The two lists trade places, keeping their room.
    std::vector<PlacedGlyph> glyphs, glyphs_before;
    bool plain = false, plain_before = false;
    std::uint64_t version_before = 0;
};

// A QR label's text encoded once, kept for the frames that draw it (none: it does not encode).
struct QrSlot {
    std::string text;
    QrCode code;
    // Changes whenever the text does; 0 before the first.
    std::uint64_t version = 0;
};

// What the shared layout carries from one text label to the next (the alignment and font a
// label out of range keeps), and how far the texts and QR codes of a frame were prepared.
struct LayoutCarry {
    int align = 0;
    int font = -1; // none set
    std::size_t text = 0, qr = 0;
};

// The renderer's fast path: what it drew last, element by element, and the steps that draw the
// next frame from what changed.
class Tracker {
  public:
    // The frame drawn from what changed, which is added to changed; false (nothing done) when it
    // must be the full redraw.
    bool draw(const Canvas& c, const ScreenDef& first, const ScreenDef* second, int offset,
        int second_offset, Damage& changed);
    // The next frame is the full redraw, as after something else drew on the surface.
    void forget_drawn()
    {
        valid_ = false;
        shared_version_ = 0;
        shared_settings_.reset();
    }

    // The elements of the frame being listed, as walk_frame visits them.
    void background(const std::string& ref, int offset);
    void icon(const std::string& ref, int offset);
    void buttons(int mask);
    void carousel(const CarouselPos& pos);
    void label(const Label& label, int offset);

  private:
    // The canvas of the frame being drawn.
    const Canvas* c_ = nullptr;
    std::vector<TextSlot> text_slots_;
    std::vector<QrSlot> qr_slots_;
    // The elements of the frame on the surface and of the frame being drawn.
    std::vector<Element> on_surface_, next_;
    // on_surface_ is what the surface shows (the whole frame, nothing showing through from before).
    bool valid_ = false;
    // The cache generation the frame on the surface was drawn with.
    std::uint64_t drawn_generation_ = 0;
    std::uint64_t versions_ = 0;
    // The slot version whose text the shared layout holds (0: unknown).
    std::uint64_t shared_version_ = 0;
    // The alignment and font this path left the shared layout with, while nothing else set them.
    std::optional<std::pair<int, int>> shared_settings_;
    // The texts and QR codes listed so far in this frame.
    std::size_t listed_texts_ = 0, listed_qrs_ = 0;
    // The backdrop of each slider of the frame, in order; whether this frame's backgrounds cover
    // the surface (backdrops are kept and used only then).
    std::vector<SliderBackdrop> backdrops_;
    bool covering_ = false;
    // Room reused from frame to frame when a background is copied around what covers it.
    std::vector<SDL_Rect> over_;
    // The offsets of the two screens of the frame on the surface, the second's when it had one.
    int drawn_offset_ = 0;
    std::optional<int> drawn_second_offset_;

    bool loaded(const ScreenDef& screen) const;
    bool carried(LayoutCarry& carry) const;
    bool prepare(const ScreenDef& screen, LayoutCarry& carry);
    bool layout_text(const Label& label, std::size_t slot, int align, int font);
    void sync_shared_layout(const LayoutCarry& carry);
    // An element showing shown within the rectangle at x, y of w x h, cut to the surface.
    template <class T>
    void add(const T& shown, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
        const Label* label = nullptr, int offset = 0)
    {
        next_.emplace_back(shown,
            coords::clip(x, y, w, h, SDL_Rect{0, 0, c_->target->w, c_->target->h}), label, offset);
    }
    void add_image(const SDL_Surface* image, BlitPlan* plan, int x, int y, bool background = false);
    void add_animation(Animation& image, int x, int y, bool background = false);
    bool covered() const;
    int slid(int offset, std::optional<int> second_offset) const;
    Damage differences(int dx) const;
    bool add_changed_glyphs(const ShownText& was, const ShownText& now, Damage& damage) const;
    Damage whole_elements_cut(const Damage& damage) const;
    void repaint(const Damage& damage);
    void draw_element(std::size_t index);
    bool may_take_backdrop(bool stayed, std::size_t index) const;
    void plan_backdrops();
    void draw_slider(std::size_t index);
};

} // namespace kivo
