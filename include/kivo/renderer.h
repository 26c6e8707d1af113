// kivo::Renderer: draws screens into the window's drawing surface and answers hit tests.
#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <SDL2/SDL.h>

#include "kivo/animation.h"
#include "kivo/config.h"
#include "kivo/damage.h"
#include "kivo/export.h"
#include "kivo/screen.h"
#include "kivo/surface.h"

typedef struct _cairo cairo_t;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoFontDescription PangoFontDescription;

namespace kivo {

class Window;
class Tracker;
class Warnings;

// The fixed images (asset_count of them), in loading order, below "app/share/marvo/images/".
enum class Asset : std::uint8_t {
    ButtonOk,
    ButtonOkV2,
    ButtonBack,
    ButtonBackV2,
    ButtonMenu,
    ButtonClose,
    ButtonHelp,
    ButtonFast,
    ButtonSmart,
    ButtonFrame,
    ButtonBackTavi,
    ButtonLocaleTavi,
    LabelBlank,
    LabelFast,
    LabelSmart,
    LabelNarrow,
    LabelAvailable,
    LabelReserved,
    LabelCharging,
    LabelFaulted,
    LabelGrey,
    LabelWhite,
    LabelTall,
    LabelFullBullet,
    LabelEmptyBullet,
    CarouselLeft,
    CarouselRight,
    CarouselEmptyDot,
    CarouselFullDot,
    CarouselLeftTavi,
    CarouselLeftEndTavi,
    CarouselRightTavi,
    CarouselRightEndTavi,
    Count
};
inline constexpr std::size_t asset_count = static_cast<std::size_t>(Asset::Count);

// Borrows the window's drawing surface and Cairo context for its whole life: destroy it before
// the window. Construction loads all the fixed images and ends the process with "essential images
// missing" (after one warning per missing file) when any is absent. Never copied or moved.
class KIVO_EXPORT Renderer {
  public:
    // An image loaded by reference, with the steady-clock time of the draw that looked it up last
    // (a lookup outside a draw takes the last draw's), the bytes its pixels take and that draw's
    // number (counted by clear_cache).
    struct CachedImage {
        CachedImage(const char* kind, const std::string& ref, int width, int height);
        Animation image;
        std::chrono::steady_clock::time_point last_used;
        std::size_t bytes = 0;
        std::uint64_t round = 0;
    };

    Renderer(Window& window, const Config& config);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // One frame of one screen. The renderer remembers what it drew and redraws only the regions
    // that can differ from the frame before (in stacking order, clipped to them), leaving the
    // surface byte for byte as a full redraw would. It redraws everything when that cannot be
    // proven: the first frame, a background that does not cover the surface with an opaque copy
    // (the frame before then shows through), an image loaded or dropped, a markup text that does
    // not parse, a font too large to draw or a QR text that does not encode, and a frame that may
    // throw (an image not yet loaded, a button the flavour lacks). A slider that stays in place
    // keeps the pixels under its value arc (its bounds, 4 bytes a pixel: 264 KiB for a 200 x 200
    // slider), so that a new value redraws only the pixels near the ends that moved. A new plain
    // text in the same place and colour redraws only around the glyphs between what it and the
    // text before begin and end with (a counter's step: the digits that changed).
    void draw(const ScreenDef& screen);
    // One frame of a slide: first at offset, second beside it; the screen covering more than
    // half of the surface becomes current.
    // Any int offset is safe: the second offset, |offset| and every x + offset of the drawers are
    // formed in 64 bits and saturated to int (an element pushed that far is off the surface).
    void draw(const ScreenDef& first, const ScreenDef& second, int offset);

    // On: every draw is the full redraw, element by element as described above each drawer, each
    // image blitted whole by SDL, and reports the whole surface as changed. The reference the
    // tracked frames are checked against; off after construction. Off, opaque parts of images are
    // copied, backgrounds are not copied where a later copy covers them, and on x86 with AVX2 the
    // rest is blended eight pixels at a time with SDL's arithmetic (once checked, on first use,
    // to give the bytes of the SDL in the process; SDL blends otherwise).
    void set_full_redraw(bool on) { full_redraw_ = on; }
    // The regions draw() changed since the previous call (the window copies only those).
    Damage take_damage() { return std::exchange(pending_, Damage{}); }
    // The next draw redraws the whole surface, as it must after something else drew on it.
    void redraw_all();

