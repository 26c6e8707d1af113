// The emulated /dev/input/event0: a single-touch evdev panel whose descriptors are the read ends
// of pipes (or of the FIFO named by KIVO_EMU_TOUCH_FIFO) carrying struct input_event records.
#ifndef KIVO_EMU_TOUCH_PANEL_H
#define KIVO_EMU_TOUCH_PANEL_H

namespace kivo_emu::touch_panel {

// A new descriptor for open("/dev/input/event0", flags), or -1 with errno.
int open(int flags);
// An evdev request on one of its descriptors: the ioctl result, errno set on -1.
int ioctl(int fd, unsigned long request, void* arg);
// Called before a read of fd: with KIVO_EMU_TOUCH_UNPLUGGED set, unplugs the panel while the file
// it names exists (one stat call; nothing without the variable).
void before_read(int fd);
// Present again, no touch down; open descriptors stay open.
void reset();

} // namespace kivo_emu::touch_panel

#endif
