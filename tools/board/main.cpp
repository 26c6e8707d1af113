// kivo-board-drive: plays a touch script (the simulator's format) on a board emulated by
// qemu-system-arm, from the outside, over QEMU's machine protocol. The finger is QEMU's USB tablet:
// display pixels become absolute pointer positions and the left button is the touch. Snapshots
// are QEMU's screendumps of the display (PPM); quit presses the board's power button, which the
// board's init turns into SIGTERM for the host.
//
// Besides the simulator's commands, a script may hold the board's own, for what only a board
// has (each takes up to 60 s):
//   await <text>    waits until a line of the board's console (--console FILE) begins with <text>
//   power           presses the board's power button and goes on (its init takes it as a cue)
//   unplug <id>     pulls QEMU's USB device <id> out (device_del)
//   plug <id>       plugs a USB tablet in again as <id> (device_add), and waits until QEMU
//                   routes the pointer to it
//
// With --expect DIR, a snapshot whose name has a frame DIR/<name>.ppm waits (up to 20 s) until
// the board shows that screen: the board is slower than the build machine, most of all when a
// screen's images are first decoded, and the tour goes on from there. It waits for the same
// bytes; once fewer than 5% of the pixels differ it gives the board one more second to get
// there, then takes what it shows (the caller compares).
//
//   kivo-board-drive --qmp SOCKET --out DIR [--size WxH] [--expect DIR] [--console FILE] SCRIPT
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "qmp_client.h"
#include "touch_script.h"

namespace {

using kivo_sim::Command;
using kivo_sim::tap_hold_ms;

constexpr int connect_limit_ms = 60000;
constexpr int axis_max = 32767;
constexpr int settle_limit_ms = 20000;
constexpr int near_limit_ms = 1000; // how long a screen that is nearly the expected one may take
constexpr int settle_poll_ms = 100;
constexpr int board_limit_ms = 60000; // for await and plug

// One step of a script: a simulator's command (board None), or one of the board's own.
struct Step {
    enum Board { None, Await, Power, Unplug, Plug };
    Board board = None;
    std::string argument; // the text of await, the device id of unplug and plug
    Command command;
};

// The board's commands are taken out (their lines left blank, so that the simulator's parser
// names the same line numbers) and put back in their places.
std::vector<Step> parse_board_script(std::istream& in)
{
    struct Word {
        const char* word;
        Step::Board board;
    };
    static constexpr Word words[] = {{"await", Step::Await}, {"power", Step::Power},
        {"unplug", Step::Unplug}, {"plug", Step::Plug}};
    std::vector<Step> board_steps;
    std::vector<int> board_lines;
    std::string simulator_text, text;
    for (int line = 1; std::getline(in, text); ++line) {
        std::string code = text.substr(0, text.find('#'));
        std::istringstream fields(code);
        std::string first, rest;
        fields >> first;
        std::getline(fields >> std::ws, rest);
        while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.back())))
            rest.pop_back();
        const Word* w = std::find_if(
            std::begin(words), std::end(words), [&](const Word& x) { return first == x.word; });
        if (w == std::end(words)) {
            simulator_text += text + "\n";
            continue;
        }
        if (rest.empty() != (w->board == Step::Power))
            throw std::runtime_error(
                "line " + std::to_string(line) + ": " + first +
                (w->board == Step::Power ? " takes no argument" : " needs an argument"));
        Step step;
        step.board = w->board;
        step.argument = rest;
        board_steps.push_back(step);
        board_lines.push_back(line);
        simulator_text += "\n";
    }
    std::istringstream simulator(simulator_text);
    std::vector<Step> steps;
    size_t next = 0;
    for (Command& c : kivo_sim::parse_script(simulator)) {
        for (; next < board_steps.size() && board_lines[next] < c.line; ++next)
            steps.push_back(board_steps[next]);
        Step step;
        step.command = std::move(c);
        steps.push_back(std::move(step));
    }
    steps.insert(steps.end(), board_steps.begin() + static_cast<long>(next), board_steps.end());
    return steps;
}

// Whether a line of the file begins with the text; a serial console ends its lines with \r\n.
bool file_has_line(const std::string& path, const std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, text.size(), text) == 0)
            return true;
    return false;
}

// The centre of display pixel p on QEMU's absolute axis (0..32767 over the whole display).
int axis_value(int p, int size)
{
    const long value = (2L * p + 1) * (axis_max + 1) / (2L * size);
    return static_cast<int>(std::clamp<long>(value, 0, axis_max));
}

// The pixel bytes of a binary PPM (as QEMU's screendump and ImageMagick write it); empty when the
// file cannot be read.
std::string ppm_pixels(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, max = 0;
    if (!(in >> magic >> w >> h >> max) || magic != "P6" || max != 255 || w <= 0 || h <= 0)
        return {};
    in.get(); // the one whitespace byte before the pixels
    std::string pixels(static_cast<size_t>(w) * static_cast<size_t>(h) * 3, '\0');
    if (!in.read(pixels.data(), static_cast<std::streamsize>(pixels.size())))
        return {};
    return pixels;
}

