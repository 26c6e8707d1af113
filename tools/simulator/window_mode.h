// Window mode: the emulated display in a desktop window, the mouse as the finger.
#ifndef KIVO_SIM_WINDOW_MODE_H
#define KIVO_SIM_WINDOW_MODE_H

#include "host.h"

namespace kivo_sim {

// Starts SDL's video subsystem. Fatal (exit 1) without a display: call it before the host starts.
void init_video();

// Shows the host's display, scaled by scale, until the host ends; the left mouse button is the
// finger (press, drag, release). Closing the window sends the host SIGTERM (a Quit event for a
// kivo host) and waits for it. Returns the host's exit status.
int run_window(Host& host, double scale);

} // namespace kivo_sim

#endif
