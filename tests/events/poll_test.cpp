// kivo_poll_events and kivo_push_event: translation, scaling, hit tests, partial reads.
#include <climits>
#include <stdexcept>

#include "capi/state.h"
#include "event_fixture.h"

namespace {

constexpr std::uint8_t quit = KIVO_EVENT_QUIT;
constexpr std::uint8_t motion = KIVO_EVENT_MOTION;
constexpr std::uint8_t release = KIVO_EVENT_RELEASE;
constexpr std::uint8_t press = KIVO_EVENT_PRESS;
constexpr std::uint8_t user = KIVO_EVENT_USER;
constexpr std::uint16_t back = KIVO_BUTTON_BACK;

// What a case queues: records through kivo_push_event (kinds up to 4), window events of a size
// and keys (x the scancode) through SDL.
enum : std::uint8_t { resized = 100, size_changed, key_down, key_up };
struct Step {
    std::uint8_t kind;
    int x = 0, y = 0;
};

void queue(const std::vector<Step>& steps)
{
    for (const Step& s : steps) {
        if (s.kind < resized) {
            push(s.kind, s.x, s.y);
        } else if (s.kind < key_down) {
            kivo_test::window_event(s.x, s.y,
                s.kind == resized ? SDL_WINDOWEVENT_RESIZED : SDL_WINDOWEVENT_SIZE_CHANGED);
        } else {
            SDL_Event e{s.kind == key_down ? SDL_KEYDOWN : SDL_KEYUP};
            e.key.keysym.scancode = SDL_Scancode(s.x);
            ASSERT_EQ(SDL_PushEvent(&e), 1);
        }
    }
}

struct PollCase {
    const char* name;
    int width, height; // the window
    std::vector<LabelRecord> labels;
    std::uint16_t buttons;
    std::vector<Step> steps;
    std::uint32_t max;
    std::vector<EventRecord> first;  // the first poll
    std::vector<EventRecord> second; // the next one
};

const PollCase poll_cases[] = {
    {"three events with room for two", 800, 480, {}, 0,
        {{press, 10, 20}, {motion, 30, 40}, {release, 50, 60}}, 2,
        {record(press, 10, 20), record(motion, 30, 40)}, {record(release, 50, 60)}},
    {"motion before any press is dropped", 800, 480, {}, 0,
        {{motion, 5, 5}, {press, 6, 6}, {motion, 7, 7}}, 16,
        {record(press, 6, 6), record(motion, 7, 7)}, {}},
    {"press and release name the label under them", 800, 480, {area(0, 0, 100, 100, 7)}, 0,
        {{press, 10, 20}, {release, 99, 20}}, 16,
        {record(press, 10, 20, 0, 7), record(release, 99, 20, 0, 7)}, {}},
    {"coordinate space half the surface: doubled", 800, 480, {}, 0,
        {{resized, 400, 240}, {press, 150, 100}}, 16, {record(press, 300, 200)}, {}},
    {"coordinate space larger than the surface: truncated", 480, 480, {}, 0,
        {{resized, 800, 480}, {press, 3, 7}, {motion, -3, -7}}, 16,
        {record(press, 1, 7), record(motion, -1, -7)}, {}},
    {"other window events leave the space alone", 800, 480, {}, 0,
        {{size_changed, 400, 240}, {press, 100, 100}}, 16, {record(press, 100, 100)}, {}},
    {"zero coordinate space reports 0", 800, 480, {area(0, 0, 10, 10, 3)}, 0,
        {{resized, 0, 480}, {press, 50, 60}, {resized, 0, 0}, {motion, 50, 60}}, 16,
        {record(press, 0, 60), record(motion, 0, 0, 0, 3)}, {}},
    {"products beyond 32 bits are clamped", 800, 480, {}, 0,
        {{resized, 1, 1}, {press, INT_MAX, -INT_MAX}, {motion, 0, 0}}, 16,
        {record(press, INT_MAX, INT_MIN), record(motion, 0, 0)}, {}},
    {"negative and extreme spaces: scaled in 64 bits, clamped", 320, 240, {}, 0,
        {{resized, -320, -240}, {press, 100, 50}, {resized, INT_MAX, INT_MAX}, {press, INT_MAX, 5},
            {resized, INT_MIN, INT_MIN}, {press, INT_MIN, INT_MIN}, {press, INT_MAX, 1}},
        16,
        {record(press, -100, -50), record(press, 320, 0), record(press, 320, 240),
            record(press, -319, 0)},
        {}},
    {"quit and user records carry nothing else", 800, 480, {area(0, 0, 800, 480, 5)}, 0,
        {{quit, 7, 8}, {user, 9, 10}}, 16, {record(quit), record(user)}, {}},
    {"escape key quits, other keys are dropped", 800, 480, {}, 0,
        {{key_down, SDL_SCANCODE_A}, {key_up, SDL_SCANCODE_ESCAPE},
            {key_down, SDL_SCANCODE_ESCAPE}},
        16, {record(quit)}, {}},
    {"one record names a button and a label", 800, 480, {area(0, 400, 200, 80, 21)},
        KIVO_BUTTON_BACK, {{press, 5, 475}}, 16, {record(press, 5, 475, back, 21)}, {}}};

TEST_F(EventTest, QueuedEventsAreTranslated)
{
    for (const PollCase& c : poll_cases) {
        SCOPED_TRACE(c.name);
        open(c.width, c.height);
        show(c.labels, c.buttons);
        queue(c.steps);
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
