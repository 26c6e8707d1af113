// Sample files for the tests, below "samples/". All colours are exact (lossless). Frames are
// listed as colour (R,G,B) and delay in ms.
//
// - anim_100.webp, 64x48: red 100, green 100, blue 100, yellow 100.
// - anim_100_500.webp, 64x48: red 100, green 500.
// - anim_100_500_x3.webp, 64x48: red 100, green 500, blue 100.
// - anim_zero.webp, 64x48: red 100, green 0, blue 100.
// - anim.gif, 64x48: red 100, green 0, blue 200 (delays stored in 1/100 s: 10, 0, 20).
// - anim_alpha.webp, 64x48: x < 32 red alpha 255, x >= 32 green alpha 128, 100; x < 32 green
//   alpha 128, x >= 32 blue alpha 255, 100 (the opaque half moves from frame to frame).
// - still.webp, 100x50: x < 50 red alpha 255, x >= 50 green alpha 128.
// - palette.png, 100x50: colour type 3; 25-px columns red, green, blue, white (index 0..3).
// - rgb.png, 100x50: colour type 2; x < 50 red, x >= 50 blue.
// - argb.png, 100x50: colour type 6; x < 50 red alpha 255, x >= 50 blue alpha 128.
// - not_an_image.txt: plain text.
// - truncated.webp: the first half of the bytes of still.webp.

#include <cstddef>
#include <cstring>
#include <vector>

#include "generate.h"
#include "image.h"

namespace assetgen {
namespace {

struct Colour {
    uint8_t r, g, b;
};
constexpr Colour red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, yellow{255, 255, 0};

struct AnimSample {
    const char* name;
    std::vector<Colour> colours;
    std::vector<int> delays_ms;
};

std::vector<Image> solid_frames(const std::vector<Colour>& colours)
{
    std::vector<Image> frames;
    for (Colour c : colours) {
        frames.emplace_back(64, 48);
        frames.back().fill(c.r, c.g, c.b, 255);
    }
    return frames;
}

} // namespace

void write_samples(const std::string& root)
{
    const std::string dir = root + "/samples/";
    const AnimSample anims[] = {
        {"anim_100.webp", {red, green, blue, yellow}, {100, 100, 100, 100}},
        {"anim_100_500.webp", {red, green}, {100, 500}},
        {"anim_100_500_x3.webp", {red, green, blue}, {100, 500, 100}},
        {"anim_zero.webp", {red, green, blue}, {100, 0, 100}},
        {"anim.gif", {red, green, blue}, {100, 0, 200}},
    };
    for (const AnimSample& a : anims) {
        const bool gif = std::strstr(a.name, ".gif") != nullptr;
        const std::vector<Image> frames = solid_frames(a.colours);
        write_file(dir + a.name,
            gif ? encode_gif(frames, a.delays_ms) : encode_anim_webp(frames, a.delays_ms, true));
    }

    std::vector<Image> halves(2, Image(64, 48));
    halves[0].fill_rect(0, 0, 32, 48, 255, 0, 0, 255);
    halves[0].fill_rect(32, 0, 32, 48, 0, 255, 0, 128);
    halves[1].fill_rect(0, 0, 32, 48, 0, 255, 0, 128);
    halves[1].fill_rect(32, 0, 32, 48, 0, 0, 255, 255);
    write_file(dir + "anim_alpha.webp", encode_anim_webp(halves, {100, 100}, true));

    Image still(100, 50);
    still.fill_rect(0, 0, 50, 50, 255, 0, 0, 255);
    still.fill_rect(50, 0, 50, 50, 0, 255, 0, 128);
    const Bytes still_webp = encode_webp(still, true);
    write_file(dir + "still.webp", still_webp);
    write_file(dir + "truncated.webp",
        Bytes(still_webp.begin(), still_webp.begin() + std::ptrdiff_t(still_webp.size() / 2)));

    std::vector<uint8_t> indices(100 * 50);
    for (size_t i = 0; i < indices.size(); ++i)
        indices[i] = uint8_t(i % 100 / 25);
    write_file(dir + "palette.png",
        encode_palette_png(100, 50, indices, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}));

    for (bool alpha : {false, true}) {
        Canvas c(100, 50, alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24);
        cairo_set_source_rgb(c.cr(), 1, 0, 0);
        cairo_rectangle(c.cr(), 0, 0, 50, 50);
        cairo_fill(c.cr());
        cairo_set_source_rgba(c.cr(), 0, 0, 1, alpha ? 128 / 255.0 : 1);
        cairo_rectangle(c.cr(), 50, 0, 50, 50);
        cairo_fill(c.cr());
        write_png(dir + (alpha ? "argb.png" : "rgb.png"), c);
    }

    const char text[] = "This is a text file, not an image.\n";
    write_file(dir + "not_an_image.txt", Bytes(text, text + sizeof text - 1));
}

} // namespace assetgen
