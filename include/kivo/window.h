// kivo::Window: the framebuffer, the touch panel and the drawing surface.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include <SDL2/SDL.h>

#include "kivo/damage.h"
#include "kivo/export.h"
#include "kivo/surface.h"

struct tsdev;
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace kivo {

class Console;
class FbFormat;

// Opens /dev/fb0, sets width x height at 32 bits per pixel (a driver that refuses the depth with
// EINVAL keeps its own at that size), maps it, opens /dev/input/event0 through tslib
// (non-blocking) and creates a width x height ARGB8888 drawing surface with a Cairo context over
// the same pixels. The surface is a view into a buffer move_slack_rows rows longer on each side
// (see move_pixels). The framebuffer may keep another layout (kivo::FbFormat): present converts to
// it. Every failure ends the process (exit status 1): "open", "ioctl", "mmap", "ts_setup",
// "framebuffer format not supported: ...", "SDL_CreateRGBSurfaceWithFormat: ..."; the
// destructor's "ts_close", "munmap", "close". Never copied.
class KIVO_EXPORT Window {
  public:
    // console: keep the terminal in graphics mode while the window lives (kivo::Console).
    Window(int width, int height, bool console = true);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // SDL's event subsystem only. Fatal: "SDL_Init: ...".
    static void init_sdl();
    static void quit_sdl();
    // The framebuffer's visible size, read without changing anything; needs no window.
    static SDL_DisplayMode get_display_mode();

    // Flushes Cairo, waits for the vertical blank and copies the frame into the framebuffer.
    // With the surface's own layout and equal row lengths the copy is one flat run of 16-byte
    // blocks (the last fb_size mod 16 bytes are left alone); otherwise rows are copied (and
    // converted) one by one, bounded by both sides. Never reads past the surface nor writes past
    // the mapping.
    void present();
    // The same, but after the vertical blank only the rectangles of changed are copied (nothing
    // when it is empty): changed must hold every pixel drawn since the previous present. Because
    // something else may write to the framebuffer (the kernel console, another process), the
    // first present of a window and every 64th present copy the whole frame all the same. This
    // needs no memory beyond the drawing surface: the framebuffer is only written, never read.
    void present(const Damage& changed);
    static constexpr unsigned full_copy_interval = 64;

    // Turns every pending touch sample into SDL mouse events on SDL's queue. Never blocks.
    // When the panel goes away (its reads fail with ENODEV, or its descriptor hangs up), tslib is
    // closed, a touch held then is released at its last position, and later calls try to open
    // the panel again, at most every touch_retry_interval; nothing of this ends the process.
    void update_events();
    static constexpr std::chrono::milliseconds touch_retry_interval{250};
    // Whether the touch panel is open now.
    bool touch_open() const { return ts_ != nullptr; }

    // Moves the frame's pixels dx to the right (left when negative), 0 < |dx| < width: the pixel at
    // x, y then shows what x - dx, y showed, and the |dx| columns brought in hold stale pixels, to
    // be drawn over. Usually nothing is copied: the surface's pixel pointer moves through the
    // buffer and a new Cairo context is made over it (take cairo() again after a move). Only when
    // the view would leave the buffer is the frame copied, once, to the buffer's other end: a
    // whole slide moves one row of pixels, so that is about once every 2 x move_slack_rows slides.
    void move_pixels(int dx);
    static constexpr int move_slack_rows = 4;

    const Surface& surface() const { return surface_; }
    cairo_t* cairo() const { return cairo_; }
    std::uint32_t fb_size() const { return fb_size_; }

  private:
    static constexpr const char* touch_device = "/dev/input/event0";
    int fb_fd_ = -1;
    void* fb_mem_ = nullptr;
    std::uint32_t fb_size_ = 0, fb_line_length_ = 0, fb_rows_ = 0;
    struct tsdev* ts_ = nullptr;
    std::int32_t last_x_ = 0, last_y_ = 0;
    bool touching_ = false;
    std::chrono::steady_clock::time_point touch_retry_{};
    Surface buffer_, surface_; // surface_ is a view into buffer_
    cairo_surface_t* cairo_surface_ = nullptr;
    cairo_t* cairo_ = nullptr;
    std::unique_ptr<const FbFormat> format_; // the driver's pixel layout
    std::unique_ptr<Console> console_;
    unsigned presents_since_full_copy_ = full_copy_interval; // the first present copies all

    void wait_for_vblank();
    void make_cairo();
    void free_cairo();
    void copy(const SDL_Rect& rect);
    std::size_t flat_bytes() const;
};

} // namespace kivo
