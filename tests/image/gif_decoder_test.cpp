// GifDecoder and its LZW reader: valid files decode as SDL_image decodes them, damaged and hostile
// files give their documented result without leaving their buffers (the sanitizer build checks
// that part), and GIF sources reach the decoder through Surface and Animation.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "image/gif_decoder.h"
#include "kivo/animation.h"
#include "support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Variable-width LZW as GIF writes it: codes least significant bit first, in sub-blocks. With
// clear_when_full false the table stays full and 12-bit codes go on (a "deferred clear").
Bytes lzw_encode(const Bytes& indices, int min_code_size, bool clear_when_full = true)
{
    const int clear = 1 << min_code_size;
    int width = min_code_size + 1, next = clear + 2;
    std::map<std::pair<int, int>, int> table;
    Bytes packed;
    std::uint32_t bits = 0;
    int count = 0;
    const auto put = [&](int code) {
        bits |= std::uint32_t(code) << count;
        for (count += width; count >= 8; count -= 8, bits >>= 8)
            packed.push_back(std::uint8_t(bits));
    };
    put(clear);
    int prefix = -1;
    for (const std::uint8_t c : indices) {
        if (prefix < 0) {
            prefix = c;
            continue;
        }
        if (const auto it = table.find({prefix, c}); it != table.end()) {
            prefix = it->second;
            continue;
        }
        put(prefix);
        if (next < 4096) {
            table[{prefix, c}] = next++;
            if (next > (1 << width) && width < 12)
                ++width;
        } else if (clear_when_full) {
            put(clear);
            table.clear();
            width = min_code_size + 1;
            next = clear + 2;
        }
        prefix = c;
    }
    if (prefix >= 0)
        put(prefix);
    put(clear + 1);
    if (count > 0)
        packed.push_back(std::uint8_t(bits));
    return packed;
}

struct Image {
    int x = 0, y = 0, w = 0, h = 0;
    Bytes indices; // w x h, in display order
    int min_code_size = 2;
    bool interlaced = false;
    std::vector<std::uint32_t> local = {}; // 0xRRGGBB, up to 256 entries
    int delay = -1;                        // hundredths; -1: no graphic control extension
    int disposal = 0;
    int transparent = -1;
    const Bytes* data = nullptr; // image data instead of the encoded indices
};

void put16(Bytes& out, int v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

int table_bits(std::size_t entries)
{
    int bits = 0;
    while ((2u << bits) < entries)
        ++bits;
    return bits;
}

void put_table(Bytes& out, const std::vector<std::uint32_t>& colours)
{
    for (std::size_t i = 0; !colours.empty() && i < (2u << table_bits(colours.size())); ++i) {
        const std::uint32_t c = i < colours.size() ? colours[i] : 0;
        out.insert(out.end(), {std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)});
    }
}

