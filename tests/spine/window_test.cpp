#include <dlfcn.h>
#include <fcntl.h>
#include <linux/kd.h>
#include <linux/fb.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <tuple>

#include "capi/state.h"
#include "kivo_emu.h"
#include "support.h"
#include "window/fb_format.h"

namespace {

// The framebuffer requests and mappings made while a Devices is alive, passed on to the emulator.
struct Devices {
    std::vector<unsigned long> requests;
    fb_var_screeninfo got{}, put{}; // the first mode read, and the mode asked for
    std::uint32_t vsync_arg = 0xffffffff;
    int fb = -1;                           // the descriptor the requests went to
    std::vector<std::pair<int, int>> maps; // protection and flags of each mapping of it
    Devices() { active = this; }
    ~Devices() { active = nullptr; }
    static inline Devices* active = nullptr;
};

void record_map(int prot, int flags, int fd)
{
    if (Devices::active && fd >= 0 && fd == Devices::active->fb)
        Devices::active->maps.emplace_back(prot, flags);
}

} // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept
{
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    using Next = int (*)(int, unsigned long, ...);
    static const auto next = reinterpret_cast<Next>(dlsym(RTLD_NEXT, "ioctl"));
    Devices* d = Devices::active;
    const bool fb = request == FBIOGET_VSCREENINFO || request == FBIOPUT_VSCREENINFO ||
                    request == FBIOGET_FSCREENINFO || request == FBIO_WAITFORVSYNC;
    if (d && fb) {
        d->fb = fd;
        d->requests.push_back(request);
        if (request == FBIOPUT_VSCREENINFO)
            d->put = *static_cast<const fb_var_screeninfo*>(arg);
        if (request == FBIO_WAITFORVSYNC)
            d->vsync_arg = *static_cast<const std::uint32_t*>(arg);
    }
    const int result = next(fd, request, arg);
    if (d && request == FBIOGET_VSCREENINFO && d->requests.size() == 1)
        d->got = *static_cast<const fb_var_screeninfo*>(arg);
    return result;
}

extern "C" void* mmap(void* addr, size_t length, int prot, int flags, int fd, off_t offset) noexcept
{
    using Next = void* (*)(void*, size_t, int, int, int, off_t);
    static const auto next = reinterpret_cast<Next>(dlsym(RTLD_NEXT, "mmap"));
    record_map(prot, flags, fd);
    return next(addr, length, prot, flags, fd, offset);
}

extern "C" void* mmap64(
    void* addr, size_t length, int prot, int flags, int fd, off64_t offset) noexcept
{
    using Next = void* (*)(void*, size_t, int, int, int, off64_t);
    static const auto next = reinterpret_cast<Next>(dlsym(RTLD_NEXT, "mmap64"));
    record_map(prot, flags, fd);
    return next(addr, length, prot, flags, fd, offset);
}

