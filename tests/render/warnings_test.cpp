// The warning road over many frames: each warning written once while its cause stays on screen,
// again when the cause comes back after a frame without it, and a bounded memory of causes.
// (Images are said once per load: tests/render/cache_test.cpp.)

#include "render_fixture.h"

namespace render_test {
namespace {

class WarningsTest : public RenderTest {};

const std::string too_long(8000, '7'); // more digits than a QR code of version 40 holds

// A font beyond what FreeType makes, refused in the library's own words (Pango would warn on every
// layout); the largest it makes draws with no warning at all.
const struct {
    const char* name;
    const char* font1;
    const char* warning; // what follows "<program>: "
} font_cases[] = {{"points", "DejaVu Sans 50000", "font \"DejaVu Sans 50000\": more than 65535"},
    {"pixels", "DejaVu Sans 65536px", "font \"DejaVu Sans 65536px\": more than 65535"},
    {"largest_drawn", "DejaVu Sans 65535px", ""}};

TEST_F(WarningsTest, AFontTooLargeIsSaidOnceWhileItStaysAndAgainWhenItComesBack)
{
    LabelRecord huge = label(KIVO_LABEL_TEXT, 10, 10, 200, 60, "Charging 12.5 kWh");
    huge.font = 1;
    const LabelRecord other = label(KIVO_LABEL_TEXT, 10, 150, 200, 40, "Start");
    const std::string black = "file://" + save_png(Image(320, 240), "black");
    for (const auto& c : font_cases) {
        SCOPED_TRACE(c.name);
        ConfigRecord cfg = config();
        cfg.font1 = c.font1;
        open(320, 240, cfg);
        const int said = *c.warning ? 1 : 0;
        std::string err = stderr_of([&] {
            for (int frame = 0; frame < 100; ++frame) // tracked frames and full redraws alike
                show(black.c_str(), nullptr, {huge, other});
        });
        EXPECT_EQ(lines(err), said) << err;
        EXPECT_NE(err.find(c.warning), std::string::npos) << err;
        const Image with = frame();
        err = stderr_of([&] {
            show(black.c_str(), nullptr, {other});
            EXPECT_TRUE(!said || with.px == frame().px) << "a refused font draws no text";
            for (int frame = 0; frame < 3; ++frame)
                show(black.c_str(), nullptr, {huge, other});
        });
        EXPECT_EQ(lines(err), said) << err;
    }
}

// QR texts that do not encode: two alternating frame by frame are said every time they come back;
// two on the same screen once each; beyond the bound, new causes of a frame are not said.
TEST_F(WarningsTest, CausesAreForgottenAfterAFrameWithoutThemAndTheMemoryIsBounded)
{
    open(320, 240);
    std::vector<std::string> texts;
    for (int i = 0; i < 259; ++i)
        texts.push_back(too_long + std::to_string(i));
    std::vector<LabelRecord> codes;
    for (const std::string& t : texts)
        codes.push_back(label(KIVO_LABEL_QR, 10, 10, 50, 50, t.c_str()));
    const std::vector<LabelRecord> a = {codes[0]}, b = {codes[1]};
    EXPECT_EQ(lines(stderr_of([&] {
        for (int frame = 0; frame < 10; ++frame)
            show(nullptr, nullptr, frame % 2 ? b : a);
    })),
        10);
    EXPECT_EQ(lines(stderr_of([&] {
        for (int frame = 0; frame < 10; ++frame)
            show(nullptr, nullptr, {codes[2], codes[3]});
    })),
        2);
    EXPECT_EQ(lines(stderr_of([&] {
        show(nullptr, nullptr); // a frame without any
        for (int frame = 0; frame < 3; ++frame)
            show(nullptr, nullptr, codes);
    })),
        256);
}

} // namespace
} // namespace render_test
