// Animation: loading (animated, still, failed), frame conversion and stepping, from files and
// memory.
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <memory>

#include "kivo/animation.h"
#include "support.h"

namespace {

using kivo_test::lines;
using kivo_test::stderr_of;

constexpr Uint32 red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF, yellow = 0xFFFFFF00;

// The two forms of a source, taking turns over the cases of a table: a file's path (even cases),
// or its bytes (odd cases; freed before the Animation is used).
const char* const form[] = {"file", "memory"};

std::unique_ptr<kivo::Animation> load(std::ptrdiff_t index, const std::string& path, int w, int h)
{
    if (index % 2 == 0)
        return std::make_unique<kivo::Animation>(path.c_str(), w, h);
    const std::string bytes = kivo_test::read_file(path);
    return std::make_unique<kivo::Animation>(bytes.data(), unsigned(bytes.size()), w, h);
}

Uint32 pixel(const SDL_Surface* s, int x, int y)
{
    return static_cast<const Uint32*>(s->pixels)[y * (s->pitch / 4) + x];
}

TEST(Animation, LoadsAnimatedFilesWithDelaysAndConvertedFrames)
{
    struct Case {
        const char* file;
        int w, h;
        std::vector<int> delays;
        std::vector<Uint32> colours;
        int frame_w, frame_h;
    } const cases[] = {
        {"samples/anim_100.webp", 0, 0, {100, 100, 100, 100}, {red, green, blue, yellow}, 64, 48},
        {"samples/anim_100.webp", 128, 0, {100, 100, 100, 100}, {red, green, blue, yellow}, 128,
            48},
        {"samples/anim_100_500_x3.webp", 0, 0, {100, 500, 100}, {red, green, blue}, 64, 48},
        {"samples/anim_zero.webp", 0, 0, {100, 0, 100}, {red, green, blue}, 64, 48},
        // SDL_image gives a GIF frame stored without a delay 100 ms.
        {"samples/anim.gif", 20, 10, {100, 100, 200}, {red, green, blue}, 20, 10}};
    for (const Case& c : cases) {
        const std::ptrdiff_t n = &c - cases;
        SCOPED_TRACE(
            testing::Message() << c.file << " " << c.w << "x" << c.h << " from " << form[n % 2]);
        std::unique_ptr<kivo::Animation> a;
        EXPECT_EQ(stderr_of([&] { a = load(n, c.file, c.w, c.h); }), "");
        ASSERT_NE(a->animation(), nullptr);
        EXPECT_FALSE(a->still());
        const IMG_Animation& anim = *a->animation();
        EXPECT_EQ(anim.w, 64); // the file's size, whatever was asked for
        EXPECT_EQ(anim.h, 48);
        ASSERT_EQ(anim.count, int(c.delays.size()));
        EXPECT_EQ(std::vector<int>(anim.delays, anim.delays + anim.count), c.delays);
        for (int i = 0; i < anim.count; ++i) {
            SCOPED_TRACE(testing::Message() << "frame " << i);
            const SDL_Surface* f = anim.frames[i];
            ASSERT_NE(f, nullptr);
            EXPECT_EQ(f->format->format, kivo::working_format);
            ASSERT_EQ(f->w, c.frame_w);
            ASSERT_EQ(f->h, c.frame_h);
            for (const auto& [x, y] :
                {std::pair(0, 0), std::pair(f->w / 2, f->h / 2), std::pair(f->w - 1, f->h - 1)})
                EXPECT_EQ(pixel(f, x, y), c.colours[i]) << x << "," << y;
        }
        EXPECT_EQ(a->frame(), anim.frames[0]);
    }
}

TEST(Animation, AdvancesByTheDelayOfTheFrameCurrentAtTheCall)
{
    struct Case {
        const char* file;
        std::vector<int> steps;
        Uint32 frame;
        int elapsed;
    } const cases[] = {
        {"samples/anim_100.webp", {40, 40, 40}, 1, 20}, {"samples/anim_100.webp", {99}, 0, 99},
        {"samples/anim_100.webp", {100}, 1, 0},
        {"samples/anim_100.webp", {400}, 0, 0},            // after the last frame, frame 0
        {"samples/anim_100.webp", {1050}, 2, 50},          // several laps in one call
        {"samples/anim_100_500.webp", {100, 250}, 1, 250}, // frame 1 waits its own 500 ms
        {"samples/anim_100_500.webp", {100, 1100}, 1, 100},
        {"samples/anim_zero.webp", {100, 100, 100000}, 1, 0}, // a zero delay is never left
        {"samples/anim_zero.webp", {2147483647}, 2, 47},      // INT_MAX = 21474836 * 100 + 47
    };
    for (const Case& c : cases) {
        const std::ptrdiff_t n = &c - cases;
        SCOPED_TRACE(testing::Message() << c.file << " " << testing::PrintToString(c.steps)
                                        << " from " << form[n % 2]);
        const auto a = load(n, c.file, 0, 0);
        ASSERT_NE(a->animation(), nullptr);
        for (int ms : c.steps)
            a->advance(ms);
        EXPECT_EQ(a->current_frame(), c.frame);
        EXPECT_EQ(a->elapsed_ms(), c.elapsed);
        EXPECT_EQ(a->frame(), a->animation()->frames[c.frame]);
    }
}

// A single image is a still at the size asked for, and so is an animated WebP of one frame (which
// leaves two rows of its canvas transparent, or it would be stored as a plain still); a source that
// cannot be read is empty, with one warning naming it (no bytes at all, from memory, too).
TEST(Animation, LoadsSingleImagesAsStills)
{
    // ctest runs tests of this program in parallel processes: each writes its own file.
    const std::string one =
        kivo_test::write_file("animation_test." + std::to_string(getpid()) + ".webp",
            kivo_test::animated_webp(40, 30, {{40, 28, 0, 2, 80, green}}));
    struct Sample {
        int x, y;
        Uint32 argb;
    };
    struct Case {
        std::string file;
        int w, h, still_w, still_h; // still_w 0: empty
        std::vector<Sample> samples;
        std::string warning = ""; // a part of the one line said
    } const cases[] = {{"samples/still.webp", 0, 0, 100, 50, {{10, 10, red}, {90, 40, 0x8000FF00}}},
        {"samples/still.webp", 200, 0, 200, 50, {{10, 10, red}, {99, 49, red}}},
        {"samples/truncated.webp", 30, 20, 0, 0, {}, "IMG_Load(samples/truncated.webp): "},
        {"samples/truncated.webp", 30, 20, 0, 0, {}, ": IMG_Load_RW: "},
        {"samples/palette.png", 0, 0, 100, 50,
            {{10, 0, red}, {30, 0, green}, {60, 49, blue}, {99, 0, 0xFFFFFFFF}}},
        {"samples/no_such_file.webp", 30, 20, 0, 0, {}, ": IMG_Load_RW: "}, // no bytes at all
        {"samples/argb.png", 0, 0, 100, 50, {{10, 10, red}, {90, 10, 0x800000FF}}},
        {one, 0, 0, 40, 30, {{0, 0, 0}, {39, 29, green}}},
        {one, 20, 15, 20, 15, {{0, 0, 0}, {19, 14, green}}},
        {one, 40, 30, 40, 30, {{0, 0, 0}, {39, 29, green}}}};
    for (const Case& c : cases) {
        const std::ptrdiff_t n = &c - cases;
        SCOPED_TRACE(
            testing::Message() << c.file << " " << c.w << "x" << c.h << " from " << form[n % 2]);
        std::unique_ptr<kivo::Animation> a;
        const std::string err = stderr_of([&] { a = load(n, c.file, c.w, c.h); });
        EXPECT_EQ(lines(err), c.warning.empty() ? 0 : 1) << err;
        EXPECT_NE(err.find(c.warning), std::string::npos) << err; // "" is found at 0
        EXPECT_EQ(a->animation(), nullptr);
        const SDL_Surface* s = a->still().get();
        EXPECT_EQ(a->frame(), s);
        ASSERT_EQ(s ? s->w : 0, c.still_w);
        if (!s)
            continue;
        EXPECT_EQ(s->format->format, kivo::working_format);
        ASSERT_EQ(s->h, c.still_h);
        for (const Sample& p : c.samples)
            EXPECT_EQ(pixel(s, p.x, p.y), p.argb) << p.x << "," << p.y;
        a->advance(1000);
        EXPECT_EQ(a->frame(), s);
        EXPECT_EQ(a->elapsed_ms(), 0);
    }
}

} // namespace