namespace {

using kivo_test::config;
using kivo_test::Display;

// The emulated display's memory, mapped read-write by the test itself.
struct Mapping {
    Mapping()
    {
        fd = open("/dev/fb0", O_RDWR | O_CLOEXEC);
        size = kivo_emu_fb_size();
        mem = static_cast<std::uint8_t*>(
            mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
    }
    ~Mapping()
    {
        munmap(mem, size);
        close(fd);
    }
    int fd;
    std::size_t size;
    std::uint8_t* mem;
};

void fill_surface_pattern()
{
    SDL_Surface* s = kivo::state::window->surface().get();
    auto* p = static_cast<std::uint8_t*>(s->pixels);
    const std::size_t n = static_cast<std::size_t>(s->pitch) * static_cast<std::size_t>(s->h);
    for (std::size_t i = 0; i < n; ++i)
        p[i] = static_cast<std::uint8_t>(i * 7 + i / 4099);
}

constexpr std::uint8_t sentinel = 0xAB;

// The framebuffer pixel the surface pixel argb at (x, y) should become, by the colour fields the
// driver reports: fields under 8 bits take an ordered 4 x 4 dither before truncation; a 32-bit
// framebuffer laid out like the surface is copied unchanged.
std::uint32_t reference(
    const fb_var_screeninfo& v, std::uint32_t argb, std::size_t x, std::size_t y)
{
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    if (v.bits_per_pixel == 32 && v.red.offset == 16 && v.green.offset == 8 && v.blue.offset == 0)
        return argb;
    std::uint32_t out = v.transp.length ? ((1u << v.transp.length) - 1) << v.transp.offset : 0;
    const std::pair<const fb_bitfield*, int> channels[] = {
        {&v.red, 16}, {&v.green, 8}, {&v.blue, 0}};
    for (const auto& [field, shift] : channels) {
        const int drop = 8 - int(field->length);
        const int c =
            std::min(255, int(argb >> shift & 255) + bayer[y % 4][x % 4] * (1 << drop) / 16);
        out |= std::uint32_t(c >> drop) << field->offset;
    }
    return out;
}

// A window on a panel of some layout, or whose driver sets another mode or stride than asked.
struct PanelCase {
    const char* format;
    bool refuse_depth; // the driver refuses to be asked for 32 bits (EINVAL)
    int width, height;
    int forced_x, forced_y, forced_line; // what the driver sets instead (0: as requested)
    std::size_t tail; // the last bytes of the display that the whole-block copy leaves alone
};

// 61 x 20: whole 16-byte blocks, so that even the flat copy writes every pixel.
const PanelCase panel_cases[] = {{"xrgb8888", false, 800, 480, 0, 0, 0, 0},
    {"xrgb8888", false, 801, 481, 0, 0, 0, 4}, {"xrgb8888", false, 800, 480, 800, 480, 3264, 0},
    {"xrgb8888", false, 801, 481, 801, 481, 3208, 0}, {"xrgb8888", false, 800, 480, 640, 400, 0, 0},
    {"xrgb8888", false, 800, 480, 1024, 600, 0, 0},
    {"xrgb8888", false, 800, 480, 700, 480, 2800, 0}, {"xbgr8888", false, 61, 20, 0, 0, 0, 0},
    {"bgrx8888", false, 61, 20, 0, 0, 0, 0}, {"rgb888", false, 61, 20, 0, 0, 0, 0},
    {"bgr888", false, 61, 20, 0, 0, 0, 0}, {"rgb565", false, 61, 20, 0, 0, 0, 0},
    {"bgr565", false, 61, 20, 0, 0, 0, 0}, {"rgb555", false, 61, 20, 0, 0, 0, 0},
    {"rgb565", true, 61, 20, 0, 0, 0, 0}, {"rgb888", true, 61, 20, 0, 0, 0, 0}};

// The display's bytes: the surface converted to its layout where both have pixels, at the
// driver's stride, and sentinel bytes everywhere else.
::testing::AssertionResult shows_surface(const Mapping& fb, std::size_t tail)
{
    fb_var_screeninfo v{};
    fb_fix_screeninfo f{};
    ioctl(fb.fd, FBIOGET_VSCREENINFO, &v);
    ioctl(fb.fd, FBIOGET_FSCREENINFO, &f);
    const std::size_t bytes = v.bits_per_pixel / 8;
    const SDL_Surface* s = kivo::state::window->surface().get();
    const auto* src = static_cast<const std::uint32_t*>(s->pixels);
    const std::size_t w = std::min({std::size_t(s->w), std::size_t(v.xres), f.line_length / bytes});
    std::vector<std::uint8_t> want(fb.size, sentinel);
    for (std::size_t y = 0; y < std::min(std::size_t(s->h), std::size_t(v.yres)); ++y)
        for (std::size_t x = 0; x < w; ++x) {
            const std::uint32_t p = reference(v, src[y * std::size_t(s->pitch) / 4 + x], x, y);
            std::memcpy(want.data() + y * f.line_length + x * bytes, &p, bytes);
        }
    std::fill(want.end() - std::ptrdiff_t(tail), want.end(), sentinel);
    const auto [a, b] = std::mismatch(want.begin(), want.end(), fb.mem);
    if (a == want.end())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "byte " << (a - want.begin()) << ": " << int(*b) << " for " << int(*a);
}

} // namespace

// The display holds the surface converted to its layout, after a whole present and after one of
// damaged rectangles. (The layouts the window cannot draw are fatal cases below.)
TEST_F(Display, PresentShowsTheSurfaceOnEveryPanel)
{
    for (const PanelCase& c : panel_cases) {
        SCOPED_TRACE(testing::Message() << c.format << (c.refuse_depth ? ", depth refused " : " ")
                                        << c.width << "x" << c.height << " forced " << c.forced_x
                                        << "x" << c.forced_y << "/" << c.forced_line);
        kivo_emu_reset();
        ASSERT_EQ(kivo_emu_fb_set_format(c.format), 0);
        if (c.refuse_depth)
            kivo_emu_fb_set_fault(KIVO_EMU_FB_REFUSE_DEPTH);
        if (c.forced_x)
            kivo_emu_fb_force_mode(c.forced_x, c.forced_y, std::uint32_t(c.forced_line));
        kivo_test::open(c.width, c.height);
        Mapping fb;
        std::memset(fb.mem, sentinel, fb.size);
        fill_surface_pattern();
        kivo::state::window->present();
        EXPECT_TRUE(shows_surface(fb, c.tail));
        // Rectangles at odd places, one ending in a part of a four-pixel step, one not: the
        // dither stays with the screen position, and nothing is written beyond them.
        SDL_Surface* s = kivo::state::window->surface().get();
        kivo::Damage damage;
        for (const SDL_Rect r : {SDL_Rect{7, 5, 23, 7}, SDL_Rect{37, 13, 16, 4}}) {
            for (int y = r.y; y < r.y + r.h; ++y)
                for (int x = r.x; x < r.x + r.w; ++x)
                    static_cast<std::uint32_t*>(s->pixels)[y * s->pitch / 4 + x] =
                        0xff000000u | std::uint32_t(x * 8) << 16 | std::uint32_t(y * 20) << 8 |
                        0x81;
            damage.add(r);
        }
        kivo::state::window->present(damage);
        EXPECT_TRUE(shows_surface(fb, c.tail));
        kivo_destroy_window();
    }
}

// The conversion's vector roads write what the plain one writes, byte for byte and nothing more:
// every layout, runs of every length around the vector steps, every phase of the dither, rows at
// odd places, saturating and random pixels.
TEST(FbFormat, ConvertEqualsThePlainConversion)
{
    struct Layout {
        std::uint32_t bits;
        fb_bitfield red, green, blue, transp;
    };
    const Layout layouts[] = {{32, {16, 8, 0}, {8, 8, 0}, {0, 8, 0}, {24, 8, 0}},
        {32, {0, 8, 0}, {8, 8, 0}, {16, 8, 0}, {24, 8, 0}},
        {32, {8, 8, 0}, {16, 8, 0}, {24, 8, 0}, {0, 0, 0}},
        {32, {24, 8, 0}, {16, 8, 0}, {8, 8, 0}, {0, 2, 0}},
        {32, {17, 8, 0}, {9, 8, 0}, {1, 8, 0}, {0, 0, 0}},
        {24, {16, 8, 0}, {8, 8, 0}, {0, 8, 0}, {}}, {24, {0, 8, 0}, {8, 8, 0}, {16, 8, 0}, {}},
        {16, {11, 5, 0}, {5, 6, 0}, {0, 5, 0}, {}}, {16, {0, 5, 0}, {5, 6, 0}, {11, 5, 0}, {}},
        {16, {10, 5, 0}, {5, 5, 0}, {0, 5, 0}, {15, 1, 0}},
        {16, {0, 5, 0}, {6, 5, 0}, {11, 5, 0}, {5, 1, 0}},
        {16, {11, 5, 0}, {5, 5, 0}, {0, 5, 0}, {}}};
    std::vector<std::uint32_t> src(64);
    std::uint32_t seed = 31;
    for (std::size_t i = 0; i < src.size(); ++i)
        src[i] = i % 5 ? (seed = seed * 1664525u + 1013904223u) : 0xfff8fcf8u + std::uint32_t(i);
    for (const Layout& l : layouts) {
        fb_var_screeninfo v{};
        v.bits_per_pixel = l.bits;
        std::tie(v.red, v.green, v.blue, v.transp) = std::tie(l.red, l.green, l.blue, l.transp);
        const kivo::FbFormat format(v, FB_VISUAL_TRUECOLOR);
        for (std::size_t n = 0; n <= 44; ++n)
            for (std::size_t x = 0; x < 5; ++x)
                for (std::size_t y : {0, 1, 2, 3, 7}) {
                    SCOPED_TRACE(testing::Message() << l.bits << " bits, red at " << l.red.offset
                                                    << ", " << n << " at " << x << "," << y);
                    std::vector<unsigned char> fast(4 * 50, 0xa5), plain = fast;
                    format.convert(src.data() + x + y, fast.data() + 1 + x, n, x, y);
                    format.convert_plain(src.data() + x + y, plain.data() + 1 + x, n, x, y);
                    ASSERT_EQ(fast, plain);
                }
    }
}

// The driver is asked for its mode, given it back with only the size and depth changed, then asked
// for the fixed and the variable settings it chose; the display is mapped write-only and shared,
// and each present waits for the vertical blank of display 0.
TEST_F(Display, WindowTalksToTheDriverInItsOrder)
{
    Devices d;
    kivo_test::open(320, 200);
    kivo_present(0);
    const std::vector<unsigned long> sequence = {FBIOGET_VSCREENINFO, FBIOPUT_VSCREENINFO,
        FBIOGET_FSCREENINFO, FBIOGET_VSCREENINFO, FBIO_WAITFORVSYNC};
    EXPECT_EQ(d.requests, sequence);
    fb_var_screeninfo want = d.got;
    want.xres = want.xres_virtual = 320;
    want.yres = want.yres_virtual = 200;
    want.bits_per_pixel = 32;
    want.grayscale = 0;
    EXPECT_EQ(std::memcmp(&d.put, &want, sizeof want), 0);
    EXPECT_EQ(d.put.red.offset, 16u); // kept from the driver
    EXPECT_EQ(d.vsync_arg, 0u);
    EXPECT_EQ(d.maps, (std::vector<std::pair<int, int>>{{PROT_WRITE, MAP_SHARED}}));
}

// Something else may write to the display between presents (a kernel console): whatever the
// damage, the first present and every 64th after it copy the whole frame again.
TEST_F(Display, EverySixtyFourthPresentCopiesTheWholeFrame)
{
    kivo_test::open(64, 32);
    Mapping fb;
    fill_surface_pattern();
    kivo::Window& window = *kivo::state::window;
    std::vector<int> whole;
    for (int i = 0; i <= 128; ++i) {
        std::memset(fb.mem, sentinel, fb.size);
        window.present(kivo::Damage{});
        if (std::memcmp(fb.mem, window.surface()->pixels, fb.size) == 0)
            whole.push_back(i);
    }
    EXPECT_EQ(whole, (std::vector<int>{0, 64, 128}));
}

TEST_F(Display, GetFramebufferCopiesAtMostTheFrame)
{
    kivo_test::open(64, 32);
    fill_surface_pattern();
    const SDL_Surface* s = kivo::state::window->surface().get();
    const std::size_t frame = static_cast<std::size_t>(s->pitch) * 32;
    const auto* src = static_cast<const std::uint8_t*>(s->pixels);

    for (std::size_t size : {std::size_t{0}, std::size_t{10}, frame - 1, frame, frame + 100}) {
        SCOPED_TRACE(size);
        std::vector<std::uint8_t> buffer(frame + 100, sentinel);
        kivo_get_framebuffer(buffer.data(), size);
        const std::size_t n = std::min(size, frame);
        EXPECT_TRUE(std::equal(src, src + n, buffer.begin()));
        EXPECT_TRUE(std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(n), buffer.end(),
            [](std::uint8_t b) { return b == sentinel; }));
    }
    kivo_get_framebuffer(nullptr, 0); // the sanitizer build checks that nothing touches it
}

