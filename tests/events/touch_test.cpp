// Panel samples, read back through tslib, turned into SDL mouse events by the window.
#include <climits>

#include "capi/state.h"
#include "event_fixture.h"

namespace {

struct Sample {
    int x, y;
    unsigned pressure;
};

// One SDL event: type, position, state, and for motion xrel/yrel.
struct Want {
    Uint32 type;
    int x, y;
    Uint8 state;
    int xrel = 0, yrel = 0;
};

constexpr Uint32 down = SDL_MOUSEBUTTONDOWN;
constexpr Uint32 up = SDL_MOUSEBUTTONUP;
constexpr Uint32 motion = SDL_MOUSEMOTION;

struct TouchCase {
    const char* name;
    std::vector<Sample> before;  // processed first, their events discarded
    std::vector<Sample> samples; // processed by one update_events call
    std::vector<Want> want;
};

const TouchCase touch_cases[] = {{"first sample at the initial position: press only", {},
                                     {{0, 0, 200}}, {{down, 0, 0, SDL_PRESSED}}},
    {"pressure held in place: one press", {{100, 200, 0}}, {{100, 200, 150}, {100, 200, 180}},
        {{down, 100, 200, SDL_PRESSED}}},
    {"held move: motion with the button state", {{100, 200, 150}}, {{110, 205, 150}},
        {{motion, 110, 205, SDL_BUTTON_LMASK, 10, 5}}},
    {"held vertical move: motion", {{100, 200, 150}}, {{100, 230, 150}},
        {{motion, 100, 230, SDL_BUTTON_LMASK, 0, 30}}},
    {"lift-off while moving: release, then motion without button",
        {{100, 200, 150}, {110, 205, 150}}, {{112, 206, 0}},
        {{up, 112, 206, SDL_RELEASED}, {motion, 112, 206, 0, 2, 1}}},
    {"lift-off in place: release only", {{40, 50, 90}}, {{40, 50, 0}},
        {{up, 40, 50, SDL_RELEASED}}},
    {"hovering panel: motion without button, no press", {},
        {{10, 10, 0}, {20, 15, 0}, {20, 15, 0}, {25, 15, 0}},
        {{motion, 10, 10, 0, 10, 10}, {motion, 20, 15, 0, 10, 5}, {motion, 25, 15, 0, 5, 0}}},
    {"press at a new position: press before motion", {}, {{30, 40, 1}},
        {{down, 30, 40, SDL_PRESSED}, {motion, 30, 40, SDL_BUTTON_LMASK, 30, 40}}},
    {"differences wrap in 32 bits", {{1, -1, 0}}, {{INT_MIN, INT_MAX, 0}},
        {{motion, INT_MIN, INT_MAX, 0, INT_MAX, INT_MIN}}},
    {"nothing pending: nothing pushed", {{60, 70, 80}}, {}, {}}};

TEST_F(EventTest, PanelSamplesBecomeMouseEvents)
{
    for (const TouchCase& c : touch_cases) {
        SCOPED_TRACE(c.name);
        kivo_destroy_window();
        kivo_emu_reset();
        open(800, 480);
        kivo::Window& window = *kivo::state::window;
        for (const Sample& s : c.before)
            kivo_emu_touch_inject(s.x, s.y, s.pressure);
        window.update_events();
        drain_sdl();

        for (const Sample& s : c.samples)
            kivo_emu_touch_inject(s.x, s.y, s.pressure);
        window.update_events();
        const Uint32 ticks = SDL_GetTicks();
        const std::vector<SDL_Event> got = drain_sdl();

        ASSERT_EQ(got.size(), c.want.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            SCOPED_TRACE(i);
            const Want& w = c.want[i];
            expect_mouse(got[i], w.type, w.x, w.y, w.state, w.xrel, w.yrel);
            EXPECT_LE(got[i].common.timestamp, ticks);
            // The button event made from the same sample (so at the same place) carries the same
            // time.
            if (w.type == motion && i > 0 && got[i - 1].type != motion &&
                got[i - 1].button.x == got[i].motion.x && got[i - 1].button.y == got[i].motion.y) {
                EXPECT_EQ(got[i].common.timestamp, got[i - 1].common.timestamp);
            }
        }
    }
}

} // namespace

// A panel unplugged with a touch held and plugged back: the host gets the release at the last
// position, the window looks for the panel again no more often than its retry interval, and taps
// on the panel that came back are answered.
TEST_F(EventTest, UnpluggedPanelReleasesTheTouchAndComesBack)
{
    open(800, 480);
    kivo_emu_clock_set_manual(1);
    const kivo::Window& window = *kivo::state::window;
    kivo_emu_touch_inject(100, 200, 150);
    kivo_emu_touch_inject(120, 210, 150);
    EXPECT_EQ(
        poll(), (std::vector<EventRecord>{record(KIVO_EVENT_PRESS, 100, 200),
                    record(KIVO_EVENT_MOTION, 100, 200), record(KIVO_EVENT_MOTION, 120, 210)}));

    kivo_emu_touch_unplug();
    EXPECT_EQ(poll(), std::vector<EventRecord>{record(KIVO_EVENT_RELEASE, 120, 210)});
    EXPECT_FALSE(window.touch_open());
    EXPECT_EQ(kivo_emu_open_descriptors(), 2); // the framebuffer's, the terminal's

    // Still gone at the first try; plugged back right after it, found at the next.
    const auto ns = [](auto d) { return std::chrono::nanoseconds(d).count(); };
    EXPECT_TRUE(poll().empty());
    kivo_emu_touch_plug();
    kivo_emu_clock_advance_ns(ns(kivo::Window::touch_retry_interval) - 1);
    EXPECT_TRUE(poll().empty());
    EXPECT_FALSE(window.touch_open()) << "tried again before the retry interval";
    kivo_emu_clock_advance_ns(1);
    EXPECT_TRUE(poll().empty());
    ASSERT_TRUE(window.touch_open());

    kivo_emu_touch_inject(300, 100, 90);
    kivo_emu_touch_inject(300, 100, 0);
    EXPECT_EQ(
        poll(), (std::vector<EventRecord>{record(KIVO_EVENT_PRESS, 300, 100),
                    record(KIVO_EVENT_MOTION, 300, 100), record(KIVO_EVENT_RELEASE, 300, 100)}));
}
