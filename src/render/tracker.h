// What the renderer drew last, element by element, so that the next frame redraws only what
// changed. Private to the renderer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <SDL2/SDL.h>

#include "kivo/damage.h"
#include "kivo/renderer.h"
#include "kivo/screen.h"
#include "kivo/surface.h"
#include "render/item.h"
#include "render/slider_backdrop.h"

typedef struct _PangoLayout PangoLayout;

namespace kivo {

// The style image of a text label: the lowest set bit from BlankButton to EmptyBullet, or none.
std::optional<Asset> label_background(std::uint32_t style);

// A text label laid out once and kept while its text and layout settings stay the same.
struct TextSlot {
    PangoLayout* layout = nullptr;
    std::string text;
    bool markup = false;
    bool set = false;
    std::int32_t width = 0, height = 0;
    int align = 0, font = 0;
    // Changes whenever the layout does; never 0 once set.
    std::uint64_t version = 0;
    SDL_Rect ink{}; // relative to the layout's corner, widened by a margin
};

// Whether a QR label's text can be encoded, found once per text.
struct QrCheck {
    std::string text;
    bool set = false;
    bool encodes = false;
};

// What the shared layout carries from one text label to the next (the alignment and font a
// label out of range keeps), and how far the texts and QR codes of a frame were prepared.
struct LayoutCarry {
    int align = 0;
    int font = -1; // none set
    std::size_t text = 0, qr = 0;
    std::size_t last_text = SIZE_MAX; // the slot of the frame's last text, if any
};

// The renderer's fast path: what it drew last, element by element, and the steps that draw the
// next frame from what changed.
class Tracker {
  public:
    explicit Tracker(Renderer& renderer) : r_(renderer) {}
    ~Tracker();

    // The frame drawn from what changed; false (nothing done) when it must be the full redraw.
    bool draw(const ScreenDef& first, const ScreenDef* second, int offset, int second_offset);
    // The next frame is the full redraw, as after something else drew on the surface.
    void forget_drawn();

    // Every frame is the full redraw (Renderer::set_full_redraw).
    bool full_redraw = false;
    // Changes whenever an image cache entry is made or dropped.
    std::uint64_t cache_generation = 0;
    // Drawn since the window last took it.
    Damage pending;

  private:
    Renderer& r_;
    std::vector<TextSlot> text_slots;
    std::vector<QrCheck> qr_checks;
    // The items of the frame on the surface and of the frame being drawn; their first *_count
    // entries hold it (entries are reused from frame to frame).
    std::vector<Item> drawn, next;
    std::size_t drawn_count = 0, next_count = 0;
    // drawn is what the surface shows (the whole frame, nothing showing through from before).
    bool valid = false;
    // The cache generation the drawn frame was drawn with.
    std::uint64_t drawn_generation = 0;
    std::uint64_t versions = 0;
    // The slot version whose text the shared layout holds (0: unknown).
    std::uint64_t shared_version = 0;
    // The backdrop of each slider of the frame, in order; whether this frame's backgrounds cover
    // the surface (backdrops are kept and used only then).
    std::vector<SliderBackdrop> backdrops;
    bool covering = false;
    // Room reused from frame to frame when a background is copied around what covers it.
    std::vector<SDL_Rect> over;

    bool loaded(const ScreenDef& screen) const;
    bool carried(LayoutCarry& carry) const;
    bool prepare(const ScreenDef& screen, LayoutCarry& carry);
    void list(const ScreenDef& first, const ScreenDef* second, int offset, int second_offset);
    Damage differences() const;
    void grow_to_whole_items(Damage& damage) const;
    void repaint(const Damage& damage);
    bool layout_text(const Label& label, std::size_t slot, int align, int font);
    void add_screen_images(const ScreenDef& screen, int offset, bool icon);
    void add_controls(int buttons);
    void add_labels(const ScreenDef& screen, int offset, std::size_t& text);
    Item& add_item();
    Item& add_drawn_label(int kind, const Label& label, int offset);
    void add_blit(const SDL_Surface* image, BlitPlan* plan, int x, int y, bool background = false);
    bool covered() const;
    void draw_item(std::size_t index);
    bool may_take_backdrop(const SliderBackdrop& backdrop, std::size_t index) const;
    void plan_backdrops();
    void draw_slider_item(std::size_t index);
    void sync_shared_layout(const LayoutCarry& carry);
};

} // namespace kivo