// The display's mode and the devices held (framebuffer, touch panel, terminal; one mapping): a
// second window replaces the first without leaking its devices, and without a window the frame
// functions do nothing.
TEST_F(Display, WindowLifecycleReleasesEverything)
{
    const auto held = [] {
        std::int32_t w = 0, h = 0;
        bool valid = false;
        kivo_get_display_mode(&w, &h, &valid);
        return std::tuple(w, h, valid, kivo_emu_open_descriptors(), kivo_emu_live_mappings());
    };
    kivo_emu_fb_set_mode(1024, 600, 0);
    EXPECT_EQ(held(), std::tuple(1024, 600, true, 0, 0));
    kivo_test::open(800, 480);
    EXPECT_EQ(held(), std::tuple(800, 480, true, 3, 1));
    kivo_test::open(480, 272);
    EXPECT_EQ(held(), std::tuple(480, 272, true, 3, 1));
    kivo_destroy_window();
    EXPECT_EQ(kivo_emu_open_descriptors() + kivo_emu_live_mappings(), 0);
    kivo_destroy_window(); // harmless without a window
    EXPECT_EQ(kivo_surface_width() + kivo_surface_height(), 0);
    kivo_present(5);
    std::uint8_t byte = sentinel;
    kivo_get_framebuffer(&byte, 1);
    EXPECT_EQ(byte, sentinel);
}

