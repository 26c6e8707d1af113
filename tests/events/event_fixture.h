// A window on the emulated display per test.
#pragma once

#include <ostream>

#include "kivo_emu.h"
#include "support.h"

using kivo_test::area;

inline bool operator==(const EventRecord& a, const EventRecord& b)
{
    return a.kind == b.kind && a.x == b.x && a.y == b.y && a.button == b.button &&
           a.label == b.label;
}

inline void PrintTo(const EventRecord& e, std::ostream* os)
{
    *os << "{kind " << int(e.kind) << ", (" << e.x << ", " << e.y << "), button " << e.button
        << ", label " << e.label << "}";
}

inline EventRecord record(
    std::uint8_t kind, int x = 0, int y = 0, std::uint16_t button = 0, std::uint32_t label = 0)
{
    return {kind, x, y, button, label};
}

class EventTest : public kivo_test::Display {};

inline void open(int w, int h, std::uint8_t flavour = 0)
{
    kivo_test::open(w, h, kivo_test::config(flavour));
}

// Slot 0 with these labels and buttons, presented.
inline void show(const std::vector<LabelRecord>& labels, std::uint16_t buttons = 0)
{
    kivo_test::show(nullptr, nullptr, labels, buttons);
}

inline void push(std::uint8_t kind, int x = 0, int y = 0)
{
    const EventRecord e = record(kind, x, y);
    kivo_push_event(&e);
}

inline std::vector<EventRecord> poll(std::uint32_t max = 16)
{
    std::vector<EventRecord> out(max);
    out.resize(kivo_poll_events(out.data(), max));
    return out;
}

// Every event on SDL's queue, taken off it.
inline std::vector<SDL_Event> drain_sdl()
{
    std::vector<SDL_Event> out(64);
    const int n =
        SDL_PeepEvents(out.data(), int(out.size()), SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    out.resize(n > 0 ? std::size_t(n) : 0);
    return out;
}

// A mouse event as the panel and kivo_push_event make it: from the touch device, window 0, the
// left button, one click; state is the button's (press, release) or the button mask (motion).
inline void expect_mouse(
    const SDL_Event& e, Uint32 type, int x, int y, Uint8 state, int xrel = 0, int yrel = 0)
{
    ASSERT_EQ(e.type, type);
    if (type == SDL_MOUSEMOTION) {
        const SDL_MouseMotionEvent& m = e.motion;
        EXPECT_EQ(std::vector<Sint64>({m.windowID, m.which, m.state, m.x, m.y, m.xrel, m.yrel}),
            std::vector<Sint64>({0, SDL_TOUCH_MOUSEID, state, x, y, xrel, yrel}));
    } else {
        const SDL_MouseButtonEvent& b = e.button;
        EXPECT_EQ(std::vector<Sint64>(
                      {b.windowID, b.which, b.button, b.state, b.clicks, b.padding1, b.x, b.y}),
            std::vector<Sint64>({0, SDL_TOUCH_MOUSEID, SDL_BUTTON_LEFT, state, 1, 0, x, y}));
    }
}
