// The generated image tree (run from the build directory): the fixed images the renderer requires,
// the demo backgrounds and icons, and the sample files the other tests rely on.

#include <SDL_image.h>
#include <gtest/gtest.h>
#include <webp/decode.h>
#include <webp/demux.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support.h"

namespace {

using kivo_test::images;
using Bytes = std::vector<uint8_t>;

Bytes read(const std::string& path)
{
    const std::vector<char> bytes = kivo_test::read_file(path);
    return Bytes(bytes.begin(), bytes.end());
}

struct Range {
    int min_w, max_w, min_h, max_h;
};
constexpr Range button{64, 96, 64, 96}, label{180, 260, 48, 72}, dot{12, 16, 12, 16},
    arrow{40, 56, 88, 104};

struct Fixed {
    const char* path;
    Range size;
};

const Fixed fixed_images[] = {
    {"button/rosk/ok.webp", button},
    {"button/rosk/ok_v2.webp", button},
    {"button/rosk/back.webp", button},
    {"button/rosk/back_v2.webp", button},
    {"button/rosk/menu.webp", button},
    {"button/rosk/close.webp", button},
    {"button/rosk/help.webp", button},
    {"button/rosk/fast.webp", button},
    {"button/rosk/smart.webp", button},
    {"button/rosk/frame.webp", button},
    {"button/tavi/back.webp", button},
    {"button/tavi/locale.webp", button},
    {"label/rosk/blankButton.webp", label},
    {"label/rosk/fastButton.webp", label},
    {"label/rosk/smartButton.webp", label},
    {"label/rosk/narrowButton.webp", label},
    {"label/tavi/availableButton.webp", label},
    {"label/tavi/reservedButton.webp", label},
    {"label/tavi/chargingButton.webp", label},
    {"label/tavi/faultedButton.webp", label},
    {"label/tavi/greyButton.webp", label},
    {"label/tavi/whiteButton.webp", label},
    {"label/tavi/tallButton.webp", label},
    {"label/tavi/fullBullet.webp", dot},
    {"label/tavi/emptyBullet.webp", dot},
    {"carousel/rosk/left.webp", arrow},
    {"carousel/rosk/right.webp", arrow},
    {"carousel/rosk/emptyDot.webp", dot},
    {"carousel/rosk/fullDot.webp", dot},
    {"carousel/tavi/left.webp", arrow},
    {"carousel/tavi/leftEnd.webp", arrow},
    {"carousel/tavi/right.webp", arrow},
    {"carousel/tavi/rightEnd.webp", arrow},
};

TEST(Assets, FixedImagesAreTransparentStillsOfScreenSize)
{
    for (const Fixed& f : fixed_images) {
        SCOPED_TRACE(f.path);
        const Bytes data = read(images + f.path);
        WebPBitstreamFeatures features;
        ASSERT_EQ(WebPGetFeatures(data.data(), data.size(), &features), VP8_STATUS_OK);
        EXPECT_TRUE(features.has_alpha);
        EXPECT_FALSE(features.has_animation);
        EXPECT_EQ(features.format, 2) << "lossless";
        EXPECT_GE(features.width, f.size.min_w);
        EXPECT_LE(features.width, f.size.max_w);
        EXPECT_GE(features.height, f.size.min_h);
        EXPECT_LE(features.height, f.size.max_h);

        int w = 0, h = 0;
        uint8_t* rgba = WebPDecodeRGBA(data.data(), data.size(), &w, &h);
        ASSERT_NE(rgba, nullptr);
        int clear = 0, partial = 0, opaque = 0;
        for (int i = 0; i < w * h; ++i) {
            const uint8_t a = rgba[i * 4 + 3];
            (a == 0 ? clear : a == 255 ? opaque : partial)++;
        }
        EXPECT_EQ(rgba[3], 0) << "top-left corner is outside the shape";
        EXPECT_GT(clear, 0);
        EXPECT_GT(partial, 0) << "anti-aliased edges";
        EXPECT_GT(opaque, 0);
        WebPFree(rgba);
    }
}

TEST(Assets, TreeHoldsExactlyTheFixedImages)
{
    std::set<std::string> expected, found;
    for (const Fixed& f : fixed_images)
        expected.insert(f.path);
    ASSERT_EQ(expected.size(), 33u);
    for (const char* dir : {"button", "label", "carousel"})
        for (const auto& e : std::filesystem::recursive_directory_iterator(images + dir))
            if (e.is_regular_file())
                found.insert(std::filesystem::relative(e.path(), images).string());
    EXPECT_EQ(found, expected);
}

struct Frame {
    uint32_t rgb;
    int delay_ms;
};
constexpr uint32_t red = 0xff0000, green = 0x00ff00, blue = 0x0000ff;

struct Anim {
    std::string path;
    int width, height;
    std::vector<Frame> frames; // colour 0 means "not checked"
};

// The WebP samples through the library: tests/image.
const Anim animations[] = {
    {"samples/anim.gif", 64, 48, {{red, 100}, {green, 0}, {blue, 200}}},
    {images + "background/charging_anim.webp", 800, 480, std::vector<Frame>(8, {0, 100})},
};

uint32_t rgb_at(const uint8_t* p)
{
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

// The delays as stored in the GIF's graphic control extensions, in milliseconds. (SDL_image reports
// a stored delay of 0 as 100 ms, so it cannot tell them.)
std::vector<int> gif_delays(const Bytes& gif)
{
    std::vector<int> delays;
    size_t pos = 13 + (gif.at(10) & 0x80 ? 3u << ((gif[10] & 7) + 1) : 0);
    auto skip_sub_blocks = [&] {
        while (gif.at(pos) != 0)
            pos += gif[pos] + 1;
        ++pos;
    };
    while (pos < gif.size() && gif[pos] != 0x3B) {
        if (gif[pos] == 0x21) {
            if (gif.at(pos + 1) == 0xF9)
                delays.push_back((gif.at(pos + 4) | gif.at(pos + 5) << 8) * 10);
            pos += 2;
            skip_sub_blocks();
        } else if (gif[pos] == 0x2C) {
            const uint8_t flags = gif.at(pos + 9);
            pos += 10 + (flags & 0x80 ? 3u << ((flags & 7) + 1) : 0) +
                   1; // descriptor, table, code size
            skip_sub_blocks();
        } else {
            ADD_FAILURE() << "unknown GIF block " << int(gif[pos]) << " at " << pos;
            break;
        }
    }
    return delays;
}

TEST(Assets, AnimationsHaveTheirFramesAndDelays)
{
    for (const Anim& a : animations) {
        SCOPED_TRACE(a.path);
        std::vector<Frame> got;
        if (a.path.ends_with(".gif")) {
            IMG_Animation* anim = IMG_LoadAnimation(a.path.c_str());
            ASSERT_NE(anim, nullptr) << IMG_GetError();
            EXPECT_EQ(anim->w, a.width);
            EXPECT_EQ(anim->h, a.height);
            const std::vector<int> delays = gif_delays(read(a.path));
            ASSERT_EQ(int(delays.size()), anim->count);
            for (int i = 0; i < anim->count; ++i) {
                SDL_Surface* rgba =
                    SDL_ConvertSurfaceFormat(anim->frames[i], SDL_PIXELFORMAT_RGBA32, 0);
                got.push_back({rgb_at(static_cast<uint8_t*>(rgba->pixels)), delays[i]});
                SDL_FreeSurface(rgba);
            }
            IMG_FreeAnimation(anim);
        } else {
            const Bytes data = read(a.path);
            const WebPData webp{data.data(), data.size()};
            WebPAnimDecoderOptions options;
            WebPAnimDecoderOptionsInit(&options);
            options.color_mode = MODE_RGBA;
            WebPAnimDecoder* dec = WebPAnimDecoderNew(&webp, &options);
            ASSERT_NE(dec, nullptr);
            WebPAnimInfo info;
            ASSERT_TRUE(WebPAnimDecoderGetInfo(dec, &info));
            EXPECT_EQ(int(info.canvas_width), a.width);
            EXPECT_EQ(int(info.canvas_height), a.height);
            uint8_t* pixels = nullptr;
            int timestamp = 0, previous = 0;
            while (WebPAnimDecoderGetNext(dec, &pixels, &timestamp)) {
                got.push_back({rgb_at(pixels), timestamp - previous});
                previous = timestamp;
            }
            WebPAnimDecoderDelete(dec);
        }
        ASSERT_EQ(got.size(), a.frames.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].delay_ms, a.frames[i].delay_ms) << "frame " << i;
            if (a.frames[i].rgb) {
                EXPECT_EQ(got[i].rgb, a.frames[i].rgb) << "frame " << i;
            }
        }
    }
}

