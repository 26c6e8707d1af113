#include "kivo_emu.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <tslib.h>
#include <unistd.h>
#include <vector>

namespace {

struct Sample {
    int x, y;
    unsigned pressure;
    bool operator==(const Sample&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Sample& s)
{
    return out << "(" << s.x << ", " << s.y << ", " << s.pressure << ")";
}

// One step fed to the panel: a sample, or (lift) the report a real panel sends when the finger
// leaves: BTN_TOUCH 0, ABS_PRESSURE 0, SYN_REPORT.
struct Step {
    Sample sample;
    bool lift = false;
};

struct TouchCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<Sample> expected; // what ts_read delivers, in order
};

// The sequences as the library turns them into events (the origin, holding, hovering, ten
// pending): tests/events.
const TouchCase touch_cases[] = {
    {"press, hold, move, lift",
        {{{100, 200, 150}}, {{100, 200, 180}}, {{110, 205, 180}}, {{112, 206, 0}}},
        {{100, 200, 150}, {100, 200, 180}, {110, 205, 180}, {112, 206, 0}}},
    {"far corner and full pressure", {{{799, 479, 255}}}, {{799, 479, 255}}},
    // tslib's input module reports a report holding BTN_TOUCH 0 at (0, 0).
    {"lift-off as a real panel reports it", {{{50, 60, 120}}, {{}, true}},
        {{50, 60, 120}, {0, 0, 0}}},
};

tsdev* open_panel()
{
    setenv("TSLIB_CONFFILE", KIVO_EMU_TS_CONF, 0);
    return ts_setup("/dev/input/event0", 1);
}

TEST(Touch, TslibReadsInjectedSamplesUnchanged)
{
    for (const TouchCase& c : touch_cases) {
        SCOPED_TRACE(c.name);
        kivo_emu_reset();
        tsdev* ts = open_panel();
        ASSERT_NE(ts, nullptr);
        for (const Step& step : c.steps) {
            if (step.lift) {
                kivo_emu_touch_event(EV_KEY, BTN_TOUCH, 0);
                kivo_emu_touch_event(EV_ABS, ABS_PRESSURE, 0);
                kivo_emu_touch_event(EV_SYN, SYN_REPORT, 0);
            } else {
                kivo_emu_touch_inject(step.sample.x, step.sample.y, step.sample.pressure);
            }
        }
        // Drained the way a frame loop drains it: one sample a call until none is pending.
        std::vector<Sample> read;
        ts_sample s{};
        int result;
        while ((result = ts_read(ts, &s, 1)) == 1)
            read.push_back({s.x, s.y, s.pressure});
        EXPECT_EQ(read, c.expected);
        EXPECT_EQ(result, -1);
        EXPECT_EQ(errno, EAGAIN);
        EXPECT_EQ(ts_close(ts), 0);
    }
    EXPECT_EQ(kivo_emu_open_descriptors(), 0);
}

TEST(Touch, EveryOpenPanelGetsItsOwnCopyAndNothingIsQueuedWhileClosed)
{
    kivo_emu_reset();
    kivo_emu_touch_inject(1, 2, 3); // no panel open: dropped
    int a = open("/dev/input/event0", O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int b = open("/dev/input/event0", O_RDONLY);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    EXPECT_TRUE(fcntl(a, F_GETFL) & O_NONBLOCK);
    EXPECT_TRUE(fcntl(a, F_GETFD) & FD_CLOEXEC);
    EXPECT_FALSE(fcntl(b, F_GETFL) & O_NONBLOCK);
    EXPECT_FALSE(fcntl(b, F_GETFD) & FD_CLOEXEC);
    input_event ev[8];
    EXPECT_EQ(read(a, ev, sizeof ev), -1);
    EXPECT_EQ(errno, EAGAIN);

    kivo_emu_touch_inject(7, 8, 9);
    for (int fd : {a, b}) {
        ASSERT_EQ(read(fd, ev, sizeof ev), static_cast<ssize_t>(5 * sizeof ev[0]));
        EXPECT_EQ(ev[0].type, EV_ABS);
        EXPECT_EQ(ev[0].code, ABS_X);
        EXPECT_EQ(ev[0].value, 7);
        EXPECT_EQ(ev[3].type, EV_KEY);
        EXPECT_EQ(ev[3].code, BTN_TOUCH);
        EXPECT_EQ(ev[3].value, 1);
        EXPECT_EQ(ev[4].type, EV_SYN);
        EXPECT_EQ(ev[4].code, SYN_REPORT);
    }
    EXPECT_EQ(close(a), 0);
    EXPECT_EQ(close(b), 0);
}

} // namespace
