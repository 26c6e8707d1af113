// kivo-sim: runs a host program, unmodified, under the device emulator.
//
//   kivo-sim [--scale S] [--mode WxH] [--format NAME] [--dir DIR] -- PROGRAM [ARGS...]
//       window mode: the display in a desktop window, the mouse as the finger
//   kivo-sim --script FILE [--out DIR] [--webp FILE] [--mode WxH] [--format NAME] [--dir DIR]
//            -- PROGRAM [ARGS...]
//       headless mode: replays the touch script, saves snapshots (and an animation)
// --format names the panel's pixel layout (KIVO_EMU_FB_FORMAT, e.g. rgb565): the display shows
// and the snapshots hold what such a panel would show.
//
// The exit status is the host's own (128 + signal when a signal ended it); 2 for a usage or
// script error, before the host is started.
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <err.h>
#include <fstream>
#include <limits.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "headless.h"
#include "host.h"
#include "touch_script.h"
#include "window_mode.h"

namespace {

using namespace kivo_sim;

[[noreturn]] void usage()
{
    fprintf(stderr,
        "usage: kivo-sim [--scale S] [--mode WxH] [--format NAME] [--dir DIR] -- PROGRAM "
        "[ARGS...]\n"
        "       kivo-sim --script FILE [--out DIR] [--webp FILE] [--mode WxH] [--format NAME]"
        " [--dir DIR] -- PROGRAM [ARGS...]\n");
    exit(2);
}

bool exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string own_dir()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    path[n] = '\0';
    const char* slash = strrchr(path, '/');
    return std::string(path, slash ? static_cast<size_t>(slash - path) : 0);
}

// The first of: next to this program, where an install puts it, where this build made it.
std::string find_support_file(
    const std::string& name, const std::string& installed, const std::string& built)
{
    const std::string dir = own_dir();
    for (const std::string& candidate :
        {dir + "/" + name, dir + "/" + installed + "/" + name, built})
        if (exists(candidate))
            return candidate;
    errx(1, "%s not found next to %s, in %s/%s, nor at %s", name.c_str(), dir.c_str(), dir.c_str(),
        installed.c_str(), built.c_str());
}

double parse_scale(const char* text)
{
    char* end = nullptr;
    const double s = strtod(text, &end);
    if (!*text || *end || !(s >= 0.1 && s <= 8))
        errx(2, "--scale wants a number from 0.1 to 8, not %s", text);
    return s;
}

Host* running_host;

void forward_signal(int)
{
    if (running_host)
        running_host->terminate();
}

} // namespace

int main(int argc, char** argv)
{
    HostSetup setup;
    HeadlessOptions headless;
    std::string script_path;
    double scale = 1;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") {
            ++i;
            break;
        }
        if (i + 1 >= argc)
            usage();
        const char* value = argv[++i];
        if (a == "--scale")
            scale = parse_scale(value);
        else if (a == "--mode")
            setup.mode = value;
        else if (a == "--format")
            setup.format = value;
        else if (a == "--dir")
            setup.dir = value;
        else if (a == "--script")
            script_path = value;
        else if (a == "--out")
            headless.out_dir = value;
        else if (a == "--webp")
            headless.webp = value;
        else
            usage();
    }
    if (i >= argc)
        usage();
    setup.argv.assign(argv + i, argv + argc);

    std::vector<Command> script;
    if (!script_path.empty()) {
        std::ifstream in(script_path);
        if (!in)
            err(2, "%s", script_path.c_str());
        try {
            script = parse_script(in);
        } catch (const std::runtime_error& e) {
            errx(2, "%s: %s", script_path.c_str(), e.what());
        }
        if (mkdir(headless.out_dir.c_str(), 0755) != 0 && errno != EEXIST)
            err(2, "mkdir %s", headless.out_dir.c_str());
    }

    setup.emulator =
        find_support_file("libkivo-emu.so", KIVO_SIM_INSTALLED_LIB, KIVO_SIM_BUILT_EMULATOR);
    setup.ts_conf = find_support_file("ts.conf", KIVO_SIM_INSTALLED_DATA, KIVO_SIM_SOURCE_TS_CONF);

    if (script_path.empty())
        init_video();
    signal(SIGPIPE, SIG_IGN); // a host that closed its panel must not end the simulator
    Host host(setup);
    running_host = &host;
    struct sigaction forward {};
    forward.sa_handler = forward_signal;
    sigaction(SIGINT, &forward, nullptr);
    sigaction(SIGTERM, &forward, nullptr);

    const int status =
        script_path.empty() ? run_window(host, scale) : run_headless(host, script, headless);
    running_host = nullptr;
    return status;
}
