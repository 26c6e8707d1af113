#include "kivo/window.h"

#include <err.h>
#include <fcntl.h>
#include <linux/fb.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstring>

#include <cairo.h>
#include <tslib.h>

#include "window/console.h"
#include "window/fb_format.h"

namespace kivo {

namespace {

void fb_ioctl(int fd, unsigned long request, void* arg)
{
    if (ioctl(fd, request, arg) == -1)
        err(1, "ioctl");
}

// The framebuffer, open, and its variable mode.
int open_framebuffer(fb_var_screeninfo& variable)
{
    const int fd = open("/dev/fb0", O_RDWR | O_CLOEXEC);
    if (fd == -1)
        err(1, "open");
    fb_ioctl(fd, FBIOGET_VSCREENINFO, &variable);
    return fd;
}

} // namespace

Window::Window(int width, int height, bool console)
{
    fb_fix_screeninfo fixed{};
    fb_var_screeninfo variable{};
    fb_fd_ = open_framebuffer(variable);
    // Ask for 32 bits; a driver that will not change its depth (EINVAL, as DRM's fbdev
    // emulation answers) keeps its own mode at the requested size.
    variable.xres = variable.xres_virtual = static_cast<__u32>(width);
    variable.yres = variable.yres_virtual = static_cast<__u32>(height);
    fb_var_screeninfo asked = variable;
    asked.bits_per_pixel = 32;
    asked.grayscale = 0;
    if (ioctl(fb_fd_, FBIOPUT_VSCREENINFO, &asked) == -1) {
        if (errno != EINVAL)
            err(1, "ioctl");
        fb_ioctl(fb_fd_, FBIOPUT_VSCREENINFO, &variable);
    }
    fb_ioctl(fb_fd_, FBIOGET_FSCREENINFO, &fixed);
    fb_ioctl(fb_fd_, FBIOGET_VSCREENINFO, &variable);
    format_ = std::make_unique<const FbFormat>(variable, fixed.visual);

    fb_line_length_ = fixed.line_length;
    fb_rows_ = variable.yres;
    fb_size_ = fixed.line_length * variable.yres;

    fb_mem_ = mmap(nullptr, fb_size_, PROT_WRITE, MAP_SHARED, fb_fd_, 0);
    if (fb_mem_ == MAP_FAILED)
        err(1, "mmap");

    ts_ = ts_setup(touch_device, 1);
    if (!ts_)
        err(1, "ts_setup");
    // tslib reports through a process-wide hook; once a window exists its messages are silenced.
    ts_error_fn = [](const char*, va_list) { return 0; };

    const std::int64_t rows = std::int64_t{height} + 2 * move_slack_rows;
    if (rows <= INT_MAX)
        buffer_ = Surface(0, width, int(rows), 32, SDL_PIXELFORMAT_ARGB8888);
    if (buffer_)
        surface_ = Surface(width, height, 32, buffer_->pitch, SDL_PIXELFORMAT_ARGB8888,
            static_cast<Uint8*>(buffer_->pixels) + move_slack_rows * buffer_->pitch);
    if (!surface_)
        errx(1, "SDL_CreateRGBSurfaceWithFormat: %s", SDL_GetError());
    make_cairo();
    if (console)
        console_ = std::make_unique<Console>();
}

Window::~Window()
{
    console_.reset();
    if (ts_ && ts_close(ts_) != 0)
        errx(1, "ts_close");
    if (fb_mem_ && munmap(fb_mem_, fb_size_) == -1)
        err(1, "munmap");
    if (fb_fd_ != -1 && close(fb_fd_) == -1)
        err(1, "close");
    free_cairo();
}

void Window::make_cairo()
{
    cairo_surface_ =
        cairo_image_surface_create_for_data(static_cast<unsigned char*>(surface_->pixels),
            CAIRO_FORMAT_RGB24, surface_->w, surface_->h, surface_->pitch);
    cairo_ = cairo_create(cairo_surface_);
}

void Window::free_cairo()
{
    cairo_destroy(cairo_);
    cairo_surface_finish(cairo_surface_);
    cairo_surface_destroy(cairo_surface_);
}

void Window::move_pixels(int dx)
{
    // In pixels: rows follow one another without a gap, so moving the view by one pixel moves
    // every row by one, the first pixels of a row coming from the end of the row above.
    auto* const first = static_cast<std::uint32_t*>(buffer_->pixels);
    auto* view = static_cast<std::uint32_t*>(surface_->pixels);
    const std::ptrdiff_t frame = std::ptrdiff_t{surface_->w} * surface_->h;
    const std::ptrdiff_t last = std::ptrdiff_t{buffer_->w} * buffer_->h - frame;
    if (const std::ptrdiff_t at = view - first - dx; at >= 0 && at <= last) {
        view -= dx;
    } else {
        // To the end the view heads away from, so that the next moves have the whole buffer.
        std::uint32_t* to = first + (dx > 0 ? last : 0);
        std::memmove(to + std::max(dx, 0), view + std::max(-dx, 0),
            std::size_t(frame - (dx > 0 ? dx : -dx)) * 4);
        view = to;
    }
    free_cairo();
    surface_->pixels = view;
    make_cairo();
}

void Window::init_sdl()
{
    if (SDL_Init(SDL_INIT_EVENTS) != 0)
        errx(1, "SDL_Init: %s", SDL_GetError());
}

void Window::quit_sdl()
{
    SDL_Quit();
}

SDL_DisplayMode Window::get_display_mode()
{
    fb_var_screeninfo variable{};
    if (close(open_framebuffer(variable)) != 0)
        err(1, "close");
    return {SDL_PIXELFORMAT_ARGB8888, int(variable.xres), int(variable.yres), 0, nullptr};
}

void Window::wait_for_vblank()
{
    cairo_surface_flush(cairo_surface_);
    std::uint32_t display = 0;
    ioctl(fb_fd_, FBIO_WAITFORVSYNC, &display);
}

// With the surface's own layout and row length: the bytes of one flat run of whole 16-byte
// blocks (a tail shorter than a block is left alone); otherwise SIZE_MAX: rows are copied.
std::size_t Window::flat_bytes() const
{
    const std::size_t pitch = std::size_t(surface_->pitch);
    return format_->same_as_surface() && pitch == fb_line_length_
               ? std::min<std::size_t>(fb_size_, pitch * surface_->h) & ~std::size_t{15}
               : SIZE_MAX;
}

void Window::present()
{
    wait_for_vblank();
    presents_since_full_copy_ = 0;
    if (const std::size_t n = flat_bytes(); n != SIZE_MAX)
        std::memcpy(fb_mem_, surface_->pixels, n);
    else
        copy(SDL_Rect{0, 0, surface_->w, surface_->h});
}

void Window::present(const Damage& changed)
{
    if (changed.all() || presents_since_full_copy_ + 1 >= full_copy_interval) {
        present();
        return;
    }
    wait_for_vblank();
    ++presents_since_full_copy_;
    for (const SDL_Rect& rect : changed)
        copy(rect);
}

// The part of rect that the whole-frame copy writes, converted: the rows and columns of both sides
// (a driver may have chosen another mode), and with the flat copy no byte of the last fb_size
// mod 16.
void Window::copy(const SDL_Rect& rect)
{
    const std::size_t pitch = static_cast<std::size_t>(surface_->pitch);
    const std::size_t bytes = format_->bytes();
    const std::size_t columns = std::min<std::size_t>(surface_->w, fb_line_length_ / bytes);
    const std::size_t rows = std::min<std::size_t>(fb_rows_, static_cast<std::size_t>(surface_->h));
    const std::size_t limit = flat_bytes();
    const std::size_t x0 = std::size_t(std::max(rect.x, 0));
    const std::size_t x1 =
        std::min<std::size_t>(std::size_t(std::max(rect.x + rect.w, 0)), columns);
    const std::size_t y1 = std::min<std::size_t>(std::size_t(std::max(rect.y + rect.h, 0)), rows);
    const auto* src = static_cast<const unsigned char*>(surface_->pixels);
    auto* dst = static_cast<unsigned char*>(fb_mem_);
    for (std::size_t y = std::size_t(std::max(rect.y, 0)); y < y1 && x0 < x1; ++y) {
        const std::size_t at = y * fb_line_length_;
        if (at + x0 * bytes >= limit)
            break;
        const std::size_t end = std::min(at + x1 * bytes, limit);
        format_->convert(reinterpret_cast<const std::uint32_t*>(src + y * pitch) + x0,
            dst + at + x0 * bytes, (end - at) / bytes - x0, x0, y);
    }
}

} // namespace kivo
