#include "host.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <link.h>
#include <err.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kivo_sim {

namespace {

std::string make_temporary_dir()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kivo-sim.XXXXXX";
    if (!mkdtemp(pattern.data()))
        err(1, "mkdtemp %s", pattern.c_str());
    return pattern;
}

#if defined(__SANITIZE_ADDRESS__)
// The AddressSanitizer runtime this program runs with. A sanitized emulator needs it loaded
// before itself, and a preloaded library would otherwise come first.
std::string sanitizer_runtime()
{
    std::string path;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            if (info->dlpi_name && std::strstr(info->dlpi_name, "/libasan.so")) {
                *static_cast<std::string*>(data) = info->dlpi_name;
                return 1;
            }
            return 0;
        },
        &path);
    return path;
}
#endif

std::string preload(const std::string& emulator)
{
    std::string list = emulator;
#if defined(__SANITIZE_ADDRESS__)
    if (const std::string runtime = sanitizer_runtime(); !runtime.empty())
        list = runtime + ":" + list;
#endif
    const char* existing = std::getenv("LD_PRELOAD");
    return existing && *existing ? list + ":" + existing : list;
}

} // namespace

Host::Host(const HostSetup& setup)
{
    if (setup.dir.empty()) {
        dir_ = make_temporary_dir();
        temporary_ = true;
    } else {
        dir_ = setup.dir;
        if (mkdir(dir_.c_str(), 0700) != 0 && errno != EEXIST)
            err(1, "mkdir %s", dir_.c_str());
    }
    fb_file_ = dir_ + "/fb.raw";
    touch_fifo_ = dir_ + "/touch";
    unlink(touch_fifo_.c_str());
    if (mkfifo(touch_fifo_.c_str(), 0600) != 0)
        err(1, "mkfifo %s", touch_fifo_.c_str());
    // A mode file left from an earlier run would describe a display that is not there yet.
    unlink((fb_file_ + ".mode").c_str());

    std::vector<char*> args;
    for (const std::string& a : setup.argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const std::string preload_list = preload(setup.emulator);

    fflush(nullptr);
    pid_ = fork();
    if (pid_ < 0)
        err(1, "fork");
    if (pid_ == 0) {
        setenv("LD_PRELOAD", preload_list.c_str(), 1);
        setenv("TSLIB_CONFFILE", setup.ts_conf.c_str(), 1);
        setenv("KIVO_EMU_FB_FILE", fb_file_.c_str(), 1);
        setenv("KIVO_EMU_TOUCH_FIFO", touch_fifo_.c_str(), 1);
        if (!setup.mode.empty())
            setenv("KIVO_EMU_FB_MODE", setup.mode.c_str(), 1);
        if (!setup.format.empty())
            setenv("KIVO_EMU_FB_FORMAT", setup.format.c_str(), 1);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        execvp(args[0], args.data());
        warn("%s", args[0]);
        _exit(127);
    }
}

Host::~Host()
{
    if (running()) {
        terminate();
        wait(2000);
    }
    if (temporary_) {
        unlink(touch_fifo_.c_str());
        unlink(fb_file_.c_str());
        unlink((fb_file_ + ".mode").c_str());
        unlink((fb_file_ + ".mode.new").c_str());
        rmdir(dir_.c_str());
    }
}

bool Host::running()
{
    if (status_ >= 0)
        return false;
    int status = 0;
    pid_t r;
    while ((r = waitpid(pid_, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (r == 0)
        return true;
    if (r < 0)
        err(1, "waitpid");
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
}

void Host::terminate()
{
    if (running())
        kill(pid_, SIGTERM);
}

int Host::wait(int timeout_ms)
{
    using clock = std::chrono::steady_clock;
    const auto end = clock::now() + std::chrono::milliseconds(timeout_ms);
    bool killed = false;
    while (running()) {
        if (!killed && timeout_ms >= 0 && clock::now() >= end) {
            warnx("host still running after %d ms: killing it", timeout_ms);
            kill(pid_, SIGKILL);
            killed = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status_;
}

} // namespace kivo_sim
