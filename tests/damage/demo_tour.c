/* The demo host's own screens and reactions, driven frame by frame without its main loop, so that
 * a test can replay its tour on the manual clock. */
#define main charging_demo_main
#include "../../examples/charging_demo.c"
#undef main

#include "demo_tour.h"

static struct app tour;

ConfigRecord demo_config(void)
{
    ConfigRecord config;
    memset(&config, 0, sizeof config);
    config.font0 = "DejaVu Sans Bold 20";
    config.font1 = "DejaVu Sans 15";
    config.font2 = "DejaVu Sans Bold 28";
    config.font3 = "DejaVu Sans 12";
    config.qr_border = 3;
    config.icon_center_y = 110;
    config.carousel_y = 440;
    config.carousel_spacing = 28;
    config.slider_start_angle = 0.75f * PI_F;
    config.slider_sweep_angle = 1.5f * PI_F;
    static const uint8_t value_color[4] = {0x2e, 0xcc, 0x71, 0xff};
    static const uint8_t band_color[4] = {0xff, 0xff, 0xff, 0x90};
    static const uint8_t marker_color[4] = {0xf5, 0xa6, 0x23, 0xff};
    memcpy(config.slider_value_color, value_color, 4);
    memcpy(config.slider_band_color, band_color, 4);
    memcpy(config.slider_marker_color, marker_color, 4);
    return config;
}

void demo_start(void)
{
    memset(&tour, 0, sizeof tour);
    tour.slide_to = -1;
    tour.fast = 1;
    go(&tour, HOME);
}

/* One turn of the demo's frame loop before its present: the offset to present. */
int demo_frame(void)
{
    if (tour.charging && tour.soc < target_soc) {
        tour.soc += 0.004f;
        if (tour.soc > target_soc)
            tour.soc = target_soc;
        if (tour.screen == CHARGING || (tour.screen == HOME && tour.slide_to < 0))
            show(&tour);
    }
    return slide_offset(&tour);
}

void demo_tap_button(uint16_t button)
{
    tap_button(&tour, button);
}

void demo_tap_label(uint32_t label)
{
    tap_label(&tour, label);
}

void demo_swipe(int direction)
{
    start_slide(&tour, direction);
}
