// kivo_poll_events and kivo_push_event: translation, scaling, hit tests, partial reads.
#include <climits>
#include <functional>
#include <stdexcept>
#include <vector>

#include "capi/state.h"
#include "event_fixture.h"

namespace {

constexpr std::uint8_t quit = KIVO_EVENT_QUIT;
constexpr std::uint8_t motion = KIVO_EVENT_MOTION;
constexpr std::uint8_t release = KIVO_EVENT_RELEASE;
constexpr std::uint8_t press = KIVO_EVENT_PRESS;
constexpr std::uint8_t user = KIVO_EVENT_USER;
constexpr std::uint16_t back = KIVO_BUTTON_BACK;

void push_sdl(SDL_Event e)
{
    ASSERT_EQ(SDL_PushEvent(&e), 1);
}

const auto resize = [](int w, int h) { kivo_test::window_event(w, h); };

void key(Uint32 type, SDL_Scancode code)
{
    SDL_Event e{type};
    e.key.keysym.scancode = code;
    push_sdl(e);
}

struct PollCase {
    const char* name;
    int width, height; // the window
    std::vector<LabelRecord> labels;
    std::uint16_t buttons;
    std::function<void()> queue;
    std::uint32_t max;
    std::vector<EventRecord> first;  // the first poll
    std::vector<EventRecord> second; // the next one
};

const PollCase poll_cases[] = {
    {"three events with room for two", 800, 480, {}, 0,
        [] {
            push(press, 10, 20);
            push(motion, 30, 40);
            push(release, 50, 60);
        },
        2, {record(press, 10, 20), record(motion, 30, 40)}, {record(release, 50, 60)}},
    {"motion before any press is dropped", 800, 480, {}, 0,
        [] {
            push(motion, 5, 5);
            push(press, 6, 6);
            push(motion, 7, 7);
        },
        16, {record(press, 6, 6), record(motion, 7, 7)}, {}},
    {"press and release name the label under them", 800, 480, {area(0, 0, 100, 100, 7)}, 0,
        [] {
            push(press, 10, 20);
            push(release, 99, 20);
        },
        16, {record(press, 10, 20, 0, 7), record(release, 99, 20, 0, 7)}, {}},
    {"coordinate space half the surface: doubled", 800, 480, {}, 0,
        [] {
            resize(400, 240);
            push(press, 150, 100);
        },
        16, {record(press, 300, 200)}, {}},
    {"coordinate space larger than the surface: truncated", 480, 480, {}, 0,
        [] {
            resize(800, 480);
            push(press, 3, 7);
            push(motion, -3, -7);
        },
        16, {record(press, 1, 7), record(motion, -1, -7)}, {}},
    {"other window events leave the space alone", 800, 480, {}, 0,
        [] {
            kivo_test::window_event(400, 240, SDL_WINDOWEVENT_SIZE_CHANGED);
            push(press, 100, 100);
        },
        16, {record(press, 100, 100)}, {}},
    {"zero coordinate space reports 0", 800, 480, {area(0, 0, 10, 10, 3)}, 0,
        [] {
            resize(0, 480);
            push(press, 50, 60);
            resize(0, 0);
            push(motion, 50, 60);
        },
        16, {record(press, 0, 60), record(motion, 0, 0, 0, 3)}, {}},
    {"products beyond 32 bits are clamped", 800, 480, {}, 0,
        [] {
            resize(1, 1);
            push(press, INT_MAX, -INT_MAX);
            push(motion, 0, 0);
        },
        16, {record(press, INT_MAX, INT_MIN), record(motion, 0, 0)}, {}},
    {"negative and extreme spaces: scaled in 64 bits, clamped", 320, 240, {}, 0,
        [] {
            resize(-320, -240);
            push(press, 100, 50);
            resize(INT_MAX, INT_MAX);
            push(press, INT_MAX, 5);
            resize(INT_MIN, INT_MIN);
            push(press, INT_MIN, INT_MIN);
            push(press, INT_MAX, 1);
        },
        16,
        {record(press, -100, -50), record(press, 320, 0), record(press, 320, 240),
            record(press, -319, 0)},
        {}},
    {"quit and user records carry nothing else", 800, 480, {area(0, 0, 800, 480, 5)}, 0,
        [] {
            push(quit, 7, 8);
            push(user, 9, 10);
        },
        16, {record(quit), record(user)}, {}},
    {"escape key quits, other keys are dropped", 800, 480, {}, 0,
        [] {
            key(SDL_KEYDOWN, SDL_SCANCODE_A);
            key(SDL_KEYUP, SDL_SCANCODE_ESCAPE);
            key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE);
        },
        16, {record(quit)}, {}},
    {"one record names a button and a label", 800, 480, {area(0, 400, 200, 80, 21)},
        KIVO_BUTTON_BACK, [] { push(press, 5, 475); }, 16, {record(press, 5, 475, back, 21)}, {}}};

