#include "window/console.h"

#include <fcntl.h>
#include <linux/kd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <initializer_list>

namespace kivo {

namespace {

int terminal = -1; // in graphics mode while not -1; static, so that an exit can restore it

void restore_text_mode()
{
    if (terminal == -1)
        return;
    ioctl(terminal, KDSETMODE, KD_TEXT);
    close(terminal);
    terminal = -1;
}

} // namespace

Console::Console()
{
    [[maybe_unused]] static const bool at_exit = std::atexit(restore_text_mode) == 0;
    restore_text_mode();
    // The program's own terminal; without one, or on one that is no console (a pseudo-terminal
    // over the network), the foreground console.
    for (const char* path : {"/dev/tty", "/dev/tty0"}) {
        const int fd = open(path, O_RDWR | O_CLOEXEC | O_NOCTTY);
        if (fd != -1 && ioctl(fd, KDSETMODE, KD_GRAPHICS) == 0) {
            terminal = fd;
            return;
        }
        if (fd != -1)
            close(fd);
    }
}

Console::~Console()
{
    restore_text_mode();
}

} // namespace kivo
