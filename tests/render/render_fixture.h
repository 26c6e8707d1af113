// Frames read back from the emulated display, and expected frames composed independently from
// the image files with a plain "source over" blend.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kivo/kivo.h"
#include "kivo/renderer.h"

namespace render_test {

inline const std::string images = "app/share/marvo/images/";

// 0xAARRGGBB pixels, row by row.
struct Image {
    int w = 0;
    int h = 0;
    std::vector<std::uint32_t> px;
    // How many translucent pixels blend() put on each pixel (empty: none yet).
    std::vector<std::uint8_t> layers;

    Image() = default;
    Image(int width, int height, std::uint32_t fill = 0xff000000)
        : w(width), h(height), px(std::size_t(width) * height, fill) {}
    std::uint32_t at(int x, int y) const { return px[std::size_t(y) * w + x]; }
    std::uint32_t& at(int x, int y) { return px[std::size_t(y) * w + x]; }
};

// A file decoded with IMG_Load and brought to 0xAARRGGBB.
Image load(const std::string& path);
// src over dst with its top-left corner at (x, y), clipped to dst.
void blend(Image& dst, const Image& src, long long x, long long y);
// An opaque pattern whose every pixel tells its position: r = x, g = y, b = seed (mod 256).
Image pattern(int w, int h, int seed);
// Writes an image as a BMP that IMG_Load reads back unchanged; returns the path.
std::string save(const Image& image, const std::string& name);
// The frame drawn last.
Image frame();
// Equal in each of r, g and b (alpha is not shown by the display) within tolerance times the
// number of translucent layers that blend() put on the pixel of want (at least once). SDL's
// blitter divides by 256 and truncates where blend() divides by 255 and rounds: up to 3 off
// per layer.
::testing::AssertionResult same_rgb(const Image& got, const Image& want, int tolerance = 3);

// The bounding box of the pixels that differ from `base` (empty: w = 0).
struct Box {
    int x = 0, y = 0, w = 0, h = 0;
};
Box ink(const Image& img, const Image& base);

LabelRecord label(std::uint8_t kind, int x, int y, int w, int h, const char* text,
                  std::uint32_t id = 0);

// Manual clock before SDL starts, so that ticks and the steady clock move only on request.
class Environment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;  // removes the files that save() wrote
};

// One window per test, destroyed afterwards.
class RenderTest : public ::testing::Test {
protected:
    static ConfigRecord config(std::uint8_t flavour = 0);
    void open(int w, int h, const ConfigRecord& c);
    void open(int w, int h) { open(w, h, config()); }
    void TearDown() override { kivo_destroy_window(); }
    static kivo::Renderer& renderer();
    // Fills slot 0 and presents it.
    static void show(const char* background, const char* icon,
                     const std::vector<LabelRecord>& labels = {}, std::uint16_t buttons = 0,
                     std::uint32_t current = 0, std::uint32_t count = 0);
    static void advance_ms(std::int64_t ms);
};

}  // namespace render_test
