#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "capi/state.h"
#include "kivo_emu.h"
#include "support.h"

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

struct CopyCase {
    const char* name;
    int width, height;                   // the window requested
    int forced_x, forced_y, forced_line; // what the driver sets instead (0: as requested)
};

const CopyCase copy_cases[] = {
    {"plain 800x480", 800, 480, 0, 0, 0},
    {"size not a multiple of 16", 801, 481, 0, 0, 0},
    {"padded stride", 800, 480, 800, 480, 800 * 4 + 64},
    {"odd padded stride, odd height", 801, 481, 801, 481, 801 * 4 + 4},
    {"driver picks a smaller mode", 800, 480, 640, 400, 0},
    {"driver picks a larger mode", 800, 480, 1024, 600, 0},
    {"driver picks a narrower stride", 800, 480, 700, 480, 700 * 4},
};

} // namespace

// Whatever mode the driver accepted, the display receives exactly the overlap of the frame and
// the mapping, and not one byte elsewhere.
TEST_F(Display, PresentCopiesWithinBothBuffers)
{
    for (const CopyCase& c : copy_cases) {
        SCOPED_TRACE(c.name);
        kivo_emu_reset();
        if (c.forced_x)
            kivo_emu_fb_force_mode(
                c.forced_x, c.forced_y, static_cast<std::uint32_t>(c.forced_line));
        const ConfigRecord cfg = config();
        kivo_create_window(c.width, c.height, &cfg);
        ASSERT_EQ(kivo_surface_width(), c.width);
        ASSERT_EQ(kivo_surface_height(), c.height);

        int xres, yres;
        std::uint32_t line;
        kivo_emu_fb_mode(&xres, &yres, &line);
        Mapping fb;
        std::memset(fb.mem, sentinel, fb.size);
        fill_surface_pattern();
        kivo::state::window->present();

        const SDL_Surface* s = kivo::state::window->surface().get();
        const auto* src = static_cast<const std::uint8_t*>(s->pixels);
        const std::size_t pitch = static_cast<std::size_t>(s->pitch);
        std::vector<std::uint8_t> expected(fb.size, sentinel);
        if (pitch == line) {
            const std::size_t n =
                std::min<std::size_t>(fb.size, pitch * static_cast<std::size_t>(s->h)) &
                ~std::size_t{15};
            std::memcpy(expected.data(), src, n);
        } else {
            const std::size_t rows = std::min<std::size_t>(
                static_cast<std::size_t>(yres), static_cast<std::size_t>(s->h));
            for (std::size_t r = 0; r < rows; ++r)
                std::memcpy(expected.data() + r * line, src + r * pitch,
                    std::min<std::size_t>(pitch, line));
        }
        EXPECT_EQ(fb.size, static_cast<std::size_t>(line) * static_cast<std::size_t>(yres));
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), fb.mem));
        if (c.width == 801 && !c.forced_x) {
            EXPECT_EQ(fb.size % 16, 4u);
            EXPECT_EQ(fb.mem[fb.size - 1], sentinel);
            EXPECT_EQ(fb.mem[fb.size - 5], src[fb.size - 5]);
        }
        kivo_destroy_window();
    }
}

TEST_F(Display, GetFramebufferCopiesAtMostTheFrame)
{
    const ConfigRecord cfg = config();
    kivo_create_window(64, 32, &cfg);
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
}

TEST_F(Display, PresentWaitsForVsyncAndCopiesWithoutIt)
{
    const ConfigRecord cfg = config();
    kivo_create_window(32, 16, &cfg);
    kivo_present(0);
    kivo_present(0);
    EXPECT_EQ(kivo_emu_fb_vsync_count(), 2u);

    kivo_emu_fb_set_fault(KIVO_EMU_FB_NO_VSYNC);
    fill_surface_pattern();
    kivo::state::window->present();
    const SDL_Surface* s = kivo::state::window->surface().get();
    EXPECT_EQ(std::memcmp(kivo_emu_fb_pixels(), s->pixels, 32 * 16 * 4), 0);
}

TEST_F(Display, WindowLifecycleReleasesEverything)
{
    int32_t w = 0, h = 0;
    bool valid = false;
    kivo_emu_fb_set_mode(1024, 600, 0);
    kivo_get_display_mode(&w, &h, &valid);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 600);
    EXPECT_TRUE(valid);
    EXPECT_EQ(kivo_emu_open_descriptors(), 0);

    const ConfigRecord cfg = config();
    kivo_create_window(800, 480, &cfg);
    EXPECT_EQ(kivo_emu_open_descriptors(), 2);
    EXPECT_EQ(kivo_emu_live_mappings(), 1);
    // A second window replaces the first without leaking its devices.
    kivo_create_window(480, 272, &cfg);
    EXPECT_EQ(kivo_emu_open_descriptors(), 2);
    EXPECT_EQ(kivo_emu_live_mappings(), 1);
    kivo_get_display_mode(&w, &h, &valid);
    EXPECT_EQ(w, 480);
    EXPECT_EQ(h, 272);

    kivo_destroy_window();
    EXPECT_EQ(kivo_emu_open_descriptors(), 0);
    EXPECT_EQ(kivo_emu_live_mappings(), 0);
    kivo_destroy_window(); // harmless without a window

    // Without a window the frame functions do nothing.
    EXPECT_EQ(kivo_surface_width(), 0);
    EXPECT_EQ(kivo_surface_height(), 0);
    kivo_present(5);
    std::uint8_t byte = sentinel;
    kivo_get_framebuffer(&byte, 1);
    EXPECT_EQ(byte, sentinel);
}

TEST_F(Display, NullConfigTextsThrowBeforeAnythingIsCreated)
{
    for (int field = 0; field < 4; ++field) {
        ConfigRecord cfg = config();
        const char** fonts[] = {&cfg.font0, &cfg.font1, &cfg.font2, &cfg.font3};
        *fonts[field] = nullptr;
        EXPECT_EQ(kivo_test::thrown<std::logic_error>([&] { kivo_create_window(800, 480, &cfg); }),
            "basic_string: construction from null is not valid")
            << "font" << field;
        EXPECT_EQ(kivo_surface_width(), 0);
        EXPECT_EQ(kivo_emu_open_descriptors(), 0);
    }
    ConfigRecord empty_fonts = config();
    empty_fonts.font0 = empty_fonts.font1 = empty_fonts.font2 = empty_fonts.font3 = "";
    kivo_create_window(100, 100, &empty_fonts);
    EXPECT_EQ(kivo_surface_width(), 100);
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
};

void read_mode_without_device()
{
    kivo_emu_fb_set_fault(KIVO_EMU_FB_MISSING);
    int32_t w = 0;
    int32_t h = 0;
    bool valid = false;
    kivo_get_display_mode(&w, &h, &valid);
}

} // namespace

TEST_F(Display, DeviceFailuresEndTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const FatalCase& c : fatal_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT(
            {
                c.arrange();
                const ConfigRecord cfg = config();
                kivo_create_window(c.width, 48, &cfg);
            },
            ::testing::ExitedWithCode(1), std::string(": ") + c.message);
    }
    EXPECT_EXIT(read_mode_without_device(), ::testing::ExitedWithCode(1),
        ": open: No such file or directory");
}
