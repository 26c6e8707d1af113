/* The demo host's own screens and reactions, driven frame by frame without its main loop, so that
 * a test can replay its tour on the manual clock. */
#define main charging_demo_main
#include "../../examples/charging_demo.c"
#undef main

#include "demo_tour.h"

static struct app tour;

ConfigRecord tour_config(void)
{
    return demo_config();
}

void demo_start(void)
{
    memset(&tour, 0, sizeof tour);
    tour.slide_to = -1;
    tour.fast = 1;
    tour.text = &demo_languages[0];
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
