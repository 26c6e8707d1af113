// The emulated /dev/fb0: its driver state (the mode) and the requests its descriptors answer.
#ifndef KIVO_EMU_FRAMEBUFFER_H
#define KIVO_EMU_FRAMEBUFFER_H

namespace kivo_emu::framebuffer {

// A new descriptor for open("/dev/fb0", flags), or -1 with errno.
int open(int flags);
// A request on one of its descriptors: the ioctl result, errno set on -1.
int ioctl(int fd, unsigned long request, void* arg);
// Back to 800x480 with the packed stride, no fault, no forced mode, no vertical blanks counted.
void reset();

} // namespace kivo_emu::framebuffer

#endif
