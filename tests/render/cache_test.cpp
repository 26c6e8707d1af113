// Image references, the cache keyed by reference, its expiry and animated images, seen through
// frames, warnings and the cache's size.
#include <cstdio>
#include <stdexcept>

#include "image/image_bound.h"
#include "render_fixture.h"

namespace render_test {
namespace {

class CacheTest : public RenderTest {};

// Every form of reference that yields no image: one warning naming what was tried, one entry,
// and nothing more however often it is drawn.
TEST_F(CacheTest, EachReferenceFormIsTriedOnce)
{
    enum Use { Background, Icon, IconLabel };
    const std::string long_name(5000, 'n');
    const struct {
        std::string ref;
        Use use;
        std::string warning;
    } cases[] = {{"abc", Background, "IMG_Load(app/share/marvo/images/background/abc.webp): "},
        {"data:/x", Icon, "IMG_Load(app/share/marvo/images/icon/data:/x.webp): "},
        {"file://", Background, "IMG_Load(): "},
        {"file://no/such.webp", Icon, "IMG_Load(no/such.webp): "},
        {"data://QUJD", IconLabel, "IMG_Load_RW: "},
        {"image://nosuch", IconLabel, "IMG_Load(app/share/marvo/images/icon/nosuch.webp): "},
        {long_name, Icon, "IMG_Load(" + (images + "icon/" + long_name).substr(0, 4095) + "): "}};
    open(320, 240);
    std::size_t entries = renderer().cache_size();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ref.substr(0, 40));
        const std::vector<LabelRecord> labels = {
            label(KIVO_LABEL_ICON, 0, 0, 50, 50, c.ref.c_str())};
        const std::string err = stderr_of([&] {
            for (int i = 0; i < 3; ++i)
                show(c.use == Background ? c.ref.c_str() : nullptr,
                    c.use == Icon ? c.ref.c_str() : nullptr,
                    c.use == IconLabel ? labels : std::vector<LabelRecord>{});
        });
        EXPECT_EQ(occurrences(err, "IMG_Load"), 1) << err;
        EXPECT_EQ(occurrences(err, c.warning), 1) << err;
        EXPECT_EQ(renderer().cache_size(), ++entries);
    }
}

TEST_F(CacheTest, EveryFormReachesTheSameFileAsItsOwnEntry)
{
    const std::string file = images + "background/home.webp";
    const std::string bytes = read_file(file);
    const std::string refs[] = {
        "home", "image://home", "file://" + file, "data://" + base64(bytes)};
    open(800, 480);
    Image want(800, 480);
    blend(want, load(file), 0, 0);
    std::size_t entries = 0;
    for (const std::string& ref : refs) {
        SCOPED_TRACE(ref.substr(0, 40));
        show("file:///nonexistent", nullptr); // a frame of nothing in between
        EXPECT_EQ(stderr_of([&] { show(ref.c_str(), nullptr); }), "");
        EXPECT_TRUE(same_rgb(frame(), want));
        EXPECT_EQ(renderer().cache_size(), 1 + ++entries);
    }
}

TEST_F(CacheTest, MalformedDataThrowsAndLeavesNoEntry)
{
    open(320, 240);
    show("home", nullptr);
    for (int attempt = 0; attempt < 2; ++attempt) { // no entry, so it throws again
        kivo_set_screen(0, nullptr, "data://QUJ", nullptr, 0, 0, 0, 0);
        EXPECT_EQ(thrown<std::runtime_error>([] { kivo_present(0); }),
            "Invalid base64 encoded data - Size not divisible by 4");
        EXPECT_EQ(renderer().cache_size(), 1u);
    }
}

