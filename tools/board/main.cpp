// kivo-board-drive: plays a touch script (the simulator's format) on a board emulated by
// qemu-system-arm, from the outside, over QEMU's machine protocol. The finger is QEMU's USB tablet:
// display pixels become absolute pointer positions and the left button is the touch. Snapshots
// are QEMU's screendumps of the display (PPM); quit presses the board's power button, which the
// board's init turns into SIGTERM for the host.
//
//   kivo-board-drive --qmp SOCKET --out DIR [--size WxH] SCRIPT
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "qmp_client.h"
#include "touch_script.h"

namespace {

using kivo_sim::Command;
using kivo_sim::tap_hold_ms;

constexpr int connect_limit_ms = 60000;
constexpr int tablet_limit_ms = 60000;
constexpr int axis_max = 32767;

// The centre of display pixel p on QEMU's absolute axis (0..32767 over the whole display).
int axis_value(int p, int size)
{
    const long value = (2L * p + 1) * (axis_max + 1) / (2L * size);
    return static_cast<int>(std::clamp<long>(value, 0, axis_max));
}

void sleep_ms(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class Board {
  public:
    Board(kivo_board::QmpClient& qmp, int width, int height, std::string out_dir)
        : qmp_(qmp), width_(width), height_(height), out_dir_(std::move(out_dir))
    {
    }

    // QEMU routes absolute events to the tablet once the guest has bound its driver and the
    // tablet is the current absolute pointer; a first button event then makes it take them.
    void wait_for_tablet()
    {
        const auto limit =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(tablet_limit_ms);
        while (qmp_.execute(R"({"execute": "query-mice"})").find("\"absolute\": true") ==
               std::string::npos) {
            if (std::chrono::steady_clock::now() > limit)
                throw std::runtime_error(
                    "no absolute pointer after " + std::to_string(tablet_limit_ms) + " ms");
            sleep_ms(50);
        }
        send(R"({"type": "btn", "data": {"down": false, "button": "left"}})");
    }

    // Runs one command; false after quit.
    bool run(const Command& c)
    {
        switch (c.kind) {
        case Command::Wait:
            sleep_ms(c.ms);
            break;
        case Command::Tap:
            touch(c.x1, c.y1, true);
            sleep_ms(tap_hold_ms);
            touch(c.x1, c.y1, false);
            break;
        case Command::Press:
        case Command::Move:
            touch(c.x1, c.y1, true);
            break;
        case Command::Release:
            touch(x_, y_, false);
            break;
        case Command::Drag:
            drag(c);
            break;
        case Command::Snapshot:
            snapshot(c.name);
            break;
        case Command::Quit:
            qmp_.execute(R"({"execute": "system_powerdown"})");
            return false;
        }
        return true;
    }

  private:
    void send(const std::string& events)
    {
        qmp_.execute(
            R"({"execute": "input-send-event", "arguments": {"events": [)" + events + "]}}");
    }

    void touch(int x, int y, bool down)
    {
        std::string events = R"({"type": "abs", "data": {"axis": "x", "value": )" +
                             std::to_string(axis_value(x, width_)) + "}}, " +
                             R"({"type": "abs", "data": {"axis": "y", "value": )" +
                             std::to_string(axis_value(y, height_)) + "}}";
        if (down != down_)
            events += R"(, {"type": "btn", "data": {"down": )" +
                      std::string(down ? "true" : "false") + R"(, "button": "left"}})";
        send(events);
        x_ = x;
        y_ = y;
        down_ = down;
    }

    void drag(const Command& c)
    {
        touch(c.x1, c.y1, true);
        const kivo_sim::DragPath path = kivo_sim::drag_path(c);
        for (const auto& p : path.points) {
            sleep_ms(path.step_ms);
            touch(p.x, p.y, true);
        }
        touch(c.x2, c.y2, false);
    }

    void snapshot(const std::string& name)
    {
        const std::string path = out_dir_ + "/" + name + ".ppm";
        qmp_.execute(R"({"execute": "screendump", "arguments": {"filename": ")" + path + "\"}}");
        fprintf(stderr, "kivo-board-drive: snapshot %s\n", path.c_str());
    }

    kivo_board::QmpClient& qmp_;
    int width_, height_;
    std::string out_dir_;
    int x_ = 0, y_ = 0;
    bool down_ = false;
};

int usage()
{
    fprintf(stderr, "usage: kivo-board-drive --qmp SOCKET --out DIR [--size WxH] SCRIPT\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string socket, out_dir, script;
    int width = 800, height = 480;
    for (int i = 1; i < argc; ++i) {
        const bool has_value = i + 1 < argc;
        if (!std::strcmp(argv[i], "--qmp") && has_value)
            socket = argv[++i];
        else if (!std::strcmp(argv[i], "--out") && has_value)
            out_dir = argv[++i];
        else if (!std::strcmp(argv[i], "--size") && has_value) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0)
                return usage();
        } else if (argv[i][0] != '-' && script.empty())
            script = argv[i];
        else
            return usage();
    }
    if (socket.empty() || out_dir.empty() || script.empty())
        return usage();

    std::ifstream in(script);
    if (!in) {
        fprintf(stderr, "kivo-board-drive: cannot read %s\n", script.c_str());
        return 2;
    }
    try {
        const auto commands = kivo_sim::parse_script(in);
        kivo_board::QmpClient qmp(socket, connect_limit_ms);
        Board board(qmp, width, height, out_dir);
        board.wait_for_tablet();
        for (const Command& c : commands)
            if (!board.run(c))
                break;
    } catch (const std::exception& e) {
        fprintf(stderr, "kivo-board-drive: %s: %s\n", script.c_str(), e.what());
        return 1;
    }
    return 0;
}
