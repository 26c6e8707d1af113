// Shared set-up for tests that open the emulated display through the exported functions.
#pragma once

#include <cstring>

#include <gtest/gtest.h>

#include "kivo/kivo.h"
#include "kivo_emu.h"

inline ConfigRecord test_config(std::uint8_t flavour = 0)
{
    ConfigRecord c;
    std::memset(&c, 0, sizeof c);
    c.flavour = flavour;
    c.font0 = "DejaVu Sans 20";
    c.font1 = "DejaVu Sans Bold 16";
    c.font2 = "DejaVu Serif 14";
    c.font3 = "DejaVu Sans Mono 12";
    c.qr_border = 4;
    c.icon_center_y = 120;
    c.carousel_y = 440;
    c.carousel_spacing = 24;
    return c;
}

class Display : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kivo_init_sdl(); }
    static void TearDownTestSuite() { kivo_quit_sdl(); }
    void SetUp() override { kivo_emu_reset(); }
    void TearDown() override
    {
        kivo_destroy_window();
        kivo_emu_reset();
    }
};