// The entry is keyed by the reference alone: an icon looked up first keeps its natural size
// when the same reference is then drawn as a background.
TEST_F(CacheTest, FirstLookupFixesTheSize)
{
    const int W = 320, H = 240;
    open(W, H);
    const Image bg = pattern(W, H, 9);
    const std::string bg_ref = "file://" + save_png(bg, "size");
    const Image plug = load(images + "icon/plug.webp");
    show(bg_ref.c_str(), "plug");
    EXPECT_EQ(stderr_of([] { show("plug", nullptr); }), "");
    Image want = bg;
    blend(want, plug, (W - plug.w) / 2, 120 - plug.h / 2);
    blend(want, plug, 0, 0);
    EXPECT_TRUE(same_rgb(frame(), want));
}

TEST_F(CacheTest, EntriesIdleForMoreThanTenMinutesAreDropped)
{
    const std::int64_t ten_minutes = 600'000;
    const std::vector<LabelRecord> both = {
        label(KIVO_LABEL_ICON, 0, 0, 10, 10, "gone"), label(KIVO_LABEL_ICON, 0, 0, 10, 10, "plug")};
    open(320, 240);
    const std::string err = stderr_of([&] {
        show(nullptr, nullptr, both);
        EXPECT_EQ(renderer().cache_size(), 2u);
        advance_ms(ten_minutes);
        show(nullptr, nullptr);
        EXPECT_EQ(renderer().cache_size(), 2u) << "exactly ten minutes idle is kept";
        kivo_emu_clock_advance_ns(1);
        show(nullptr, nullptr, {both[1]});
        EXPECT_EQ(renderer().cache_size(), 1u) << "the entry of \"gone\" is dropped";
        advance_ms(ten_minutes);
        show(nullptr, nullptr);
        EXPECT_EQ(renderer().cache_size(), 1u);
        kivo_emu_clock_advance_ns(1);
        show(nullptr, nullptr);
        EXPECT_EQ(renderer().cache_size(), 0u);
        show(nullptr, nullptr, both); // loaded again, so it warns again
    });
    EXPECT_EQ(occurrences(err, "IMG_Load(app/share/marvo/images/icon/gone.webp)"), 2);
}

constexpr std::uint32_t red = 0xff0000, green = 0x00ff00, blue = 0x0000ff, yellow = 0xffff00;

// Frames of 100 ms: red, green, blue, yellow. SDL's tick count may round an advance by 1 ms
// either way, so no step ends right on a frame boundary. Then the screen icon and an icon label
// share one entry, which advances at each of its two blits.
TEST_F(CacheTest, AnimationAdvancesByTheTicksBetweenDrawsAndAtEachBlit)
{
    const std::pair<std::int64_t, std::uint32_t> steps[] = {{0, red}, {40, red}, {40, red},
        {40, green},             // 120: one step, 20 left
        {250, yellow},           // 270 from green: two steps, 70 left
        {50, red},               // after the last frame comes the first, 20 left
        {(1LL << 31) + 50, red}, // the tick difference reads negative: no advance
        {50, red}, {50, green}};
    open(320, 240);
    const char* ref = "file://samples/anim_100.webp";
    for (auto [ms, colour] : steps) {
        SCOPED_TRACE(ms);
        advance_ms(ms);
        show(nullptr, ref);
        EXPECT_EQ(frame().rgb(160, 120), colour);
    }
    kivo_destroy_window();
    open(320, 240);
    const std::vector<LabelRecord> labels = {label(KIVO_LABEL_ICON, 0, 0, 64, 48, ref)};
    show(nullptr, ref, labels);
    advance_ms(60);
    show(nullptr, ref, labels);
    EXPECT_EQ(frame().rgb(160, 120), red); // 60 ms
    EXPECT_EQ(frame().rgb(32, 24), green); // 120 ms: green, 20 ms in
    advance_ms(45);
    show(nullptr, ref, labels);
    EXPECT_EQ(frame().rgb(160, 120), green); // 65 ms into green
    EXPECT_EQ(frame().rgb(32, 24), blue);    // 110 ms: blue, 10 ms in
}

