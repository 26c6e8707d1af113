// Draws one screen with every element the renderer handles and saves it as a PNG to look at:
//   render_snapshot OUT.png [offset]   (run from the build directory)
#include <cstdio>
#include <cstdlib>

#include "kivo/kivo.h"
#include "kivo_emu.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.png [offset]\n", argv[0]);
        return 2;
    }
    ConfigRecord c{};
    c.flavour = 0;
    c.font0 = "DejaVu Sans 20";
    c.font1 = "DejaVu Sans Bold 28";
    c.font2 = "DejaVu Sans 12";
    c.font3 = "DejaVu Serif 16";
    c.label_offset_y = 4;
    c.icon_center_y = 140;
    c.carousel_y = 440;
    c.carousel_spacing = 24;
    kivo_init_sdl();
    kivo_create_window(800, 480, &c);

    LabelRecord labels[5] = {};
    const char* texts[] = {"Charging station", "<b>Fast</b> <span foreground=\"#ffd000\">150 kW</span>",
                           "A long description that wraps over several lines and is cut short "
                           "with an ellipsis once the box is full of text, like this one",
                           "car", "card"};
    const int boxes[][4] = {{200, 30, 400, 50}, {280, 230, 240, 40}, {40, 300, 300, 80},
                            {600, 250, 120, 120}, {600, 120, 120, 120}};
    for (int i = 0; i < 5; ++i) {
        LabelRecord& l = labels[i];
        l.x = boxes[i][0], l.y = boxes[i][1], l.width = boxes[i][2], l.height = boxes[i][3];
        l.r = l.g = l.b = l.a = 255;
        l.text = texts[i];
        l.kind = i < 3 ? KIVO_LABEL_TEXT : KIVO_LABEL_ICON;
        l.id = i + 1;
    }
    labels[0].font = 1;
    labels[1].style = KIVO_STYLE_MARKUP | KIVO_STYLE_FAST_BUTTON;
    labels[2].align = KIVO_ALIGN_LEFT;
    labels[2].font = 2;
    const uint16_t buttons = KIVO_BUTTON_OK | KIVO_BUTTON_BACK | KIVO_BUTTON_MENU | KIVO_BUTTON_LEFT |
                             KIVO_BUTTON_RIGHT;
    kivo_set_screen(0, "home", "plug", labels, 5, 1, 4, buttons);
    kivo_set_screen(1, "charging", "station", labels, 2, 0, 3, KIVO_BUTTON_CLOSE);
    kivo_present(argc > 2 ? std::atoi(argv[2]) : 0);
    const int rc = kivo_emu_fb_save_png(argv[1]);
    kivo_destroy_window();
    kivo_quit_sdl();
    return rc == 0 ? 0 : 1;
}
