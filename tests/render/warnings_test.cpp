// The warning road over many frames: each warning written once while its cause stays on screen,
// again when the cause comes back after a frame without it, and a bounded memory of causes.
#include <string>

#include "render_fixture.h"

namespace render_test {
namespace {

class WarningsTest : public RenderTest {};

const std::string too_long(8000, '7'); // more digits than a QR code of version 40 holds

struct Cause {
    const char* name;
    const char* font1;      // the configuration's font1
    LabelRecord label;      // the label that meets the cause (none: kind 9)
    const char* background; // or the background that does
    std::string warning;    // the line it writes
    bool said_again;        // after a frame without it (an image stays cached instead)
};

TEST_F(WarningsTest, EachCauseIsSaidOnceWhileItStaysAndAgainWhenItComesBack)
{
    LabelRecord in_font1 = label(KIVO_LABEL_TEXT, 10, 10, 200, 60, "Charging 12.5 kWh");
    in_font1.font = 1;
    const Cause causes[] = {
        {"qr_text", "DejaVu Sans 40", label(KIVO_LABEL_QR, 10, 10, 100, 100, too_long.c_str()),
            nullptr, "qrencode: Numerical result out of range\n", true},
        {"font_in_points", "DejaVu Sans 50000", in_font1, nullptr,
            "font \"DejaVu Sans 50000\": more than 65535 pixels high, too large to draw\n", true},
        {"font_in_pixels", "DejaVu Sans 65536px", in_font1, nullptr,
            "font \"DejaVu Sans 65536px\": more than 65535 pixels high, too large to draw\n", true},
        {"largest_font_drawn", "DejaVu Sans 65535px", in_font1, nullptr, "",
            false}, // no Pango warning
        {"image", "DejaVu Sans 40", area(0, 0, 1, 1, 1), "nosuch",
            "IMG_Load(app/share/marvo/images/background/nosuch.webp)", false},
    };
    const std::string black = "file://" + save_png(Image(320, 240), "black");
    for (const Cause& c : causes) {
        SCOPED_TRACE(c.name);
        ConfigRecord cfg = config();
        cfg.font1 = c.font1;
        open(320, 240, cfg);
        const char* background = c.background ? c.background : black.c_str();
        const LabelRecord other = label(KIVO_LABEL_TEXT, 10, 150, 200, 40, "Start");
        std::string err = stderr_of([&] {
            for (int frame = 0; frame < 100; ++frame) // tracked frames and full redraws alike
                show(background, nullptr, {c.label, other});
        });
        EXPECT_EQ(occurrences(err, "\n"), c.warning.empty() ? 0 : 1) << err;
        EXPECT_NE(err.find(c.warning), std::string::npos) << err;
        if (c.label.kind == KIVO_LABEL_TEXT && !c.warning.empty()) {
            const Image with = frame();
            show(black.c_str(), nullptr, {other});
            EXPECT_EQ(with.px, frame().px) << "a refused font draws no text";
        }
        err = stderr_of([&] {
            show(black.c_str(), nullptr, {other});
            for (int frame = 0; frame < 3; ++frame)
                show(background, nullptr, {c.label, other});
        });
        EXPECT_EQ(occurrences(err, "\n"), c.said_again ? 1 : 0) << err;
    }
}

// Two causes alternating frame by frame are each said every time they come back; two on the
// same screen once each; beyond the bound, new causes of a frame are not said.
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
