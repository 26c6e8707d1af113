#include "touch_script.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace kivo_sim {

namespace {

constexpr long coordinate_limit = 1L << 30;
constexpr long longest_wait_ms = 10 * 60 * 1000;

struct Arity {
    const char* word;
    Command::Kind kind;
    size_t min, max; // argument counts
};

constexpr Arity commands[] = {
    {"wait", Command::Wait, 1, 1},
    {"tap", Command::Tap, 2, 2},
    {"press", Command::Press, 2, 3},
    {"move", Command::Move, 2, 2},
    {"release", Command::Release, 0, 0},
    {"drag", Command::Drag, 5, 5},
    {"snapshot", Command::Snapshot, 1, 1},
    {"quit", Command::Quit, 0, 0},
};

[[noreturn]] void fail(int line, const std::string& what)
{
    throw std::runtime_error("line " + std::to_string(line) + ": " + what);
}

int number(const std::string& word, long min, long max, int line)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end || errno != 0)
        fail(line, "not a number: " + word);
    if (value < min || value > max)
        fail(line, word + " is out of range " + std::to_string(min) + ".." + std::to_string(max));
    return static_cast<int>(value);
}

bool valid_name(const std::string& name)
{
    if (name.empty() || name[0] == '.')
        return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.'))
            return false;
    return true;
}

Command parse_line(const std::vector<std::string>& words, int line)
{
    const Arity* arity = nullptr;
    for (const Arity& a : commands)
        if (words[0] == a.word)
            arity = &a;
    if (!arity)
        fail(line, "unknown command " + words[0]);
    const size_t n = words.size() - 1;
    if (n < arity->min || n > arity->max)
        fail(line, words[0] + " takes " + std::to_string(arity->min) +
                       (arity->max != arity->min ? " to " + std::to_string(arity->max) : "") +
                       " arguments");

    Command c;
    c.kind = arity->kind;
    c.line = line;
    const auto xy = [&](size_t i, int& x, int& y) {
        x = number(words[i], -coordinate_limit, coordinate_limit, line);
        y = number(words[i + 1], -coordinate_limit, coordinate_limit, line);
    };
    switch (c.kind) {
    case Command::Wait:
        c.ms = number(words[1], 0, longest_wait_ms, line);
        break;
    case Command::Tap:
    case Command::Move:
        xy(1, c.x1, c.y1);
        break;
    case Command::Press:
        xy(1, c.x1, c.y1);
        c.pressure = n == 3 ? number(words[3], 1, 255, line) : default_pressure;
        break;
    case Command::Drag:
        xy(1, c.x1, c.y1);
        xy(3, c.x2, c.y2);
        c.ms = number(words[5], 0, longest_wait_ms, line);
        break;
    case Command::Snapshot:
        if (!valid_name(words[1]))
            fail(line, "snapshot names are letters, digits, '-', '_' and '.': " + words[1]);
        c.name = words[1];
        break;
    case Command::Release:
    case Command::Quit:
        break;
    }
    return c;
}

} // namespace

std::vector<Command> parse_script(std::istream& in)
{
    std::vector<Command> script;
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        if (const auto hash = text.find('#'); hash != std::string::npos)
            text.erase(hash);
        std::istringstream fields(text);
        std::vector<std::string> words;
        for (std::string w; fields >> w;)
            words.push_back(w);
        if (!words.empty())
            script.push_back(parse_line(words, line));
    }
    return script;
}

DragPath drag_path(const Command& c)
{
    constexpr int drag_step_ms = 16;
    const int steps = std::max(1, c.ms / drag_step_ms);
    DragPath path;
    path.step_ms = c.ms / steps;
    for (int i = 1; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        path.points.push_back({c.x1 + static_cast<int>((c.x2 - c.x1) * t),
            c.y1 + static_cast<int>((c.y2 - c.y1) * t)});
    }
    return path;
}

} // namespace kivo_sim
