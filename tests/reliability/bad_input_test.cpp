// Bad inputs that no other suite covers, each with the road it takes (docs/bad-input.md): the
// exception and what is kept, the warning and what is drawn, or the end of the process.
#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include "kivo_emu.h"
#include "reliability.h"

namespace reliability {
namespace {

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

class BadInput : public Fixture {};

LabelRecord text_label(const char* text, int x, int y, std::uint16_t style = 0)
{
    LabelRecord l{};
    l.x = x;
    l.y = y;
    l.width = 150;
    l.height = 40;
    l.r = l.g = l.b = l.a = 255;
    l.text = text;
    l.style = style;
    return l;
}

// A black frame with these labels on it.
std::vector<std::uint32_t> draw(const std::vector<LabelRecord>& labels)
{
    static const std::string black = still_reference(1, 1, 0xff000000);
    kivo_set_screen(
        0, black.c_str(), nullptr, labels.data(), std::uint32_t(labels.size()), 0, 0, 0);
    kivo_present(0);
    return frame();
}

// Pixels that are not black in the box (x, y, w, h) of a 320-pixel-wide frame.
int ink(const std::vector<std::uint32_t>& px, int x, int y, int w, int h)
{
    int n = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            n += (px[std::size_t(j) * 320 + i] & 0xffffff) != 0;
    return n;
}

TEST_F(BadInput, NullConfigurationThrowsAndKeepsTheWindow)
{
    const ConfigRecord c = config();
    kivo_create_window(320, 240, &c);
    try {
        kivo_create_window(640, 480, nullptr);
        ADD_FAILURE() << "a null configuration was accepted";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "kivo_create_window: null configuration");
    }
    EXPECT_EQ(kivo_surface_width(), 320);
    EXPECT_EQ(kivo_emu_open_descriptors(), 2);
    kivo_present(0);
}

TEST_F(BadInput, FrameCopyToNullWithZeroSizeCopiesNothing)
{
    const ConfigRecord c = config();
    kivo_create_window(32, 24, &c);
    kivo_present(0);
    kivo_get_framebuffer(nullptr, 0); // the sanitizer build checks that nothing touches it
}

// libqrencode refuses an empty text: the QR road's warning, every frame, and nothing drawn.
TEST_F(BadInput, EmptyQrTextWarnsAndDrawsNothing)
{
    const ConfigRecord c = config();
    kivo_create_window(320, 240, &c);
    LabelRecord qr = text_label("", 10, 10);
    qr.kind = KIVO_LABEL_QR;
    for (int frame = 0; frame < 2; ++frame) {
        CaptureStderr();
        const std::vector<std::uint32_t> px = draw({qr});
        EXPECT_EQ(GetCapturedStderr(), "reliability_test: qrencode: Invalid argument\n");
        EXPECT_EQ(ink(px, 0, 0, 320, 240), 0);
    }
}

struct FatalCase {
    const char* name;
    int width, height;
    std::int32_t qr_border;
    const char* message; // what follows "<program>: "
};

const FatalCase fatal_cases[] = {
    // Sizes the emulated driver refuses, as a real one does; one that accepted them would end
    // the process at the drawing surface instead ("SDL_CreateRGBSurfaceWithFormat: ...").
    {"zero size", 0, 0, 2, "ioctl: Invalid argument"},
    {"quiet zone beyond int", 64, 48, INT_MAX, "SDL_CreateRGBSurfaceWithFormat: image too large"},
    // 21 modules + 2 x 16374 = 32769 pixels a side.
    {"quiet zone the stretch cannot take", 64, 48, 16374,
        "SDL_CreateRGBSurfaceWithFormat: image too large"},
};

TEST_F(BadInput, UnusableSizesEndTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const FatalCase& t : fatal_cases) {
        SCOPED_TRACE(t.name);
        EXPECT_EXIT(
            {
                ConfigRecord c = config();
                c.qr_border = t.qr_border;
                kivo_create_window(t.width, t.height, &c);
                LabelRecord qr = text_label("x", 0, 0);
                qr.kind = KIVO_LABEL_QR;
                kivo_set_screen(0, nullptr, nullptr, &qr, 1, 0, 0, 0);
                kivo_present(0);
                std::exit(0);
            },
            ::testing::ExitedWithCode(1), std::string(": ") + t.message);
    }
}

} // namespace
} // namespace reliability