    // Blits with the top-left corner at (x, y); the Animation form advances it by delta_ms first.
    // An image wholly outside the surface is skipped, so SDL never adds a corner near INT_MAX.
    void draw_at(const Surface& image, int x, int y) const;
    void draw_at(Animation& image, int x, int y) const;

    // The cached image for ref, loading it on a miss ("file://", "data://", "image://" or a bare
    // name resolved as "app/share/marvo/images/<kind>/<name>.webp"). The first lookup fixes the
    // size. Throws std::runtime_error for malformed "data://" base64, leaving no entry.
    Animation& get_image(const char* kind, const std::string& ref, int width, int height);
    // Drops entries not looked up for more than 600 seconds. Then, while the cached images take
    // more than the image bound (see kivo.h), drops the least recently used of those not looked
    // up since the previous call (the draw just made), until they fit: an image that the last draw
    // named is never dropped.
    void clear_cache();
    void draw_background(const std::string& ref, int x);
    void draw_icon(const std::string& ref, int x);

    // width x 1024 and height x 1024 saturate at the int limits instead of overflowing.
    // Plain text clears the attributes that an earlier label's markup left on the shared layout.
    // Text whose corner lies 2^22 pixels or more away is not shown (Cairo would wrap it around).
    void draw_text_label(const Label& label, int offset) const;
    void draw_icon_label(const Label& label, int offset);
    void draw_qr_label(const Label& label, int offset) const;
    void draw_slider_label(const Label& label, int offset) const;
    // The two halves of draw_slider_label: the track and band, then the value arc and marker.
    // Each pixel is drawn the same whatever clip rectangle the surface has.
    void draw_slider_track(const Label& label, int offset) const;
    void draw_slider_value(const Label& label, int offset) const;

    // The image and place of a button. Throws std::invalid_argument "flavour" when the configured
    // flavour has no image for it, "button" when flag is not a single known button.
    std::pair<const Surface&, SDL_Rect> image_rect(ButtonFlag flag) const;
    void draw_buttons(int mask) const;
    // Dot positions are 64-bit, and only dots that can touch the surface are visited, so any
    // count is safe (with carousel_spacing 0 all count dots are drawn, one over the other).
    void draw_carousel(const CarouselPos& pos) const;
    std::optional<ButtonFlag> button_at(int x, int y) const;
    // x + width, y + height and y - label_offset_y are 64-bit: no label edge wraps around.
    std::optional<std::uint32_t> label_at(int x, int y) const;

    const ScreenDef& current_screen() const { return current_screen_; }
    const Config& config() const { return config_; }
    std::size_t cache_size() const { return cache_.size(); }
    // The bytes of pixels the cached images take.
    std::size_t cache_bytes() const { return cache_bytes_; }
    const Surface& asset(Asset a) const { return assets_[static_cast<std::size_t>(a)]; }

  private:
    friend class Tracker;
    // One frame: drawn by the fast path from what changed, or in full.
    void draw_frame(const ScreenDef& first, const ScreenDef* second, int offset, int second_offset);
    // The surface's pixels moved dx to the right, as Window::move_pixels moves them.
    void move_pixels(int dx);

    Window& window_;
    SDL_Surface* target_;
    cairo_t* cairo_; // the window's, taken again after every move
    Config config_;
    PangoLayout* layout_ = nullptr;
    std::array<PangoFontDescription*, 4> fonts_{};
    std::array<bool, 4> fonts_refused_{}; // too large to draw, decided once
    std::array<Surface, asset_count> assets_;
    std::unordered_map<std::string, CachedImage> cache_;
    std::size_t cache_bytes_ = 0;
    // Counts the calls of clear_cache: entries looked up since the last one carry it.
    std::uint64_t cache_round_ = 0;
    Uint32 last_ticks_ = 0;
    std::int32_t delta_ms_ = 0;
    // The steady-clock time of the draw being made, which the images it looks up are stamped with
    // (not the time of each lookup: the clock is read once a draw).
    std::chrono::steady_clock::time_point frame_time_ = std::chrono::steady_clock::now();
    // Changes whenever an image cache entry is made or dropped.
    std::uint64_t cache_generation_ = 0;
    bool full_redraw_ = false;
    // Drawn since the window last took it.
    Damage pending_;
    ScreenDef current_screen_;
    // The fast path: what was drawn last, element by element (a type private to the library).
    std::unique_ptr<Tracker> tracker_;
    // What the warnings of the frames drawn so far were about (said once per cause).
    std::unique_ptr<Warnings> warnings_;
};

} // namespace kivo
