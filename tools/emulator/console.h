// The emulated terminal: /dev/tty and /dev/tty0 as one console whose KDSETMODE mode is kept.
#ifndef KIVO_EMU_CONSOLE_H
#define KIVO_EMU_CONSOLE_H

namespace kivo_emu::console {

// A new descriptor for open of /dev/tty0, or -1 with errno.
int open(int flags);
// The same for /dev/tty, the process's own terminal: the console, none or a pseudo-terminal.
int open_own(int flags);
// KDSETMODE and KDGETMODE on one of its descriptors; other requests, and any on a
// pseudo-terminal, fail with ENOTTY.
int ioctl(int fd, unsigned long request, void* arg);
// Text mode, present, the own terminal the console, no log.
void reset();

} // namespace kivo_emu::console

#endif