// 300 distinct 4 x 4 backgrounds, one a frame, each stretched to 800 x 480 (1.5 MB) and cached:
// past the ceiling the entries the frame did not name go, least recently used first, and only
// as many as needed. The icon every frame names stays although it is the oldest (its file is gone:
// loading it again would warn), a label image shown once goes first and loads again when it comes
// back, and every frame shows its own background.
TEST_F(CacheTest, PastTheCeilingIdleImagesGoLeastRecentlyUsedFirst)
{
    constexpr int count = 300;
    const std::size_t ceiling = kivo::image_bound();
    const std::size_t stretched = 800 * 480 * 4;
    const std::string icon = save_png(pattern(8, 8, 1), "ceiling-icon");
    const std::string once = save_png(pattern(8, 8, 2), "ceiling-once");
    const std::string icon_ref = "file://" + icon, once_ref = "file://" + once;
    const std::vector<LabelRecord> once_label = {
        label(KIVO_LABEL_ICON, 0, 0, 8, 8, once_ref.c_str())};
    const auto colour = [](int i) { return std::uint32_t(0xff000000 | (i * 0x010307 & 0xffffff)); };
    const auto background = [&](int i) {
        const Image four(4, 4, colour(i));
        const std::string png = read_file(save_png(four, "ceiling-bg"));
        return "data://" + base64(png);
    };

    kivo_emu_fb_set_fault(KIVO_EMU_FB_NO_VSYNC); // no wait for 300 vertical blanks
    open(800, 480);
    show(background(0).c_str(), icon_ref.c_str(), once_label);
    std::remove(icon.c_str());
    std::remove(once.c_str());
    const std::string err = stderr_of([&] {
        for (int i = 1; i < count; ++i) {
            advance_ms(10);
            show(background(i).c_str(), icon_ref.c_str());
            ASSERT_LE(renderer().cache_bytes(), ceiling) << "frame " << i;
            ASSERT_EQ(frame().at(799, 479), colour(i)) << "frame " << i;
        }
    });
    EXPECT_EQ(err, "");
    EXPECT_GT(renderer().cache_bytes(), ceiling - 2 * stretched) << "dropped more than needed";
    EXPECT_LT(renderer().cache_size(), std::size_t(count));

    // The oldest background and the label went first: both load again.
    const std::string again =
        stderr_of([&] { show(background(0).c_str(), icon_ref.c_str(), once_label); });
    EXPECT_EQ(occurrences(again, "IMG_Load(" + once + ")"), 1) << again;
    EXPECT_EQ(occurrences(again, "IMG_Load"), 1) << "the icon stayed cached: " << again;
    EXPECT_EQ(frame().at(799, 479), colour(0));
    EXPECT_LE(renderer().cache_bytes(), ceiling);
}

// A frame whose images alone pass the ceiling (2 MiB here) keeps them all: the frames after it
// show them without loading them again (their files are gone: a load would warn).
TEST_F(CacheTest, TheImagesOfTheFrameDrawnStayPastTheCeiling)
{
    const std::uint64_t bound = kivo::image_bound();
    kivo::set_image_bound(2 << 20);
    const std::string bg = save_png(pattern(4, 4, 5), "kept-bg"),
                      icon = save_png(pattern(600, 440, 6), "kept-icon");
    const std::string bg_ref = "file://" + bg, icon_ref = "file://" + icon;
    open(800, 480);
    show(bg_ref.c_str(), icon_ref.c_str());
    const Image first = frame();
    std::remove(bg.c_str());
    std::remove(icon.c_str());
    EXPECT_EQ(stderr_of([&] {
        for (int i = 0; i < 2; ++i) {
            show(bg_ref.c_str(), icon_ref.c_str());
            EXPECT_TRUE(frame().px == first.px);
        }
    }),
        "");
    EXPECT_GT(renderer().cache_bytes(), kivo::image_bound());
    kivo::set_image_bound(bound);
}

} // namespace
} // namespace render_test