namespace {

struct FatalCase {
    const char* name;
    void (*arrange)();
    int width;
    const char* message; // what follows "<program>: "
};

const FatalCase fatal_cases[] = {
    {"no framebuffer device", [] { kivo_emu_fb_set_fault(KIVO_EMU_FB_MISSING); }, 800,
        "open: No such file or directory"},
    {"driver refuses the mode", [] { kivo_emu_fb_set_fault(KIVO_EMU_FB_REFUSE_PUT); }, 800,
        "ioctl: Invalid argument"},
    // line_length x yres is 2^32, which the 32-bit size wraps to an empty mapping.
    {"nothing to map", [] { kivo_emu_fb_force_mode(64, 4, 0x40000000u); }, 64,
        "mmap: Invalid argument"},
    {"no touch panel", [] { kivo_emu_touch_set_present(0); }, 800, "ts_setup: "},
    {"no drawing surface", [] { kivo_emu_fb_force_mode(64, 64, 0); }, -5,
        "SDL_CreateRGBSurfaceWithFormat: "},
    {"a palette", [] { kivo_emu_fb_set_format("c8"); }, 61,
        "framebuffer format not supported: 8 bits per pixel, red 0:8, green 0:8, blue 0:8, "
        "grayscale 0, nonstd 0, visual 3"},
    {"grayscale, depth refused",
        [] {
            kivo_emu_fb_set_format("gray8");
            kivo_emu_fb_set_fault(KIVO_EMU_FB_REFUSE_DEPTH);
        },
        61, "framebuffer format not supported: 8 bits per pixel.*grayscale 1"},
    {"4-bit fields", [] { kivo_emu_fb_set_format("rgb444"); }, 61,
        "framebuffer format not supported: 16 bits per pixel, red 8:4, green 4:4, blue 0:4"},
    {"mode read without a device",
        [] {
            kivo_emu_fb_set_fault(KIVO_EMU_FB_MISSING);
            std::int32_t w = 0, h = 0;
            bool valid = false;
            kivo_get_display_mode(&w, &h, &valid);
        },
        800, "open: No such file or directory"}};

} // namespace

