#include "framebuffer.h"

#include "descriptors.h"
#include "exports.h"
#include "fb_memory.h"
#include "manual_clock.h"
#include "next_libc.h"

#include <cairo.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <err.h>
#include <initializer_list>
#include <linux/fb.h>
#include <sys/ioctl.h>
#include <time.h>

namespace kivo_emu::framebuffer {

static_assert(sizeof(fb_var_screeninfo) == 160, "the kernel's variable screen information record");

namespace {

struct Mode {
    int xres;
    int yres;
    uint32_t line_length;
};

// A panel's pixel layout: depth, red, green, blue and transparency fields, grayscale, visual.
struct Format {
    const char* name;
    uint32_t bits;
    fb_bitfield red, green, blue, transp;
    uint32_t grayscale;
    uint32_t visual;
};

constexpr uint32_t truecolor = FB_VISUAL_TRUECOLOR;
const Format formats[] = {
    {"xrgb8888", 32, {16, 8, 0}, {8, 8, 0}, {0, 8, 0}, {24, 8, 0}, 0, truecolor},
    {"xbgr8888", 32, {0, 8, 0}, {8, 8, 0}, {16, 8, 0}, {24, 8, 0}, 0, truecolor},
    {"bgrx8888", 32, {8, 8, 0}, {16, 8, 0}, {24, 8, 0}, {0, 0, 0}, 0, truecolor},
    {"rgb888", 24, {16, 8, 0}, {8, 8, 0}, {0, 8, 0}, {0, 0, 0}, 0, truecolor},
    {"bgr888", 24, {0, 8, 0}, {8, 8, 0}, {16, 8, 0}, {0, 0, 0}, 0, truecolor},
    {"rgb565", 16, {11, 5, 0}, {5, 6, 0}, {0, 5, 0}, {0, 0, 0}, 0, truecolor},
    {"bgr565", 16, {0, 5, 0}, {5, 6, 0}, {11, 5, 0}, {0, 0, 0}, 0, truecolor},
    {"rgb555", 16, {10, 5, 0}, {5, 5, 0}, {0, 5, 0}, {0, 0, 0}, 0, truecolor},
    // Layouts no station panel should have: a palette, grayscale, and 4-bit fields.
    {"c8", 8, {0, 8, 0}, {0, 8, 0}, {0, 8, 0}, {0, 0, 0}, 0, FB_VISUAL_PSEUDOCOLOR},
    {"gray8", 8, {0, 8, 0}, {0, 8, 0}, {0, 8, 0}, {0, 0, 0}, 1, truecolor},
    {"rgb444", 16, {8, 4, 0}, {4, 4, 0}, {0, 4, 0}, {0, 0, 0}, 0, truecolor}};

const Format* find_format(const char* name)
{
    for (const Format& f : formats)
        if (!strcmp(f.name, name))
            return &f;
    return nullptr;
}

constexpr int default_xres = 800;
constexpr int default_yres = 480;
constexpr int max_side = 8192;
constexpr unsigned default_refresh_hz = 60;
constexpr unsigned max_refresh_hz = 1000;

bool ready;
fb_var_screeninfo var;
fb_fix_screeninfo fix;
uint32_t padding; // the driver's stride rule: line_length = 4 x xres + padding
Mode forced;      // the mode every FBIOPUT_VSCREENINFO gets; xres 0 when off
kivo_emu_fb_fault fault;
unsigned vsyncs;
unsigned environment_refresh_hz = default_refresh_hz; // KIVO_EMU_FB_REFRESH, what reset restores
unsigned refresh_hz = default_refresh_hz;             // 0: the vertical blank is always now
const Format* environment_format = formats;           // KIVO_EMU_FB_FORMAT, what reset restores
const Format* panel = formats;                        // the depth and order the panel keeps

int fail(int error)
{
    errno = error;
    return -1;
}

bool valid_size(int xres, int yres)
{
    return xres > 0 && yres > 0 && xres <= max_side && yres <= max_side;
}

uint32_t stride_for(int xres, uint32_t line_length)
{
    uint32_t packed = panel->bits / 8 * static_cast<uint32_t>(xres);
    return line_length > packed ? line_length : packed;
}

fb_var_screeninfo describe(Mode m)
{
    fb_var_screeninfo v{};
    v.xres = v.xres_virtual = static_cast<uint32_t>(m.xres);
    v.yres = v.yres_virtual = static_cast<uint32_t>(m.yres);
    v.bits_per_pixel = panel->bits;
    v.red = panel->red;
    v.green = panel->green;
    v.blue = panel->blue;
    v.transp = panel->transp;
    v.grayscale = panel->grayscale;
    v.height = v.width = ~0u; // physical size unknown
    v.vmode = FB_VMODE_NONINTERLACED;
    return v;
}

void apply(Mode m)
{
    var = describe(m);
    fix = fb_fix_screeninfo{};
    std::strncpy(fix.id, "kivo-emu", sizeof fix.id - 1);
    fix.smem_len = m.line_length * static_cast<uint32_t>(m.yres);
    fix.type = FB_TYPE_PACKED_PIXELS;
    fix.visual = panel->visual;
    fix.line_length = m.line_length;
    fix.accel = FB_ACCEL_NONE;
    char layout[64];
    snprintf(layout, sizeof layout, "%u %u:%u %u:%u %u:%u", panel->bits, panel->red.offset,
        panel->red.length, panel->green.offset, panel->green.length, panel->blue.offset,
        panel->blue.length);
    fb_memory::resize(m.xres, m.yres, m.line_length, layout);
}

void set_mode(int xres, int yres, uint32_t line_length)
{
    uint32_t stride = stride_for(xres, line_length);
    padding = stride - panel->bits / 8 * static_cast<uint32_t>(xres);
    apply(Mode{xres, yres, stride});
}

void configure_from_environment()
{
    int xres = default_xres, yres = default_yres;
    if (const char* mode = getenv("KIVO_EMU_FB_MODE")) {
        int w = 0, h = 0;
        char rest = 0;
        if (sscanf(mode, "%dx%d%c", &w, &h, &rest) == 2 && valid_size(w, h)) {
            xres = w;
            yres = h;
        } else {
            warnx("kivo-emu: KIVO_EMU_FB_MODE=%s is not WxH; using %dx%d", mode, xres, yres);
        }
    }
    uint32_t stride = 0;
    if (const char* text = getenv("KIVO_EMU_FB_STRIDE")) {
        char* end = nullptr;
        unsigned long n = strtoul(text, &end, 10);
        if (*text && !*end && n >= 4ul * static_cast<unsigned long>(xres) &&
            n <= 4ul * max_side + 4096)
            stride = static_cast<uint32_t>(n);
        else
            warnx("kivo-emu: KIVO_EMU_FB_STRIDE=%s is below 4 x width or too large; ignored", text);
    }
    if (const char* name = getenv("KIVO_EMU_FB_FAULT")) {
        if (!strcmp(name, "missing"))
            fault = KIVO_EMU_FB_MISSING;
        else if (!strcmp(name, "refuse-put"))
            fault = KIVO_EMU_FB_REFUSE_PUT;
        else if (!strcmp(name, "no-vsync"))
            fault = KIVO_EMU_FB_NO_VSYNC;
        else if (!strcmp(name, "refuse-depth"))
            fault = KIVO_EMU_FB_REFUSE_DEPTH;
        else if (*name)
            warnx("kivo-emu: KIVO_EMU_FB_FAULT=%s is not missing, refuse-put, no-vsync or "
                  "refuse-depth",
                name);
    }
    if (const char* name = getenv("KIVO_EMU_FB_FORMAT")) {
        if (const Format* f = find_format(name))
            environment_format = f;
        else if (*name)
            warnx("kivo-emu: KIVO_EMU_FB_FORMAT=%s is not a known format; using xrgb8888", name);
    }
    panel = environment_format;
    if (const char* text = getenv("KIVO_EMU_FB_REFRESH")) {
        char* end = nullptr;
        unsigned long hz = strtoul(text, &end, 10);
        if (*text >= '0' && *text <= '9' && !*end && hz <= max_refresh_hz)
            environment_refresh_hz = static_cast<unsigned>(hz);
        else
            warnx("kivo-emu: KIVO_EMU_FB_REFRESH=%s is not a rate from 0 to %u Hz; using %u", text,
                max_refresh_hz, default_refresh_hz);
    }
    refresh_hz = environment_refresh_hz;
    set_mode(xres, yres, stride);
}

void ensure_ready()
{
    if (ready)
        return;
    ready = true;
    fb_memory::create(getenv("KIVO_EMU_FB_FILE"));
    configure_from_environment();
}

// Sleeps until the panel's next refresh: the next whole multiple of the refresh period on the
// real monotonic clock. Under the manual clock the program's time stands still between the
// test's advances, so the wait returns at once and moves nothing.
void wait_for_refresh()
{
    if (!refresh_hz || manual_clock::active())
        return;
    const long long period = 1000000000LL / refresh_hz;
    const long long next = (sys_monotonic_ns() / period + 1) * period;
    timespec at{};
    at.tv_sec = static_cast<time_t>(next / 1000000000LL);
    at.tv_nsec = static_cast<long>(next % 1000000000LL);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

int put(fb_var_screeninfo* request)
{
    if (!request)
        return fail(EFAULT);
    if (fault == KIVO_EMU_FB_REFUSE_PUT)
        return fail(EINVAL);
    Mode m = forced;
    if (!m.xres) {
        int xres = static_cast<int>(request->xres), yres = static_cast<int>(request->yres);
        // The panel keeps its own depth and order; a DRM-like driver refuses to be asked another.
        if (!valid_size(xres, yres) ||
            (fault == KIVO_EMU_FB_REFUSE_DEPTH && request->bits_per_pixel != panel->bits))
            return fail(EINVAL);
        m = Mode{xres, yres, panel->bits / 8 * request->xres + padding};
    }
    if ((request->activate & FB_ACTIVATE_MASK) == FB_ACTIVATE_TEST) {
        *request = describe(m);
        return 0;
    }
    apply(m);
    *request = var;
    return 0;
}

} // namespace

// A pixel of the panel as the ARGB8888 word it shows (alpha 0).
uint32_t to_xrgb(const uint8_t* pixel)
{
    uint32_t v = 0;
    std::memcpy(&v, pixel, panel->bits / 8); // little-endian
    uint32_t out = 0;
    for (const fb_bitfield* f : {&panel->red, &panel->green, &panel->blue}) {
        uint32_t c = v >> f->offset & ((1u << f->length) - 1);
        // Widened as a panel shows it: the top bits repeated below.
        out = out << 8 | (((c << (8 - f->length)) | (c >> (2 * f->length - 8))) & 255);
    }
    return out;
}

int open(int flags)
{
    ensure_ready();
    if (fault == KIVO_EMU_FB_MISSING)
        return fail(ENOENT);
    int fd = fb_memory::open_descriptor(flags);
    if (fd < 0)
        return -1;
    if (!descriptors::add(fd, Device::framebuffer, -1)) {
        sys_close(fd);
        return fail(EMFILE);
    }
    return fd;
}

int ioctl(int, unsigned long request, void* arg)
{
    ensure_ready();
    switch (request) {
    case FBIOGET_VSCREENINFO:
        if (!arg)
            return fail(EFAULT);
        std::memcpy(arg, &var, sizeof var);
        return 0;
    case FBIOPUT_VSCREENINFO:
        return put(static_cast<fb_var_screeninfo*>(arg));
    case FBIOGET_FSCREENINFO:
        if (!arg)
            return fail(EFAULT);
        std::memcpy(arg, &fix, sizeof fix);
        return 0;
    case FBIO_WAITFORVSYNC:
        ++vsyncs;
        if (fault == KIVO_EMU_FB_NO_VSYNC)
            return fail(ENOTTY);
        if (!arg)
            return fail(EFAULT);
        wait_for_refresh();
        return 0;
    case FBIOPAN_DISPLAY: {
        auto* pan = static_cast<const fb_var_screeninfo*>(arg);
        if (!pan)
            return fail(EFAULT);
        return pan->xoffset == 0 && pan->yoffset == 0 ? 0 : fail(EINVAL);
    }
    case FBIOBLANK:
        return 0;
    default:
        return fail(ENOTTY);
    }
}

void reset()
{
    ensure_ready();
    fault = KIVO_EMU_FB_OK;
    forced = Mode{};
    vsyncs = 0;
    refresh_hz = environment_refresh_hz;
    panel = environment_format;
    set_mode(default_xres, default_yres, 0);
}

} // namespace kivo_emu::framebuffer

using namespace kivo_emu;

void kivo_emu_fb_set_mode(int xres, int yres, uint32_t line_length)
{
    framebuffer::ensure_ready();
    if (!framebuffer::valid_size(xres, yres)) {
        warnx("kivo-emu: mode %dx%d ignored", xres, yres);
        return;
    }
    framebuffer::set_mode(xres, yres, line_length);
}

void kivo_emu_fb_force_mode(int xres, int yres, uint32_t line_length)
{
    framebuffer::ensure_ready();
    if (xres == 0) {
        framebuffer::forced = framebuffer::Mode{};
    } else if (framebuffer::valid_size(xres, yres)) {
        framebuffer::forced =
            framebuffer::Mode{xres, yres, framebuffer::stride_for(xres, line_length)};
    } else {
        warnx("kivo-emu: forced mode %dx%d ignored", xres, yres);
    }
}

int kivo_emu_fb_set_format(const char* name)
{
    framebuffer::ensure_ready();
    const framebuffer::Format* f = name ? framebuffer::find_format(name) : nullptr;
    if (!f)
        return -1;
    framebuffer::panel = f;
    framebuffer::set_mode(
        static_cast<int>(framebuffer::var.xres), static_cast<int>(framebuffer::var.yres), 0);
    return 0;
}

void kivo_emu_fb_set_fault(enum kivo_emu_fb_fault fault)
{
    framebuffer::ensure_ready();
    framebuffer::fault = fault;
}

void kivo_emu_fb_mode(int* xres, int* yres, uint32_t* line_length)
{
    framebuffer::ensure_ready();
    if (xres)
        *xres = static_cast<int>(framebuffer::var.xres);
    if (yres)
        *yres = static_cast<int>(framebuffer::var.yres);
    if (line_length)
        *line_length = framebuffer::fix.line_length;
}

const uint8_t* kivo_emu_fb_pixels(void)
{
    framebuffer::ensure_ready();
    return fb_memory::view();
}

size_t kivo_emu_fb_size(void)
{
    framebuffer::ensure_ready();
    return fb_memory::size();
}

void kivo_emu_fb_set_refresh(unsigned hz)
{
    framebuffer::ensure_ready();
    if (hz > framebuffer::max_refresh_hz) {
        warnx("kivo-emu: refresh rate %u Hz ignored", hz);
        return;
    }
    framebuffer::refresh_hz = hz;
}

unsigned kivo_emu_fb_vsync_count(void)
{
    return framebuffer::vsyncs;
}

int kivo_emu_fb_save_png(const char* path)
{
    int xres = 0, yres = 0;
    uint32_t line_length = 0;
    kivo_emu_fb_mode(&xres, &yres, &line_length);
    const uint8_t* rows = fb_memory::view();
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, xres, yres);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return -1;
    }
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    auto stride = static_cast<size_t>(cairo_image_surface_get_stride(image));
    for (int y = 0; y < yres; ++y)
        for (int x = 0; x < xres; ++x)
            reinterpret_cast<uint32_t*>(data + y * stride)[x] =
                framebuffer::to_xrgb(rows + static_cast<size_t>(y) * line_length +
                                     static_cast<size_t>(x) * framebuffer::panel->bits / 8);
    cairo_surface_mark_dirty(image);
    cairo_status_t status = cairo_surface_write_to_png(image, path);
    cairo_surface_destroy(image);
    return status == CAIRO_STATUS_SUCCESS ? 0 : -1;
}
