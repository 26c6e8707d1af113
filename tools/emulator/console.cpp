#include "console.h"

#include "descriptors.h"
#include "exports.h"
#include "next_libc.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/kd.h>
#include <unistd.h>

namespace kivo_emu::console {

namespace {

int mode = KD_TEXT;
bool present = true;
int own = 1; // what /dev/tty is: kivo_emu_console_set_own_terminal
char log_path[4096];

int fail(int error)
{
    errno = error;
    return -1;
}

// Appends the mode set to the log, so that another process (a death test's parent) can see it.
void note(int set)
{
    if (!log_path[0] && getenv("KIVO_EMU_CONSOLE_LOG"))
        snprintf(log_path, sizeof log_path, "%s", getenv("KIVO_EMU_CONSOLE_LOG"));
    if (!log_path[0])
        return;
    const int fd = sys_openat(AT_FDCWD, log_path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const char* text = set == KD_GRAPHICS ? "graphics\n" : "text\n";
    (void)!write(fd, text, strlen(text));
    sys_close(fd);
}

int open_as(int flags, Device device)
{
    if (!present)
        return fail(EACCES);
    const int fd = sys_openat(AT_FDCWD, "/dev/null", flags & (O_ACCMODE | O_CLOEXEC), 0);
    if (fd >= 0 && !descriptors::add(fd, device, -1)) {
        sys_close(fd);
        return fail(EMFILE);
    }
    return fd;
}

} // namespace

int open(int flags)
{
    return open_as(flags, Device::console);
}

int open_own(int flags)
{
    if (own == 0 && present)
        return fail(ENXIO);
    return open_as(flags, own == 2 ? Device::pseudo_terminal : Device::console);
}

int ioctl(int fd, unsigned long request, void* arg)
{
    if (descriptors::find(fd) == Device::pseudo_terminal)
        return fail(ENOTTY);
    if (request == KDGETMODE) {
        *static_cast<int*>(arg) = mode;
        return 0;
    }
    if (request != KDSETMODE)
        return fail(ENOTTY);
    const auto set = static_cast<int>(reinterpret_cast<long>(arg));
    if (set != KD_TEXT && set != KD_GRAPHICS)
        return fail(EINVAL);
    mode = set;
    note(set);
    return 0;
}

void reset()
{
    mode = KD_TEXT;
    present = true;
    own = 1;
    log_path[0] = 0;
}

} // namespace kivo_emu::console

using namespace kivo_emu;

int kivo_emu_console_mode(void)
{
    return console::mode;
}

void kivo_emu_console_set_present(int present)
{
    console::present = present != 0;
}

void kivo_emu_console_set_own_terminal(int kind)
{
    console::own = kind;
}

void kivo_emu_console_set_log(const char* path)
{
    snprintf(console::log_path, sizeof console::log_path, "%s", path ? path : "");
}