// Sizes and pixels of the samples through the library: tests/spine and tests/image.
struct Still {
    std::string path;
    int width, height;
    int png_colour_type; // -1: a WebP with alpha
};

const Still stills[] = {
    {"samples/palette.png", 100, 50, 3},
    {"samples/rgb.png", 100, 50, 2},
    {"samples/argb.png", 100, 50, 6},
    {"samples/still.webp", 100, 50, -1},
    {images + "background/home.webp", 800, 480, 0},
    {images + "background/charging.webp", 800, 480, 0},
    {images + "background/payment.webp", 800, 480, 0},
    {images + "background/help.webp", 800, 480, 0},
    {images + "icon/plug.webp", 96, 96, -1},
    {images + "icon/car.webp", 96, 96, -1},
    {images + "icon/card.webp", 96, 96, -1},
    {images + "icon/station.webp", 96, 96, -1},
};

TEST(Assets, StillImagesLoadWithTheirSizeAndFormat)
{
    for (const Still& s : stills) {
        SCOPED_TRACE(s.path);
        const Bytes data = read(s.path);
        if (s.path.ends_with(".png")) {
            ASSERT_GT(data.size(), 26u);
            EXPECT_EQ(std::string(data.begin() + 12, data.begin() + 16), "IHDR");
            EXPECT_EQ(data[25], s.png_colour_type);
        } else {
            WebPBitstreamFeatures features;
            ASSERT_EQ(WebPGetFeatures(data.data(), data.size(), &features), VP8_STATUS_OK);
            EXPECT_EQ(bool(features.has_alpha), s.png_colour_type == -1);
        }
        SDL_Surface* surface = IMG_Load(s.path.c_str());
        ASSERT_NE(surface, nullptr) << IMG_GetError();
        EXPECT_EQ(surface->w, s.width);
        EXPECT_EQ(surface->h, s.height);
        SDL_FreeSurface(surface);
    }
}

} // namespace