TEST_F(EventTest, QueuedEventsAreTranslated)
{
    for (const PollCase& c : poll_cases) {
        SCOPED_TRACE(c.name);
        open(c.width, c.height);
        show(c.labels, c.buttons);
        c.queue();
        EXPECT_EQ(poll(c.max), c.first);
        EXPECT_EQ(poll(), c.second);
        EXPECT_TRUE(drain_sdl().empty());
        kivo_destroy_window();
    }
}

// A host's SDL event filter sees the events of kivo_push_event and may drop them; the panel's
// touches are queued past it, and a poll with room for none moves them into the queue and reads
// nothing.
TEST_F(EventTest, PanelSamplesAreQueuedPastTheHostsFilter)
{
    open(800, 480);
    std::vector<Uint32> filtered;
    SDL_SetEventFilter(
        [](void* seen, SDL_Event* e) {
            static_cast<std::vector<Uint32>*>(seen)->push_back(e->type);
            return e->type == SDL_USEREVENT ? 0 : 1;
        },
        &filtered);
    push(user);
    push(press, 10, 20);
    kivo_emu_touch_inject(100, 120, 50);
    EventRecord sentinel = record(99, -1, -1, 0xffff, 0xffffffff);
    EXPECT_EQ(kivo_poll_events(&sentinel, 0), 0u);
    EXPECT_EQ(sentinel, record(99, -1, -1, 0xffff, 0xffffffff));
    EXPECT_EQ(SDL_PeepEvents(nullptr, 8, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 3);
    const std::vector<EventRecord> got = poll();
    SDL_SetEventFilter(nullptr, nullptr);
    EXPECT_EQ(filtered, (std::vector<Uint32>{SDL_USEREVENT, SDL_MOUSEBUTTONDOWN}));
    EXPECT_EQ(got, (std::vector<EventRecord>{
                       record(press, 10, 20), record(press, 100, 120), record(motion, 100, 120)}));
}

// Without a window a poll reads nothing and leaves the queue. Null events and kinds above 4
// never reach SDL's queue; without SDL started a push is lost.
TEST_F(EventTest, PollNeedsAWindowAndPushAKnownKindAndSdl)
{
    push(user);
    EventRecord out[4];
    EXPECT_EQ(kivo_poll_events(out, 4), 0u);
    open(800, 480);
    kivo_destroy_window();
    EXPECT_EQ(kivo_poll_events(out, 4), 0u);
    kivo_push_event(nullptr);
    push(5, 1, 1);
    push(255);
    const std::vector<SDL_Event> left = drain_sdl();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].type, SDL_USEREVENT);
    kivo_quit_sdl();
    push(press, 1, 1);
    kivo_init_sdl();
    EXPECT_TRUE(drain_sdl().empty());
}

// A shown button without an image for the flavour: the frame is drawn in full up to it, then
// the hit test throws out of the poll, the records stored before stay, the press is lost. The
// buttons of every flavour are drawn and hit-tested.
TEST_F(EventTest, HitTestExceptionLeavesEarlierRecords)
{
    open(800, 480, 3);
    kivo_test::show(nullptr, nullptr, {}, 0x04f0); // Close, Help, Fast, Smart, Frame
    kivo_set_screen(0, "home", nullptr, nullptr, 0, 0, 0, KIVO_BUTTON_OK);
    EXPECT_EQ(kivo_test::thrown<std::invalid_argument>([] { kivo_present(0); }), "flavour");
    kivo_test::Image drawn(800, 480);
    kivo_test::blend(drawn, kivo_test::load(kivo_test::images + "background/home.webp"), 0, 0);
    EXPECT_TRUE(kivo_test::same_rgb(kivo_test::frame(), drawn));
    push(user);
    push(press, 795, 475);
    push(quit);
    EventRecord out[3] = {record(99), record(99), record(99)};
    EXPECT_EQ(
        kivo_test::thrown<std::invalid_argument>([&] { kivo_poll_events(out, 3); }), "flavour");
    EXPECT_EQ(out[0], record(user));
    EXPECT_EQ(out[1], record(99));
    EXPECT_FALSE(kivo::state::pressed);
    EXPECT_EQ(poll(), std::vector<EventRecord>{record(quit)});
}

// The screens set before the first window are the ones it shows and hit-tests; a touch held when a
// window goes is forgotten, so motion in the next window needs a press of its own.
TEST_F(EventTest, ScreensOutliveNoWindowAndTouchesDoNotOutliveOne)
{
    const LabelRecord corner[] = {area(0, 400, 200, 80, 21)};
    kivo_set_screen(0, nullptr, nullptr, corner, 1, 0, 0, KIVO_BUTTON_BACK);
    open(800, 480);
    kivo_present(0);
    push(press, 5, 475);
    EXPECT_EQ(poll(), std::vector<EventRecord>{record(press, 5, 475, back, 21)});
    kivo_destroy_window();
    open(800, 480);
    push(motion, 20, 20);
    EXPECT_EQ(poll(), std::vector<EventRecord>{});
}

} // namespace
