// The touch-script reader: every command with its arguments, and the lines it must refuse.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <tuple>

#include "support.h"
#include "touch_script.h"

using kivo_sim::Command;
using kivo_sim::parse_script;

namespace {

struct Good {
    const char* text;
    Command expected;
};

Command make(Command::Kind kind, int x1 = 0, int y1 = 0, int x2 = 0, int y2 = 0, int ms = 0,
    int pressure = 0, const char* name = "")
{
    Command c;
    c.kind = kind, c.x1 = x1, c.y1 = y1, c.x2 = x2, c.y2 = y2, c.ms = ms, c.pressure = pressure;
    c.name = name;
    c.line = 1;
    return c;
}

auto fields(const Command& c)
{
    return std::tie(c.kind, c.x1, c.y1, c.x2, c.y2, c.ms, c.pressure, c.name, c.line);
}

const Good good[] = {
    {"wait 250", make(Command::Wait, 0, 0, 0, 0, 250)},
    {"wait 0", make(Command::Wait)},
    {"  tap 10 20  ", make(Command::Tap, 10, 20)},
    {"tap -5 480", make(Command::Tap, -5, 480)},
    {"press 1 2", make(Command::Press, 1, 2, 0, 0, 0, kivo_sim::default_pressure)},
    {"press 1 2 255", make(Command::Press, 1, 2, 0, 0, 0, 255)},
    {"move 7 8", make(Command::Move, 7, 8)},
    {"release", make(Command::Release)},
    {"drag 600 300 150 300 250", make(Command::Drag, 600, 300, 150, 300, 250)},
    {"snapshot 01-home_a.b", make(Command::Snapshot, 0, 0, 0, 0, 0, 0, "01-home_a.b")},
    {"quit # the end", make(Command::Quit)},
    {"\ttap\t3\t4", make(Command::Tap, 3, 4)},
};

const char* const bad[] = {
    "jump 1 2",           // unknown command
    "tap 1",              // too few arguments
    "tap 1 2 3",          // too many
    "press 1 2 0",        // a press without pressure is no press
    "press 1 2 256",      // pressure above the panel's range
    "wait -1",            // negative time
    "wait 600001",        // longer than ten minutes
    "wait 1.5",           // not an integer
    "tap 1x 2",           // trailing garbage
    "tap 99999999999 0",  // beyond the coordinate range
    "drag 1 2 3 4",       // no duration
    "snapshot ../escape", // a name must stay in the output directory
    "snapshot .hidden",
    "snapshot a/b",
    "release now",
    "quit 0",
};

} // namespace

TEST(TouchScript, ReadsEveryCommand)
{
    for (const Good& g : good) {
        SCOPED_TRACE(g.text);
        std::istringstream in(g.text);
        const auto script = parse_script(in);
        ASSERT_EQ(script.size(), 1u);
        EXPECT_TRUE(fields(script[0]) == fields(g.expected));
    }
}

TEST(TouchScript, RefusesMalformedLinesNamingTheLine)
{
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        std::istringstream in(std::string("# header\n\nwait 10\n") + text + "\nquit\n");
        const std::string error = kivo_test::thrown<std::runtime_error>([&] { parse_script(in); });
        EXPECT_EQ(error.rfind("line 4: ", 0), 0u) << error;
    }
}

TEST(TouchScript, SkipsCommentsAndBlankLinesKeepingLineNumbers)
{
    std::istringstream in("# a tour\n\n   \nwait 5 # settle\n#tap 1 2\nsnapshot a\n");
    const auto script = parse_script(in);
    ASSERT_EQ(script.size(), 2u);
    EXPECT_EQ(script[0].kind, Command::Wait);
    EXPECT_EQ(script[0].line, 4);
    EXPECT_EQ(script[1].kind, Command::Snapshot);
    EXPECT_EQ(script[1].line, 6);
}

// A drag moves in even steps of 16 ms (at least one) and ends exactly where it was told to, in
// the simulator and on the board alike.
TEST(TouchScript, DragPathEndsAtItsEndInEvenSteps)
{
    struct Case {
        Command drag;
        size_t steps;
        int step_ms;
        kivo_sim::DragPath::Point first;
    };
    const Case cases[] = {
        {make(Command::Drag, 600, 300, 150, 300, 250), 15, 16, {570, 300}},
        {make(Command::Drag, 10, 10, 20, 40, 5), 1, 5, {20, 40}},
        {make(Command::Drag, 100, 400, 100, 0, 32), 2, 16, {100, 200}},
    };
    for (const Case& c : cases) {
        const auto path = kivo_sim::drag_path(c.drag);
        ASSERT_EQ(path.points.size(), c.steps);
        EXPECT_EQ(path.step_ms, c.step_ms);
        EXPECT_EQ(
            std::tie(path.points.front().x, path.points.front().y), std::tie(c.first.x, c.first.y));
        EXPECT_EQ(
            std::tie(path.points.back().x, path.points.back().y), std::tie(c.drag.x2, c.drag.y2));
    }
}
