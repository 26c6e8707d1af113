/* The smallest host: one screen, and a line for every tap. */
#include <kivo/kivo.h>
#include <stdio.h>
#include <string.h>

int main(void)
{
    ConfigRecord config;
    memset(&config, 0, sizeof config);
    config.font0 = config.font1 = config.font2 = config.font3 = "DejaVu Sans 24";
    config.qr_border = 4;

    kivo_init_sdl();
    kivo_create_window(800, 480, &config);

    LabelRecord hello;
    memset(&hello, 0, sizeof hello);
    hello.x = 200;
    hello.y = 200;
    hello.width = 400;
    hello.height = 80;
    hello.r = hello.g = hello.b = hello.a = 255;
    hello.text = "Tap to start charging";
    hello.kind = KIVO_LABEL_TEXT;
    hello.style = KIVO_STYLE_AVAILABLE_BUTTON;
    hello.id = 1;
    kivo_set_screen(0, NULL, NULL, &hello, 1, 0, 0, KIVO_BUTTON_OK);

    for (int frame = 0; frame < 300; ++frame) {
        kivo_present(0);
        EventRecord events[8];
        uint32_t n = kivo_poll_events(events, 8);
        for (uint32_t i = 0; i < n; ++i)
            if (events[i].kind == KIVO_EVENT_PRESS)
                printf("pressed button %u, label %u\n", events[i].button, events[i].label);
    }
    kivo_destroy_window();
    kivo_quit_sdl();
    return 0;
}
