// Pieces shared by the test programs (with the standard, SDL, GoogleTest and kivo.h headers they
// all need: a test that includes this header includes nothing of those again).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include "kivo/kivo.h"

namespace kivo_test {

inline const std::string images = "app/share/marvo/images/";

// Fonts of 20, 40, 10 and 20 points (text tests rely on the sizes), QR border 4, icon centre at
// y 120, carousel at y 400 with spacing 24.
ConfigRecord config(std::uint8_t flavour = 0);
// A window of w x h on the emulated display.
inline void open(int w, int h, const ConfigRecord& c = config())
{
    kivo_create_window(w, h, &c);
}
// Opaque white, every other field zero.
LabelRecord label(
    std::uint8_t kind, int x, int y, int w, int h, const char* text, std::uint32_t id = 0);
// Drawn as nothing, still hit-tested.
inline LabelRecord area(int x, int y, int w, int h, std::uint32_t id)
{
    return label(9, x, y, w, h, "", id);
}
// A text label of a style.
inline LabelRecord text(int x, int y, int w, int h, const char* s, std::uint16_t style = 0)
{
    LabelRecord l = label(KIVO_LABEL_TEXT, x, y, w, h, s);
    l.style = style;
    return l;
}
// config() with sliders swept from start by sweep, their arcs in these colours (0xAARRGGBB).
ConfigRecord gauges(
    float start, float sweep, std::uint32_t value, std::uint32_t band, std::uint32_t marker);

// 0xAARRGGBB pixels, row by row.
struct Image {
    int w = 0, h = 0;
    std::vector<std::uint32_t> px;
    // How many translucent pixels blend() put on each pixel (empty: none yet).
    std::vector<std::uint8_t> layers;
    Image() = default;
    Image(int width, int height, std::uint32_t fill = 0xff000000)
        : w(width), h(height), px(std::size_t(width) * height, fill)
    {
    }
    std::uint32_t at(int x, int y) const { return px[std::size_t(y) * w + x]; }
    std::uint32_t& at(int x, int y) { return px[std::size_t(y) * w + x]; }
    std::uint32_t rgb(int x, int y) const { return at(x, y) & 0xffffff; }
};

// The frame drawn last (kivo_get_framebuffer).
Image frame();
// A file decoded with IMG_Load, as 0xAARRGGBB.
Image load(const std::string& path);
// src over dst with its top-left corner at (x, y), clipped to dst (divides by 255 and rounds).
void blend(Image& dst, const Image& src, long long x, long long y);
// Opaque, every pixel telling its place: r = x, g = y + seed, b = seed (mod 256).
Image pattern(int w, int h, int seed);
// Writes the colours as an RGB PNG in the temporary directory, removed at exit; returns the path.
std::string save_png(const Image& image, const std::string& name);
// r, g and b equal within tolerance times the translucent layers blend() put on want's pixel (at
// least once): SDL's blitter divides by 256 and truncates, up to 3 off a layer.
::testing::AssertionResult same_rgb(const Image& got, const Image& want, int tolerance = 3);
// The bounding box of the pixels whose colour differs from base (w = 0: none).
struct Box {
    int x = 0, y = 0, w = 0, h = 0;
};
Box ink(const Image& img, const Image& base);

// Everything f writes to stderr.
template <typename F> std::string stderr_of(F&& f)
{
    ::testing::internal::CaptureStderr();
    f();
    return ::testing::internal::GetCapturedStderr();
}
int occurrences(const std::string& text, const std::string& what);
inline int lines(const std::string& text)
{
    return occurrences(text, "\n");
}

std::string read_file(const std::string& path);
// Writes bytes to the file name in the test temporary directory; returns its path.
std::string write_file(const std::string& name, const std::string& bytes);

// A w x h image of one colour (0xAARRGGBB) as SDL writes it: format "PNG", "JPG" or "BMP".
std::string encoded(const char* format, int w, int h, std::uint32_t argb);
// An animated WebP of lossless frames, each of one colour placed at (x, y) on the canvas and
// replacing what is under it.
struct WebpFrame {
    int w, h, x, y, duration;
    std::uint32_t argb;
};
std::string animated_webp(int canvas_w, int canvas_h, const std::vector<WebpFrame>& frames);
// Plain base64 with padding.
std::string base64(const std::string& bytes);

// What the E that f throws says; "nothing thrown" when f returns.
template <typename E = std::exception, typename F> std::string thrown(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "nothing thrown";
}

// SDL started once per program (the emulator's clock made manual first, if asked), the emulator
// reset and SDL's queue emptied before each test, the window destroyed after it.
class Display : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;
    static inline bool manual_clock = false;
};

// The same on the emulator's manual clock.
class ManualClockDisplay : public Display {
  protected:
    static void SetUpTestSuite()
    {
        manual_clock = true;
        Display::SetUpTestSuite();
    }
};

// Pushes an SDL window event; a resize sets the coordinate space of pointer events.
inline void window_event(int w, int h, Uint8 event = SDL_WINDOWEVENT_RESIZED)
{
    SDL_Event e{SDL_WINDOWEVENT};
    e.window.event = event, e.window.data1 = w, e.window.data2 = h;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
}

// A slot with these contents.
void set(std::uint32_t slot, const char* background, const char* icon,
    const std::vector<LabelRecord>& labels = {}, std::uint16_t buttons = 0,
    std::uint32_t current = 0, std::uint32_t count = 0);
// Slot 0 with these contents, presented.
void show(const char* background, const char* icon, const std::vector<LabelRecord>& labels = {},
    std::uint16_t buttons = 0, std::uint32_t current = 0, std::uint32_t count = 0);

} // namespace kivo_test