Bytes gif(int screen_w, int screen_h, const std::vector<std::uint32_t>& global,
    const std::vector<Image>& images)
{
    Bytes out{'G', 'I', 'F', '8', '9', 'a'};
    put16(out, screen_w);
    put16(out, screen_h);
    out.insert(
        out.end(), {std::uint8_t(global.empty() ? 0 : 0x80 | table_bits(global.size())), 0, 0});
    put_table(out, global);
    for (const Image& image : images) {
        if (image.delay >= 0) {
            out.insert(out.end(),
                {0x21, 0xF9, 4, std::uint8_t(image.disposal << 2 | (image.transparent >= 0))});
            put16(out, image.delay);
            out.insert(out.end(), {std::uint8_t(image.transparent), 0});
        }
        out.push_back(0x2C);
        put16(out, image.x);
        put16(out, image.y);
        put16(out, image.w);
        put16(out, image.h);
        const std::uint8_t flags = image.interlaced ? 0x40 : 0;
        out.push_back(image.local.empty()
                          ? flags
                          : std::uint8_t(flags | 0x80 | table_bits(image.local.size())));
        put_table(out, image.local);
        out.push_back(std::uint8_t(image.min_code_size));
        Bytes order;
        for (const auto& [first, step] :
            image.interlaced ? std::vector<std::pair<int, int>>{{0, 8}, {4, 8}, {2, 4}, {1, 2}}
                             : std::vector<std::pair<int, int>>{{0, 1}})
            for (int r = first; r < image.h && !image.data; r += step)
                order.insert(order.end(), image.indices.begin() + r * image.w,
                    image.indices.begin() + (r + 1) * image.w);
        const Bytes data = image.data ? *image.data : lzw_encode(order, image.min_code_size);
        for (std::size_t i = 0; i < data.size(); i += 255) {
            const std::size_t n = std::min<std::size_t>(255, data.size() - i);
            out.push_back(std::uint8_t(n));
            out.insert(out.end(), data.begin() + i, data.begin() + i + n);
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

Bytes noise(int n, int colours, unsigned seed, int run = 1)
{
    std::mt19937 rng(seed);
    Bytes out;
    while (int(out.size()) < n)
        out.insert(out.end(), std::size_t(1 + rng() % run), std::uint8_t(rng() % colours));
    out.resize(std::size_t(n));
    return out;
}

struct AnimationFree {
    void operator()(IMG_Animation* a) const { IMG_FreeAnimation(a); }
};
using Decoded = std::unique_ptr<IMG_Animation, AnimationFree>;

Decoded decode(const Bytes& bytes, bool first_only = false)
{
    return Decoded(kivo::GifDecoder(bytes.data(), bytes.size()).decode(first_only));
}

std::vector<std::uint32_t> pixels(const SDL_Surface* s)
{
    std::vector<std::uint32_t> out;
    for (int y = 0; y < s->h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const std::uint8_t*>(s->pixels) + y * s->pitch);
        out.insert(out.end(), row, row + s->w);
    }
    return out;
}

// SDL keeps the colour of a transparent pixel.
std::vector<std::uint32_t> transparent_as_0(std::vector<std::uint32_t> px)
{
    for (std::uint32_t& p : px)
        p = p >> 24 ? p : 0;
    return px;
}

// What the palette makes of the indices: opaque colours, the transparent index left at 0.
std::vector<std::uint32_t> expected(
    const Bytes& indices, const std::vector<std::uint32_t>& palette, int transparent = -1)
{
    std::vector<std::uint32_t> out;
    for (const std::uint8_t i : indices)
        out.push_back(i == transparent ? 0 : 0xFF000000 | (i < palette.size() ? palette[i] : 0));
    return out;
}

std::vector<std::uint32_t> grey_ramp(int n)
{
    std::vector<std::uint32_t> p;
    for (int i = 0; i < n; ++i)
        p.push_back(std::uint32_t(i) * 0x010101u);
    return p;
}

// Valid files, decoded by GifDecoder and by SDL_image (sound on valid data), must agree with each
// other and with the indices that were encoded.
TEST(GifDecoder, ValidFilesDecodeLikeSdlImage)
{
    const std::vector<std::uint32_t> four{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    struct Case {
        const char* what;
        int w, h, colours, min_code_size, run;
        bool interlaced;
        int transparent;
        bool sdl_agrees = true;
    } const cases[] = {
        {"one pixel", 1, 1, 2, 2, 1, false, -1},
        {"noise, 2-bit codes", 37, 23, 4, 2, 1, false, -1},
        {"noise, 8-bit codes, table refilled after clears", 160, 120, 256, 8, 1, false, -1},
        {"long runs: strings of thousands of indices", 400, 300, 2, 2, 5000, false, -1},
        {"runs, interlaced", 61, 45, 16, 4, 7, true, -1},
        // SDL_image stops at the second pass, which has no row here, and leaves rows 1 and 2 at 0.
        {"interlaced, fewer rows than the passes", 5, 3, 4, 2, 1, true, -1, false},
        {"transparent index", 33, 17, 4, 2, 3, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::uint32_t> palette = c.colours == 4 ? four : grey_ramp(c.colours);
        Image image{
            .w = c.w, .h = c.h, .indices = noise(c.w * c.h, c.colours, unsigned(c.w * c.h), c.run)};
        image.min_code_size = c.min_code_size;
        image.interlaced = c.interlaced;
        image.transparent = c.transparent;
        image.delay = c.transparent >= 0 ? 0 : -1;
        const Bytes bytes = gif(c.w, c.h, palette, {image});
        const Decoded ours = decode(bytes, true);
        ASSERT_TRUE(ours) << SDL_GetError();
        EXPECT_EQ(ours->count, 1);
        EXPECT_EQ(pixels(ours->frames[0]), expected(image.indices, palette, c.transparent));
        if (!c.sdl_agrees)
            continue;

        SDL_Surface* sdl = IMG_Load_RW(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), 1);
        ASSERT_TRUE(sdl) << SDL_GetError();
        SDL_Surface* argb = SDL_ConvertSurfaceFormat(sdl, kivo::working_format, 0);
        EXPECT_EQ(transparent_as_0(pixels(argb)), pixels(ours->frames[0]));
        SDL_FreeSurface(argb);
        SDL_FreeSurface(sdl);
    }
}

TEST(GifDecoder, FullTableWithoutClearKeepsTwelveBitCodes)
{
    const Bytes indices = noise(300 * 200, 256, 7);
    Image image{.w = 300, .h = 200, .indices = indices, .min_code_size = 8};
    const Bytes data = lzw_encode(indices, 8, false);
    image.data = &data;
    const Decoded ours = decode(gif(300, 200, grey_ramp(256), {image}));
    ASSERT_TRUE(ours);
    EXPECT_EQ(pixels(ours->frames[0]), expected(indices, grey_ramp(256)));
}

// Frames are composed on the logical screen; each frame's disposal is applied before the next.
TEST(GifDecoder, FramesAreComposedWithDisposalAndTransparency)
{
    const std::vector<std::uint32_t> palette{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    constexpr std::uint32_t R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, W = 0xFFFFFFFF, _ = 0;
    // 3 x 2 screen; frame 0 fills it red, frame 1 puts a 2 x 1 patch at (1, 1), frame 2 a green
    // pixel at (0, 0).
    struct Case {
        const char* what;
        int disposal0, disposal1, transparent1;
        std::vector<std::uint32_t> frame1, frame2;
    } const cases[] = {
        {"kept", 1, 1, -1, {R, R, R, R, B, W}, {G, R, R, R, B, W}},
        {"background restored to transparent", 1, 2, -1, {R, R, R, R, B, W}, {G, R, R, R, _, _}},
        {"previous restored", 1, 3, -1, {R, R, R, R, B, W}, {G, R, R, R, R, R}},
        {"first frame cleared", 2, 1, -1, {_, _, _, _, B, W}, {G, _, _, _, B, W}},
        {"transparent index shows what is under it", 1, 1, 3, {R, R, R, R, B, R},
            {G, R, R, R, B, R}},
        {"unknown disposal kept", 1, 6, -1, {R, R, R, R, B, W}, {G, R, R, R, B, W}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes bytes = gif(3, 2, palette,
            {{.w = 3, .h = 2, .indices = Bytes(6, 0), .delay = 5, .disposal = c.disposal0},
                {.x = 1,
                    .y = 1,
                    .w = 2,
                    .h = 1,
                    .indices = {2, 3},
                    .delay = 0,
                    .disposal = c.disposal1,
                    .transparent = c.transparent1},
                {.w = 1, .h = 1, .indices = {1}}});
        const Decoded a = decode(bytes);
        ASSERT_TRUE(a);
        ASSERT_EQ(a->count, 3);
        EXPECT_EQ(pixels(a->frames[0]), expected(Bytes(6, 0), palette));
        EXPECT_EQ(pixels(a->frames[1]), c.frame1);
        EXPECT_EQ(pixels(a->frames[2]), c.frame2);
        // 5/100 s; a stored 0 and a missing extension both mean 100 ms.
        EXPECT_EQ(std::vector<int>(a->delays, a->delays + 3), (std::vector<int>{50, 100, 100}));
    }
}

// Damaged and hostile files: no access outside the decoder's buffers (the sanitizer build fails
// otherwise), and the documented result.
TEST(GifDecoder, DamagedFilesGiveWhatTheyHold)
{
    const std::vector<std::uint32_t> palette{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    const Bytes indices = noise(64, 4, 1);
    const Bytes good = gif(8, 8, palette, {{.w = 8, .h = 8, .indices = indices}});
    const Bytes two = gif(
        8, 8, palette, {{.w = 8, .h = 8, .indices = indices}, {.w = 1, .h = 1, .indices = {3}}});
    const auto cut = [](Bytes b, std::size_t n) {
        return Bytes(b.begin(), b.begin() + std::ptrdiff_t(n));
    };
    const auto with = [](Bytes b, std::size_t at, std::uint8_t v) { return b.at(at) = v, b; };
    const std::size_t image_data = 13 + 12 + 10; // header, table of 4, image descriptor: code size

    // 0 (clear) then codes that name entries not made yet; 4 (clear), 2, then a chain of codes
    // each naming the entry being made, so that every string is one longer than the last: the
    // longest strings the table can hold.
    const auto codes = [](std::vector<int> list, int first_width) {
        Bytes out;
        std::uint32_t bits = 0;
        int count = 0, width = first_width, next = 6;
        for (std::size_t i = 0; i < list.size(); ++i) {
            bits |= std::uint32_t(list[i]) << count;
            for (count += width; count >= 8; count -= 8, bits >>= 8)
                out.push_back(std::uint8_t(bits));
            if (i >= 2 && next < 4096 && ++next == (1 << width) && width < 12)
                ++width;
        }
        if (count)
            out.push_back(std::uint8_t(bits));
        return out;
    };
    std::vector<int> chain{4, 2};
    for (int code = 6; code < 4096; ++code)
        chain.push_back(code);
    const Bytes longest = codes(chain, 3);
    const Bytes unmade = codes({4, 1, 2, 1, 2, 15, 3}, 3);
    const Bytes root_after_clear = codes({4, 7, 1}, 3);
    const std::size_t longest_pixels = std::size_t(4091) * 4092 / 2;

    struct Case {
        const char* what;
        Bytes bytes;
        int frames; // 0: the error below
        const char* error;
        std::vector<std::uint32_t> first_frame; // checked when not empty
    } const cases[] = {
        {"intact", good, 1, "", expected(indices, palette)},
        {"header cut short", cut(good, 12), 0, "GIF: truncated header", {}},
        {"colour table cut short", cut(good, 20), 0, "GIF: truncated colour table", {}},
        {"no image before the trailer", gif(8, 8, palette, {}), 0, "GIF: no image", {}},
        {"cut inside the image descriptor", cut(good, 30), 0, "GIF: no image", {}},
        {"LZW code size 0", with(good, image_data, 0), 0, "GIF: no image", {}},
        {"LZW code size 12", with(good, image_data, 12), 0, "GIF: no image", {}},
        {"LZW code size 255", with(good, image_data, 255), 0, "GIF: no image", {}},
        {"file cut inside the image data: rows decoded so far kept", cut(good, good.size() - 8), 1,
            "", {}},
        {"second image descriptor cut short: the first is kept", cut(two, good.size() + 4), 1, "",
            expected(indices, palette)},
        {"second image data cut short: both kept", cut(two, two.size() - 3), 2, "",
            expected(indices, palette)},
        {"bytes that are no block after the first image", with(two, good.size() - 1, 0x55), 1, "",
            expected(indices, palette)},
        {"codes naming entries not made yet stop the image",
            gif(4, 2, palette, {{.w = 4, .h = 2, .indices = {}, .data = &unmade}}), 1, "",
            {0xFF00FF00, 0xFF0000FF, 0xFF00FF00, 0xFF0000FF, 0, 0, 0, 0}},
        {"a non-root code first after a clear draws nothing",
            gif(2, 1, palette, {{.w = 2, .h = 1, .indices = {}, .data = &root_after_clear}}), 1, "",
            {0, 0}},
        {"the longest strings the table can hold",
            gif(2048, int(longest_pixels / 2048 + 1), palette,
                {{.w = 2048,
                    .h = int(longest_pixels / 2048 + 1),
                    .indices = {},
                    .data = &longest}}),
            1, "", {}},
        {"image far outside a 0 x 0 screen: the screen is its extent",
            gif(0, 0, palette, {{.x = 3, .y = 2, .w = 1, .h = 1, .indices = {3}}}), 1, "",
            {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFFFF}},
        {"image larger than the screen and beyond it is clipped",
            gif(2, 2, palette, {{.x = 1, .y = 1, .w = 40, .h = 40, .indices = noise(1600, 4, 3)}}),
            1, "", {}},
        {"image starting past the screen's right edge",
            gif(2, 2, palette, {{.x = 65535, .w = 3, .h = 1, .indices = {1, 2, 3}}}), 1, "",
            {0, 0, 0, 0}},
        {"empty image on an empty screen", gif(0, 0, palette, {{.w = 0, .h = 0, .indices = {}}}), 0,
            "GIF: no image", {}},
        {"index beyond the palette is opaque black",
            gif(2, 1, {0xFF0000, 0x00FF00}, {{.w = 2, .h = 1, .indices = {3, 1}}}), 1, "",
            {0xFF000000, 0xFF00FF00}},
        {"local palette replaces the global one",
            gif(2, 1, palette,
                {{.w = 2, .h = 1, .indices = {0, 1}, .local = {0x123456, 0x654321}}}),
            1, "", {0xFF123456, 0xFF654321}},
        {"screen of 65535 x 65535", gif(65535, 65535, palette, {{.w = 1, .h = 1, .indices = {0}}}),
            0, "GIF: frames of 65535 x 65535 need more than 256 MiB", {}},
        {"screen just over the limit", gif(8192, 8192, palette, {{.w = 1, .h = 1, .indices = {0}}}),
            0, "GIF: frames of 8192 x 8192 need more than 256 MiB", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SDL_ClearError();
        const Decoded a = decode(c.bytes);
        if (c.frames == 0) {
            EXPECT_FALSE(a);
            EXPECT_STREQ(SDL_GetError(), c.error);
            continue;
        }
        ASSERT_TRUE(a) << SDL_GetError();
        EXPECT_EQ(a->count, c.frames);
        if (!c.first_frame.empty()) {
            EXPECT_EQ(pixels(a->frames[0]), c.first_frame);
        }
    }

    // The chain decodes to 1 + 2 + ... indices, all of them 2: every pixel it reaches is blue.
    const Decoded chained = decode(cases[14].bytes);
    ASSERT_TRUE(chained);
    const std::vector<std::uint32_t> px = pixels(chained->frames[0]);
    EXPECT_EQ(std::count(px.begin(), px.end(), 0xFF0000FFu), std::ptrdiff_t(longest_pixels));
}

// Files that drive SDL_image 2.6.3's GIF loader outside its LZW stack (both crash a program that
// only calls IMG_Load on them), and GIF sources through the library's own loading roads. The
// first has stray bytes before its first image, which end it as a file without an image; the
// second is the same without them.
TEST(GifDecoder, GifSourcesNeverReachSdlImage)
{
    const std::string finding = KIVO_GIF_FINDINGS;
    const std::vector<char> stray = kivo_test::read_file(finding);
    const std::vector<char> hostile = kivo_test::read_file(finding + "-without-stray-bytes");
    const std::string warned = kivo_test::stderr_of([&] {
        EXPECT_TRUE(kivo::Animation(stray.data(), unsigned(stray.size()), 0, 0).empty());
        const kivo::Animation a(hostile.data(), unsigned(hostile.size()), 0, 0);
        ASSERT_TRUE(a.still());
        EXPECT_EQ(a.still()->w, 64);
        EXPECT_EQ(a.still()->h, 48);
        EXPECT_TRUE(kivo::Surface(hostile.data(), unsigned(hostile.size()), 16, 16));
    });
    EXPECT_EQ(warned, "gif_decoder_test: IMG_Load_RW: GIF: no image\n");

    const Bytes broken = gif(4, 4, {}, {});
    const std::string path = testing::TempDir() + "broken.gif";
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(broken.data(), 1, broken.size(), f);
        std::fclose(f);
    }
    const std::string said = kivo_test::stderr_of([&] {
        kivo::Animation a(path.c_str(), 0, 0);
        EXPECT_TRUE(a.empty());
        kivo::Animation b(broken.data(), unsigned(broken.size()), 0, 0);
        EXPECT_TRUE(b.empty());
    });
    EXPECT_NE(said.find("IMG_Load(" + path + "): GIF: no image\n"), std::string::npos) << said;
    EXPECT_NE(said.find("IMG_Load_RW: GIF: no image\n"), std::string::npos) << said;
    EXPECT_EQ(kivo_test::lines(said), 2);
    std::remove(path.c_str());
}

} // namespace
