// Headless mode: replays a touch script against a running host and keeps pictures of it.
#ifndef KIVO_SIM_HEADLESS_H
#define KIVO_SIM_HEADLESS_H

#include <string>
#include <vector>

#include "host.h"
#include "touch_script.h"

namespace kivo_sim {

struct HeadlessOptions {
    std::string out_dir = "."; // snapshots go here as <name>.png
    std::string webp;          // an animated WebP of the whole session, or empty
    int frame_ms = 100;        // time between two frames of the animation
};

// Waits for the host's display and panel, runs the script in real time and returns the host's
// exit status. At the end of a script without quit it waits for the host to end by itself.
int run_headless(Host& host, const std::vector<Command>& script, const HeadlessOptions& options);

} // namespace kivo_sim

#endif
