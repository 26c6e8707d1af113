// Windows created and destroyed 200 times, at sizes from 1 x 1 up, each drawing every kind of
// element and handling touches: nothing may stay behind (device descriptors and mappings counted by
// the emulator, all descriptors of the process, and, in the sanitizer build, every heap byte).
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kivo_emu.h"
#include "reliability.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace reliability {
namespace {

void draw_everything(int cycle)
{
    static const std::string still = still_reference(3, 2, 0xff336699);
    static const std::string animated = animated_reference(4, 4, 0xffcc3300);
    LabelRecord labels[5]{};
    const char* texts[5] = {"<b>cycle</b>", animated.c_str(), "https://example.com/s/17", "", ""};
    for (int i = 0; i < 5; ++i) {
        labels[i].x = 2 * i;
        labels[i].y = i;
        labels[i].width = 40;
        labels[i].height = 30;
        labels[i].r = labels[i].g = labels[i].b = labels[i].a = 200;
        labels[i].text = texts[i];
        labels[i].kind = std::uint8_t(i); // text, icon, QR, slider, and one that is not drawn
        labels[i].style = KIVO_STYLE_MARKUP | KIVO_STYLE_BLANK_BUTTON;
        labels[i].value = 0.6f;
        labels[i].band_value = 0.3f;
        labels[i].marker_value = 0.9f;
        labels[i].id = std::uint32_t(i + 1);
    }
    kivo_set_screen(0, still.c_str(), "car", labels, 5, 1, 4, 0x07ff);
    kivo_set_screen(1, animated.c_str(), nullptr, labels, 3, 0, 0, KIVO_BUTTON_OK);
    kivo_present(0);
    kivo_present(-(cycle % 7) - 1);
    kivo_emu_touch_inject(0, 0, 100); // a new window's panel starts at (0, 0): no motion
    kivo_emu_touch_inject(0, 0, 0);
    EventRecord records[8];
    EXPECT_EQ(kivo_poll_events(records, 8), 2u); // press and release
}

TEST(Lifecycle, TwoHundredWindowsLeaveNothingBehind)
{
    start();
    kivo_emu_reset();
    kivo_emu_clock_set_manual(1);
    const ConfigRecord c = config();
    // The first window loads the fonts and the process-wide caches of Pango and fontconfig.
    kivo_create_window(8, 8, &c);
    draw_everything(0);
    kivo_destroy_window();
    const int descriptors = open_descriptors();
    long resident_at_50 = 0;

    for (int cycle = 0; cycle < 200; ++cycle) {
        SCOPED_TRACE(cycle);
        const int w = cycle == 0 ? 1 : 1 + (cycle * 97) % 640;
        const int h = cycle == 0 ? 1 : 1 + (cycle * 61) % 480;
        kivo_create_window(w, h, &c);
        if (cycle % 10 == 9) // a second window replaces the first
            kivo_create_window(h, w, &c);
        ASSERT_EQ(kivo_emu_open_descriptors(), 2);
        ASSERT_EQ(kivo_emu_live_mappings(), 1);
        draw_everything(cycle);
        kivo_destroy_window();
        ASSERT_EQ(kivo_emu_open_descriptors(), 0);
        ASSERT_EQ(kivo_emu_live_mappings(), 0);
        ASSERT_EQ(open_descriptors(), descriptors);
        if (cycle == 49)
            resident_at_50 = resident_bytes();
    }
    const long growth = resident_bytes() - resident_at_50;
    std::printf("resident memory growth over cycles 50 to 200: %ld KiB\n", growth / 1024);
    RecordProperty("resident_growth_kib", int(growth / 1024));
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}

} // namespace
} // namespace reliability
