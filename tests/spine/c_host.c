/* A host written in C against the exported header only: open a window on the emulated display,
 * present, read the frame back, then reopen at another size. Prints "N passed, N failed". */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "kivo/kivo.h"
#include "kivo_emu.h"

static unsigned passed, failed;

static void check(int ok, const char* what)
{
    if (ok) {
        ++passed;
    } else {
        ++failed;
        printf("FAILED: %s\n", what);
    }
}

static ConfigRecord config(void)
{
    ConfigRecord c;
    memset(&c, 0, sizeof c);
    c.font0 = "DejaVu Sans 20";
    c.font1 = "DejaVu Sans Bold 16";
    c.font2 = "";
    c.font3 = "Monospace 12";
    c.qr_border = 4;
    c.icon_center_y = 120;
    c.carousel_y = 440;
    c.carousel_spacing = 24;
    return c;
}

/* One window: present a screen, compare the frame with the emulated display byte for byte. */
static void round_trip(int w, int h)
{
    ConfigRecord c = config();
    int32_t mw = 0, mh = 0;
    bool valid = false;
    uint8_t* frame;
    size_t bytes = (size_t)w * (size_t)h * 4, row;
    const uint8_t* fb;
    int xres, yres;
    uint32_t line;

    kivo_create_window(w, h, &c);
    check(
        kivo_surface_width() == w && kivo_surface_height() == h, "surface size follows the window");
    kivo_get_display_mode(&mw, &mh, &valid);
    check(mw == w && mh == h && valid, "display mode reports the mode set");

    kivo_set_screen(0, NULL, NULL, NULL, 0, 0, 3, KIVO_BUTTON_OK | KIVO_BUTTON_BACK);
    kivo_present(0);

    frame = malloc(bytes);
    kivo_get_framebuffer(frame, bytes);
    fb = kivo_emu_fb_pixels();
    kivo_emu_fb_mode(&xres, &yres, &line);
    check(xres == w && yres == h && line == (uint32_t)w * 4, "framebuffer mode set");
    for (row = 0; row < (size_t)h; ++row)
        if (memcmp(frame + row * (size_t)w * 4, fb + row * line, (size_t)w * 4) != 0)
            break;
    check(row == (size_t)h, "display shows the frame byte for byte");
    {
        /* Something was drawn: the Ok button sits in the bottom-right corner of a black frame. */
        static const uint8_t black[4] = {0, 0, 0, 0};
        const uint8_t* ok = frame + ((size_t)(h - 30) * (size_t)w + (size_t)(w - 30)) * 4;
        check(memcmp(frame, black, 4) == 0 && memcmp(ok, black, 4) != 0,
            "buttons drawn into the frame");
    }
    free(frame);
    kivo_destroy_window();
    check(kivo_surface_width() == 0 && kivo_surface_height() == 0, "no surface after destroy");
}

int main(void)
{
    kivo_init_sdl();
    round_trip(800, 480);
    round_trip(480, 272);
    check(kivo_emu_open_descriptors() == 0 && kivo_emu_live_mappings() == 0,
        "devices closed, memory unmapped");
    kivo_quit_sdl();
    printf("c_host: %u passed, %u failed\n", passed, failed);
    return failed != 0;
}
