// Touch scripts: the plain-text tours that the headless simulator replays.
//
//   wait <ms>                        let the host run
//   tap <x> <y>                      press, hold briefly, release
//   press <x> <y> [pressure]         finger down (pressure 1..255, default 200)
//   move <x> <y>                     finger moves while down
//   release                          finger up where it last was
//   drag <x1> <y1> <x2> <y2> <ms>    press, move in a straight line over <ms>, release
//   snapshot <name>                  save the display as <name>.png
//   quit                             end the host (SIGTERM) and wait for it
//   # ...                            a comment, anywhere on a line
#ifndef KIVO_SIM_TOUCH_SCRIPT_H
#define KIVO_SIM_TOUCH_SCRIPT_H

#include <istream>
#include <string>
#include <vector>

namespace kivo_sim {

struct Command {
    enum Kind { Wait, Tap, Press, Move, Release, Drag, Snapshot, Quit };
    Kind kind = Wait;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int ms = 0;
    int pressure = 0;
    std::string name;
    int line = 0;
};

constexpr int default_pressure = 200;
constexpr int tap_hold_ms = 80; // how long a tap holds the finger down

// The finger's way through a drag: one position every 16 ms (at least one), the last at the
// drag's end; each is reached step_ms after the one before (the press is at the start).
struct DragPath {
    struct Point {
        int x, y;
    };
    std::vector<Point> points;
    int step_ms = 0;
};
DragPath drag_path(const Command& drag);

// The commands of a whole script. Throws std::runtime_error "line <n>: <what>" at the first
// line that is not a command, so a broken tour stops before anything is sent.
std::vector<Command> parse_script(std::istream& in);

} // namespace kivo_sim

#endif