// How many pixels differ, or -1 when the frames are not of one size.
long differing_pixels(const std::string& a, const std::string& b)
{
    if (a.empty() || a.size() != b.size())
        return -1;
    long n = 0;
    for (size_t i = 0; i < a.size(); i += 3)
        n += a.compare(i, 3, b, i, 3) != 0;
    return n;
}

void sleep_ms(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class Board {
  public:
    Board(kivo_board::QmpClient& qmp, int width, int height, std::string out_dir,
        std::string expect_dir, std::string console)
        : qmp_(qmp), width_(width), height_(height), out_dir_(std::move(out_dir)),
          expect_dir_(std::move(expect_dir)), console_(std::move(console))
    {
    }

    // QEMU routes absolute events to the tablet once the guest has bound its driver and the
    // tablet is the current absolute pointer; a first button event then makes it take them.
    void wait_for_tablet()
    {
        const auto limit =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(board_limit_ms);
        while (qmp_.execute(R"({"execute": "query-mice"})").find("\"absolute\": true") ==
               std::string::npos) {
            if (std::chrono::steady_clock::now() > limit)
                throw std::runtime_error(
                    "no absolute pointer after " + std::to_string(board_limit_ms) + " ms");
            sleep_ms(50);
        }
        send(R"({"type": "btn", "data": {"down": false, "button": "left"}})");
    }

    // Runs one step; false after quit.
    bool run(const Step& step)
    {
        switch (step.board) {
        case Step::None:
            return run(step.command);
        case Step::Await:
            await(step.argument);
            return true;
        case Step::Power:
            qmp_.execute(R"({"execute": "system_powerdown"})");
            return true;
        case Step::Unplug:
            qmp_.execute(
                R"({"execute": "device_del", "arguments": {"id": ")" + step.argument + "\"}}");
            return true;
        case Step::Plug:
            qmp_.execute(
                R"({"execute": "device_add", "arguments": {"driver": "usb-wacom-tablet", "id": ")" +
                step.argument + "\"}}");
            down_ = false;
            wait_for_tablet();
            return true;
        }
        return true;
    }

  private:
    void await(const std::string& text)
    {
        if (console_.empty())
            throw std::runtime_error("await needs --console");
        const auto limit =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(board_limit_ms);
        while (!file_has_line(console_, text)) {
            if (std::chrono::steady_clock::now() > limit)
                throw std::runtime_error("no console line \"" + text + "\" within " +
                                         std::to_string(board_limit_ms) + " ms");
            sleep_ms(settle_poll_ms);
        }
        fprintf(stderr, "kivo-board-drive: console: %s\n", text.c_str());
    }

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
        const std::string expected =
            expect_dir_.empty() ? std::string() : ppm_pixels(expect_dir_ + "/" + name + ".ppm");
        const long bound = static_cast<long>(width_) * height_ / 20;
        const auto start = std::chrono::steady_clock::now();
        long near_ms = -1; // when the screen first came within the bound
        for (;;) {
            qmp_.execute(
                R"({"execute": "screendump", "arguments": {"filename": ")" + path + "\"}}");
            const long ms = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start)
                                                  .count());
            if (expected.empty()) {
                fprintf(stderr, "kivo-board-drive: snapshot %s\n", path.c_str());
                return;
            }
            const long differ = differing_pixels(ppm_pixels(path), expected);
            if (differ >= 0 && differ < bound && near_ms < 0)
                near_ms = ms;
            if (differ == 0 || (near_ms >= 0 && ms - near_ms > near_limit_ms) ||
                ms > settle_limit_ms) {
                fprintf(stderr, "kivo-board-drive: snapshot %s after %ld ms, %ld pixels differ\n",
                    path.c_str(), ms, differ);
                return;
            }
            sleep_ms(settle_poll_ms);
        }
    }

    kivo_board::QmpClient& qmp_;
    int width_, height_;
    std::string out_dir_, expect_dir_, console_;
    int x_ = 0, y_ = 0;
    bool down_ = false;
};

int usage()
{
    fprintf(stderr, "usage: kivo-board-drive --qmp SOCKET --out DIR [--size WxH] [--expect DIR] "
                    "[--console FILE] SCRIPT\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string socket, out_dir, expect_dir, console, script;
    int width = 800, height = 480;
    for (int i = 1; i < argc; ++i) {
        const bool has_value = i + 1 < argc;
        if (!std::strcmp(argv[i], "--qmp") && has_value)
            socket = argv[++i];
        else if (!std::strcmp(argv[i], "--out") && has_value)
            out_dir = argv[++i];
        else if (!std::strcmp(argv[i], "--expect") && has_value)
            expect_dir = argv[++i];
        else if (!std::strcmp(argv[i], "--console") && has_value)
            console = argv[++i];
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
        const auto steps = parse_board_script(in);
        kivo_board::QmpClient qmp(socket, connect_limit_ms);
        Board board(qmp, width, height, out_dir, expect_dir, console);
        board.wait_for_tablet();
        for (const Step& s : steps)
            if (!board.run(s))
                break;
    } catch (const std::exception& e) {
        fprintf(stderr, "kivo-board-drive: %s: %s\n", script.c_str(), e.what());
        return 1;
    }
    return 0;
}
