// The one process-wide library state behind the exported functions.
#pragma once

#include <array>
#include <cstdint>

#include "kivo/renderer.h"
#include "kivo/screen.h"
#include "kivo/window.h"

namespace kivo::state {

// Owning. Released only by kivo_destroy_window (renderer first), never at unload.
extern Window* window;
extern Renderer* renderer;
// The coordinate space of incoming pointer events: the window size, or the last resize event.
extern std::int32_t width;
extern std::int32_t height;
// Slot 0 is presented; slot 1 is the other screen of a slide.
extern std::array<ScreenDef, 2> screens;
// True from a Press record to its Release record.
extern bool pressed;

} // namespace kivo::state
