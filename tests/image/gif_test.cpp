// GIF through giflib: frames composed on the logical screen, each graphic control applying to one
// image, SDL_image's delay rule, the size bound, and damaged files. Test files are written with
// giflib's encoder.
#include <gif_lib.h>

#include <memory>

#include "image/image_loader.h"
#include "image/image_bound.h"
#include "kivo/animation.h"
#include "support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Pixels = std::vector<std::uint32_t>;

constexpr std::uint32_t R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, W = 0xFFFFFFFF, _ = 0;
const Pixels four{R, G, B, W};

struct Image {
    int x = 0, y = 0, w = 1, h = 1;
    Bytes indices;  // w x h, in display order
    int delay = -1; // hundredths; -1: no graphic control extension
    int disposal = DISPOSAL_UNSPECIFIED;
    int transparent = NO_TRANSPARENT_COLOR;
    bool interlaced = false;
    Pixels local = {};
};

int write_bytes(GifFileType* gif, const GifByteType* data, int n)
{
    static_cast<Bytes*>(gif->UserData)
        ->insert(static_cast<Bytes*>(gif->UserData)->end(), data, data + n);
    return n;
}

using ColourMap = std::unique_ptr<ColorMapObject, decltype(&GifFreeMapObject)>;
ColourMap colour_map(const Pixels& colours)
{
    if (colours.empty())
        return ColourMap(nullptr, GifFreeMapObject);
    ColourMap map(
        GifMakeMapObject(1 << GifBitSize(int(colours.size())), nullptr), GifFreeMapObject);
    for (std::size_t i = 0; i < colours.size(); ++i)
        map->Colors[i] = {
            GifByteType(colours[i] >> 16), GifByteType(colours[i] >> 8), GifByteType(colours[i])};
    return map;
}

Bytes encode(int screen_w, int screen_h, const Pixels& global, const std::vector<Image>& images)
{
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, write_bytes, &error);
    EGifSetGifVersion(gif, true);
    EXPECT_EQ(EGifPutScreenDesc(gif, screen_w, screen_h, 8, 0, colour_map(global).get()), GIF_OK);
    for (const Image& image : images) {
        if (image.delay >= 0) {
            const GraphicsControlBlock control{
                image.disposal, false, image.delay, image.transparent};
            GifByteType extension[4];
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE,
                int(EGifGCBToExtension(&control, extension)), extension);
        }
        EXPECT_EQ(EGifPutImageDesc(gif, image.x, image.y, image.w, image.h, image.interlaced,
                      colour_map(image.local).get()),
            GIF_OK);
        static constexpr int first_row[] = {0, 4, 2, 1}, row_step[] = {8, 8, 4, 2};
        std::vector<int> rows;
        for (int pass = 0; pass < (image.interlaced ? 4 : 1); ++pass)
            for (int r = image.interlaced ? first_row[pass] : 0; r < image.h;
                 r += image.interlaced ? row_step[pass] : 1)
                rows.push_back(r);
        for (const int r : rows) {
            Bytes row(
                image.indices.begin() + r * image.w, image.indices.begin() + (r + 1) * image.w);
            EXPECT_EQ(EGifPutLine(gif, row.data(), image.w), GIF_OK);
        }
    }
    EGifCloseFile(gif, &error);
    return out;
}

using Decoded = std::unique_ptr<IMG_Animation, decltype(&IMG_FreeAnimation)>;

Decoded decode(const Bytes& bytes)
{
    return Decoded(kivo::load_gif(bytes.data(), bytes.size(), false), IMG_FreeAnimation);
}

Pixels pixels(const SDL_Surface* s)
{
    Pixels out;
    for (int y = 0; y < s->h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const std::uint8_t*>(s->pixels) + y * s->pitch);
        out.insert(out.end(), row, row + s->w);
    }
    return out;
}

