// The emulated terminal: /dev/tty and /dev/tty0 as one console whose KDSETMODE mode is kept.
#ifndef KIVO_EMU_CONSOLE_H
#define KIVO_EMU_CONSOLE_H

namespace kivo_emu::console {

// A new descriptor for open of either path, or -1 with errno.
int open(int flags);
// KDSETMODE and KDGETMODE on one of its descriptors; other requests fail with ENOTTY.
int ioctl(int fd, unsigned long request, void* arg);
// Text mode, present, no log.
void reset();

} // namespace kivo_emu::console

#endif
