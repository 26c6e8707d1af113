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

std::vector<Step> ten_steps()
{
    std::vector<Step> steps;
    for (int i = 0; i < 10; ++i)
        steps.push_back({{10 * i, 5 * i + 1, i % 3 ? 100u + i : 0u}});
    return steps;
}

std::vector<Sample> samples_of(const std::vector<Step>& steps)
{
    std::vector<Sample> samples;
    for (const Step& s : steps)
        samples.push_back(s.sample);
    return samples;
}

const TouchCase touch_cases[] = {
    {"first sample at the origin", {{{0, 0, 200}}}, {{0, 0, 200}}},
    {"press, hold, move, lift",
     {{{100, 200, 150}}, {{100, 200, 180}}, {{110, 205, 180}}, {{112, 206, 0}}},
     {{100, 200, 150}, {100, 200, 180}, {110, 205, 180}, {112, 206, 0}}},
    {"hovering without pressure", {{{10, 10, 0}}, {{20, 15, 0}}, {{30, 20, 0}}},
     {{10, 10, 0}, {20, 15, 0}, {30, 20, 0}}},
    {"ten pending", ten_steps(), samples_of(ten_steps())},
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

template <size_t N> bool bit(const unsigned long (&bits)[N], unsigned n)
{
    return bits[n / (8 * sizeof(long))] >> (n % (8 * sizeof(long))) & 1;
}

TEST(Touch, DescribesItselfAsASingleTouchPanel)
{
    kivo_emu_reset();
    int fd = open("/dev/input/event0", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    int version = 0;
    ASSERT_EQ(ioctl(fd, EVIOCGVERSION, &version), 0);
    EXPECT_GE(version, EV_VERSION);

    unsigned long types[1] = {}, axes[1] = {}, keys[KEY_CNT / (8 * sizeof(long))] = {}, props[1] = {};
    EXPECT_EQ(ioctl(fd, EVIOCGBIT(0, sizeof types), types), int(sizeof types));
    EXPECT_TRUE(bit(types, EV_SYN) && bit(types, EV_KEY) && bit(types, EV_ABS));
    EXPECT_FALSE(bit(types, EV_REL));
    EXPECT_EQ(ioctl(fd, EVIOCGBIT(EV_ABS, sizeof axes), axes), int(sizeof axes));
    EXPECT_TRUE(bit(axes, ABS_X) && bit(axes, ABS_Y) && bit(axes, ABS_PRESSURE));
    EXPECT_FALSE(bit(axes, ABS_MT_POSITION_X) || bit(axes, ABS_MT_SLOT) || bit(axes, ABS_MT_TRACKING_ID));
    EXPECT_EQ(ioctl(fd, EVIOCGBIT(EV_KEY, sizeof keys), keys), int(sizeof keys));
    EXPECT_TRUE(bit(keys, BTN_TOUCH));
    EXPECT_EQ(ioctl(fd, EVIOCGPROP(sizeof props), props), int(sizeof props));
    EXPECT_TRUE(bit(props, INPUT_PROP_DIRECT));

    input_absinfo x{};
    ASSERT_EQ(ioctl(fd, EVIOCGABS(ABS_X), &x), 0);
    EXPECT_EQ(x.minimum, 0);
    EXPECT_EQ(x.maximum, 799);
    char name[4] = {};
    EXPECT_EQ(ioctl(fd, EVIOCGNAME(sizeof name), name), int(sizeof name)); // truncated to the buffer
    EXPECT_EQ(ioctl(fd, EVIOCGBIT(EV_PWR, sizeof types), types), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(close(fd), 0);
}

} // namespace