TEST_F(Display, DeviceFailuresEndTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const FatalCase& c : fatal_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT(
            {
                c.arrange();
                kivo_test::open(c.width, 48);
            },
            ::testing::ExitedWithCode(1), std::string(": ") + c.message);
    }
}

// While a window is open the terminal is in graphics mode, and text mode comes back whenever the
// window goes: replaced, destroyed, or at the fatal end (tests/reliability). A process without a
// terminal of its own, or whose terminal is no console, switches the foreground console
// (/dev/tty0) instead. A host that keeps the console, or a terminal that cannot be opened, leaves
// the mode alone without a word.
TEST_F(Display, TerminalIsInGraphicsModeWhileAWindowIsOpen)
{
    const std::string log = ::testing::TempDir() + "kivo-console-log";
    for (int own : {1, 0, 2}) {
        SCOPED_TRACE(own);
        kivo_emu_reset();
        kivo_emu_console_set_own_terminal(own);
        std::remove(log.c_str());
        kivo_emu_console_set_log(log.c_str());
        kivo_test::open(64, 32);
        kivo_test::open(64, 32);
        EXPECT_EQ(kivo_emu_console_mode(), KD_GRAPHICS);
        EXPECT_EQ(kivo_emu_open_descriptors(), 3); // framebuffer, touch panel, terminal
        kivo_destroy_window();
        EXPECT_EQ(kivo_emu_console_mode(), KD_TEXT);
        EXPECT_EQ(kivo_emu_open_descriptors(), 0);
        std::stringstream modes;
        modes << std::ifstream(log).rdbuf();
        EXPECT_EQ(modes.str(), "graphics\ntext\ngraphics\ntext\n");
    }
    ConfigRecord keep = config();
    keep.reserved = KIVO_KEEP_CONSOLE;
    kivo_test::open(64, 32, keep);
    EXPECT_EQ(kivo_emu_console_mode(), KD_TEXT);
    EXPECT_EQ(kivo_emu_open_descriptors(), 2);
    kivo_emu_console_set_present(0);
    EXPECT_EQ(kivo_test::stderr_of([] { kivo_test::open(64, 32); }), "");
    EXPECT_EQ(kivo_emu_open_descriptors(), 2);
}
