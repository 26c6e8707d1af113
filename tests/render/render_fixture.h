// The renderer through the exported functions on the emulated display, with a manual clock.
#pragma once

#include "capi/state.h"
#include "kivo/renderer.h"
#include "kivo_emu.h"
#include "support.h"

namespace render_test {

using namespace kivo_test;

class RenderTest : public ManualClockDisplay {
  protected:
    static void open(int w, int h, const ConfigRecord& c = config())
    {
        kivo_create_window(w, h, &c);
        ASSERT_NE(kivo::state::renderer, nullptr);
    }
    static kivo::Renderer& renderer() { return *kivo::state::renderer; }
    static void advance_ms(std::int64_t ms) { kivo_emu_clock_advance_ns(ms * 1000000); }
};

} // namespace render_test
