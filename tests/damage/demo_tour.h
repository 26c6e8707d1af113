/* The demo host, frame by frame (demo_tour.c). */
#pragma once

#include <kivo/kivo.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { DEMO_CONNECTOR = 10, DEMO_FAST = 21, DEMO_MENU_HELP = 41, DEMO_MENU_LANGUAGE = 43 };

ConfigRecord tour_config(void);
void demo_start(void);
int demo_frame(void);
void demo_tap_button(uint16_t button);
void demo_tap_label(uint32_t label);
/* -1 brings the next page in from the right, +1 the previous one from the left. */
void demo_swipe(int direction);

#ifdef __cplusplus
}
#endif