// Indices 0 to 3: in a regular pattern, or scattered (so that their data fills many sub-blocks).
Bytes ramp(int n, bool scattered = false)
{
    Bytes out;
    std::uint32_t state = 1;
    for (int i = 0; i < n; ++i) {
        state = state * 1103515245 + 12345;
        out.push_back(std::uint8_t(scattered ? state >> 29 & 3 : i * 7 % 4));
    }
    return out;
}

Pixels coloured(const Bytes& indices)
{
    Pixels out;
    for (const std::uint8_t i : indices)
        out.push_back(four.at(i));
    return out;
}

// 3 x 2 screen: frame 0 fills it red, frame 1 puts a blue-white patch at (1, 1), frame 2 a green
// pixel at (0, 0); each frame's disposal is applied before the next is drawn.
TEST(Gif, FramesAreComposedWithDisposalAndTransparency)
{
    struct Case {
        const char* what;
        int disposal0, disposal1, transparent1;
        Pixels frame1, frame2;
    } const cases[] = {
        {"kept", DISPOSE_DO_NOT, DISPOSE_DO_NOT, -1, {R, R, R, R, B, W}, {G, R, R, R, B, W}},
        {"background restored to transparent", DISPOSE_DO_NOT, DISPOSE_BACKGROUND, -1,
            {R, R, R, R, B, W}, {G, R, R, R, _, _}},
        {"previous restored", DISPOSE_DO_NOT, DISPOSE_PREVIOUS, -1, {R, R, R, R, B, W},
            {G, R, R, R, R, R}},
        {"first frame cleared", DISPOSE_BACKGROUND, DISPOSE_DO_NOT, -1, {_, _, _, _, B, W},
            {G, _, _, _, B, W}},
        {"transparent index shows what is under it", DISPOSE_DO_NOT, DISPOSE_DO_NOT, 3,
            {R, R, R, R, B, R}, {G, R, R, R, B, R}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Image patch{.x = 1, .y = 1, .w = 2, .indices = {2, 3}, .delay = 0};
        patch.disposal = c.disposal1, patch.transparent = c.transparent1;
        const Decoded a = decode(encode(3, 2, four,
            {{.w = 3, .h = 2, .indices = Bytes(6, 0), .delay = 5, .disposal = c.disposal0}, patch,
                {.indices = {1}}}));
        ASSERT_TRUE(a) << SDL_GetError();
        ASSERT_EQ(a->count, 3);
        EXPECT_EQ(pixels(a->frames[0]), Pixels(6, R));
        EXPECT_EQ(pixels(a->frames[1]), c.frame1);
        EXPECT_EQ(pixels(a->frames[2]), c.frame2);
    }
}

// A graphic control extension describes the one image after it: transparency, disposal and delay
// of the frames after that are their own. Delays follow SDL_image's rule: a stored delay under 2
// hundredths (or none) is 100 ms.
TEST(Gif, GraphicControlAppliesToTheNextImageOnly)
{
    const Decoded a = decode(encode(2, 1, four,
        {{.w = 2, .indices = {0, 1}, .delay = 5, .disposal = DISPOSE_BACKGROUND, .transparent = 1},
            {.w = 2, .indices = {1, 1}}, {.indices = {0}}}));
    ASSERT_TRUE(a) << SDL_GetError();
    ASSERT_EQ(a->count, 3);
    EXPECT_EQ(pixels(a->frames[0]), (Pixels{R, _}));
    EXPECT_EQ(pixels(a->frames[1]), (Pixels{G, G})); // index 1 opaque again
    EXPECT_EQ(pixels(a->frames[2]), (Pixels{R, G})); // frame 1 is not cleared
    EXPECT_EQ(std::vector<int>(a->delays, a->delays + 3), (std::vector<int>{50, 100, 100}));

    std::vector<Image> images;
    for (const int delay : {5, 0, 1, 2, -1, 65535})
        images.push_back({.indices = {0}, .delay = delay});
    const Decoded b = decode(encode(1, 1, four, images));
    ASSERT_TRUE(b) << SDL_GetError();
    EXPECT_EQ(std::vector<int>(b->delays, b->delays + b->count),
        (std::vector<int>{50, 100, 100, 20, 100, 655350}));
}

TEST(Gif, ImagesLandWhereTheFileSays)
{
    // giflib's encoder writes no data for an image without pixels: such an image (descriptor, LZW
    // code size, end of data) is spliced in before the first one.
    const std::size_t empty_image_first = 13 + 4 * 3;
    const Bytes empty_image{0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0};
    struct Case {
        const char* what;
        int screen_w, screen_h;
        std::vector<Image> images;
        int width, height, frames;
        Pixels last; // the last frame
        std::size_t splice_empty_image_at = 0;
    } const cases[] = {{"interlaced rows in their places", 1, 10,
                           {{.w = 1, .h = 10, .indices = ramp(10), .interlaced = true}}, 1, 10, 1,
                           coloured(ramp(10))},
        {"local palette replaces the global one", 2, 1,
            {{.w = 2, .indices = {0, 1}, .local = {0x123456, 0x654321}}}, 2, 1, 1,
            {0xFF123456, 0xFF654321}},
        {"indices beyond the palette are opaque black", 2, 1,
            {{.w = 2, .indices = {3, 1}, .local = {R, G}}}, 2, 1, 1, {0xFF000000, G}},
        {"a 0 x 0 screen is the first image's extent", 0, 0, {{.x = 2, .y = 1, .indices = {3}}}, 3,
            2, 1, {_, _, _, _, _, W}},
        {"images are clipped to the screen", 2, 2,
            {{.x = 1, .y = 1, .w = 3, .h = 3, .indices = ramp(9)}, {.x = 7, .indices = {2}}}, 2, 2,
            2, {_, _, _, R}},
        {"an image without pixels is a frame", 1, 1, {{.indices = {2}}}, 1, 1, 2, {B},
            empty_image_first},
        {"an image reaching below the screen is followed by the next", 2, 1,
            {{.w = 2, .h = 40, .indices = ramp(80)}, {.indices = {2}}}, 2, 1, 2, {B, W}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = encode(c.screen_w, c.screen_h, four, c.images);
        if (c.splice_empty_image_at)
            bytes.insert(bytes.begin() + std::ptrdiff_t(c.splice_empty_image_at),
                empty_image.begin(), empty_image.end());
        const Decoded a = decode(bytes);
        ASSERT_TRUE(a) << SDL_GetError();
        EXPECT_EQ(a->w, c.width);
        EXPECT_EQ(a->h, c.height);
        ASSERT_EQ(a->count, c.frames);
        EXPECT_EQ(pixels(a->frames[a->count - 1]), c.last);
    }
}

// Damaged files give what giflib reads of them, or the reason and nothing; files past the bound
// (1 MiB here) nothing. Every frame counts 1 KiB besides its pixels, so that countless tiny frames
// meet the bound too, and the bound rows lie within that overhead of it.
TEST(Gif, DamagedFilesGiveWhatCanBeRead)
{
    const std::uint64_t bound = kivo::image_bound();
    kivo::set_image_bound(1 << 20);
    const Image big{.w = 256, .h = 256, .indices = Bytes(256 * 256)}, dot{.indices = {0}};
    const Bytes indices = ramp(64 * 64, true);
    const Bytes one = encode(64, 64, four, {{.w = 64, .h = 64, .indices = indices}});
    const Bytes two =
        encode(64, 64, four, {{.w = 64, .h = 64, .indices = indices}, {.indices = {3}}});
    const auto cut = [](const Bytes& b, std::size_t n) {
        return Bytes(b.begin(), b.begin() + std::ptrdiff_t(n));
    };
    const auto with = [](Bytes b, std::size_t at, std::uint8_t v) { return b.at(at) = v, b; };
    const Pixels first_row = coloured(Bytes(indices.begin(), indices.begin() + 64));

    struct Case {
        const char* what;
        Bytes bytes;
        int frames; // 0: null with the error below
        std::string error;
    } const cases[] = {{"intact", two, 2, ""},
        {"header cut short", cut(one, 12), 0, "GIF: No screen descriptor detected"},
        {"no image before the trailer", encode(8, 8, four, {}), 0, "GIF: no image"},
        {"image data cut: the rows read are kept", cut(one, one.size() / 2), 1, ""},
        {"second image cut short: the first is kept", cut(two, one.size() + 4), 1, ""},
        {"bytes that are no record after the first image", with(two, one.size() - 1, 0x55), 1, ""},
        {"1018 frames of a pixel and two canvases: 16 bytes under",
            encode(1, 1, four, std::vector<Image>(1018, dot)), 1018, ""},
        {"1019 frames: 1012 bytes over", encode(1, 1, four, std::vector<Image>(1019, dot)), 0,
            "image of 1 x 1 pixels in 1019 frames needs 2 MiB decoded, more than the bound of 1 "
            "MiB"},
        {"one frame of 256 x 256", encode(256, 256, four, {big}), 1, ""},
        {"two frames of 256 x 256: 4 KiB over", encode(256, 256, four, {big, big}), 0,
            "image of 256 x 256 pixels in 2 frames needs 2 MiB decoded, more than the bound of 1 "
            "MiB"},
        {"an image of 256 x 256 decoded four times on a screen of a pixel",
            encode(1, 1, four, {big, big, big, big}), 0,
            "image of 1 x 1 pixels in 4 frames needs 2 MiB decoded, more than the bound of 1 MiB"},
        {"image extent over the bound on a 0 x 0 screen",
            encode(0, 0, four, {{.x = 65535, .y = 65535, .indices = {0}}}), 0,
            "image of 65536 x 65536 pixels in 1 frame needs 49153 MiB decoded, more than the bound "
            "of "
            "1 MiB"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SDL_ClearError();
        const Decoded a = decode(c.bytes);
        if (c.frames == 0) {
            EXPECT_FALSE(a);
            EXPECT_EQ(SDL_GetError(), c.error);
            continue;
        }
        ASSERT_TRUE(a) << SDL_GetError();
        EXPECT_EQ(a->count, c.frames);
        const Pixels frame0 = pixels(a->frames[0]);
        if (a->w == 64) {
            EXPECT_EQ(Pixels(frame0.begin(), frame0.begin() + 64), first_row);
        }
    }
    kivo::set_image_bound(bound);
}

// Files that drive SDL_image 2.6.3's GIF loader outside its LZW stack load safely, and a GIF
// that cannot be read warns once on either loading road.
TEST(Gif, GifSourcesNeverReachSdlImage)
{
    const std::string finding = KIVO_GIF_FINDINGS;
    const std::string stray = kivo_test::read_file(finding);
    const std::string hostile = kivo_test::read_file(finding + "-without-stray-bytes");
    const Bytes broken = encode(4, 4, {}, {});
    const std::string path =
        kivo_test::write_file("broken.gif", std::string(broken.begin(), broken.end()));
    const std::string warned = kivo_test::stderr_of([&] {
        EXPECT_TRUE(kivo::Animation(stray.data(), unsigned(stray.size()), 0, 0).empty());
        const kivo::Animation a(hostile.data(), unsigned(hostile.size()), 0, 0);
        ASSERT_TRUE(a.still());
        EXPECT_EQ(a.still()->w, 64);
        EXPECT_EQ(a.still()->h, 48);
        EXPECT_TRUE(kivo::Animation(path.c_str(), 0, 0).empty());
    });
    EXPECT_EQ(warned,
        "gif_test: IMG_Load_RW: GIF: no image\ngif_test: IMG_Load(" + path + "): GIF: no image\n");
    std::remove(path.c_str());
}

} // namespace
