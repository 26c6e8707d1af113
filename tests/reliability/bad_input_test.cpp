// Bad inputs that no other suite covers, each with the road it takes (docs/bad-input.md): the
// exception and what is kept, the warning and what is drawn, or the end of the process.
#include <climits>
#include <stdexcept>
#include <string>
#include <vector>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include "kivo_emu.h"
#include "reliability.h"

namespace reliability {
namespace {

class BadInput : public Fixture {};

TEST_F(BadInput, NullConfigurationThrowsAndKeepsTheWindow)
{
    open(320, 240);
    EXPECT_EQ(kivo_test::thrown<std::logic_error>([] { kivo_create_window(640, 480, nullptr); }),
        "kivo_create_window: null configuration");
    EXPECT_EQ(kivo_surface_width(), 320);
    EXPECT_EQ(kivo_emu_open_descriptors(), 2);
    kivo_present(0);
}

TEST_F(BadInput, FrameCopyToNullWithZeroSizeCopiesNothing)
{
    open(32, 24);
    kivo_present(0);
    kivo_get_framebuffer(nullptr, 0); // the sanitizer build checks that nothing touches it
}

// libqrencode refuses an empty text: the QR road's warning, every frame, and nothing drawn.
TEST_F(BadInput, EmptyQrTextWarnsAndDrawsNothing)
{
    open(320, 240);
    const std::string black = still_reference(1, 1, 0xff000000);
    const LabelRecord qr = kivo_test::label(KIVO_LABEL_QR, 10, 10, 150, 40, "");
    kivo_set_screen(0, black.c_str(), nullptr, &qr, 1, 0, 0, 0);
    for (int frame = 0; frame < 2; ++frame) {
        EXPECT_EQ(kivo_test::stderr_of([] { kivo_present(0); }),
            "reliability_test: qrencode: Invalid argument\n");
        for (const std::uint32_t p : reliability::frame())
            ASSERT_EQ(p & 0xffffff, 0u);
    }
}

struct FatalCase {
    const char* name;
    int width, height;
    std::int32_t qr_border;
    const char* message; // what follows "<program>: "
};

const FatalCase fatal_cases[] = {
    {"quiet zone beyond int", 64, 48, INT_MAX, "SDL_CreateRGBSurfaceWithFormat: image too large"},
    // 21 modules + 2 x 16374 = 32769 pixels a side.
    {"quiet zone the stretch cannot take", 64, 48, 16374,
        "SDL_CreateRGBSurfaceWithFormat: image too large"}};

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
                const LabelRecord qr = kivo_test::label(KIVO_LABEL_QR, 0, 0, 150, 40, "x");
                kivo_set_screen(0, nullptr, nullptr, &qr, 1, 0, 0, 0);
                kivo_present(0);
                std::exit(0);
            },
            ::testing::ExitedWithCode(1), std::string(": ") + t.message);
    }
}

} // namespace
} // namespace reliability
