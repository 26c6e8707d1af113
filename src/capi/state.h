// The one process-wide library state behind the exported functions.
#pragma once

#include <array>
#include <cstdint>

#include "kivo/renderer.h"
#include "kivo/screen.h"
#include "kivo/window.h"

namespace kivo::state {

// Owning. Released only by kivo_destroy_window (renderer first), never at unload.
inline Window* window = nullptr;
inline Renderer* renderer = nullptr;
// The coordinate space of incoming pointer events: the window size, or the last resize event.
inline std::int32_t width = 0, height = 0;
// Slot 0 is presented; slot 1 is the other screen of a slide.
inline std::array<ScreenDef, 2> screens;
// True from a Press record to its Release record.
inline bool pressed = false;

} // namespace kivo::state
