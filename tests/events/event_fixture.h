// A window on the emulated display per test, with SDL's queue empty before and after.
#pragma once

#include <cctype>
#include <cstring>
#include <string>
#include <ostream>
#include <vector>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include "kivo/kivo.h"
#include "kivo_emu.h"

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

inline EventRecord record(std::uint8_t kind, int x = 0, int y = 0, std::uint16_t button = 0,
                          std::uint32_t label = 0)
{
    EventRecord e;
    std::memset(&e, 0, sizeof e);
    e.kind = kind;
    e.x = x;
    e.y = y;
    e.button = button;
    e.label = label;
    return e;
}

class EventTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kivo_init_sdl(); }
    static void TearDownTestSuite() { kivo_quit_sdl(); }
    void SetUp() override
    {
        kivo_emu_reset();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override
    {
        kivo_destroy_window();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        kivo_emu_reset();
    }
};

inline void open(int w, int h, std::uint8_t flavour = 0)
{
    ConfigRecord c;
    std::memset(&c, 0, sizeof c);
    c.flavour = flavour;
    c.font0 = c.font1 = c.font2 = c.font3 = "DejaVu Sans 12";
    kivo_create_window(w, h, &c);
}

// A label that draws nothing and is still hit-tested.
inline LabelRecord area(int x, int y, int w, int h, std::uint32_t id)
{
    LabelRecord l;
    std::memset(&l, 0, sizeof l);
    l.x = x;
    l.y = y;
    l.width = w;
    l.height = h;
    l.text = "";
    l.kind = 9;
    l.id = id;
    return l;
}

// Slot 0 with these labels and buttons, presented.
inline void show(std::vector<LabelRecord> labels, std::uint16_t buttons = 0)
{
    kivo_set_screen(0, nullptr, nullptr, labels.data(), std::uint32_t(labels.size()), 0, 0,
                    buttons);
    kivo_present(0);
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

// A gtest-friendly name from a case description.
inline std::string test_name(const char* text)
{
    std::string name;
    for (const char* p = text; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}
