/*
 * kivo-emu: a stand-in for the display and touch hardware, at the libc boundary.
 *
 * libkivo-emu.so emulates the Linux framebuffer /dev/fb0, a single-touch evdev panel
 * /dev/input/event0 and the terminal (/dev/tty and /dev/tty0, one console that keeps the mode
 * KDSETMODE sets and answers KDGETMODE) for every code in the process, without any change to that
 * code: it interposes open (and the variants glibc and fortified code use), ioctl, close, mmap and
 * munmap, clock_gettime for the monotonic clocks, and read (for an unplugged panel only). Calls
 * about anything else pass through. Link it into a test executable (before libc), or load it with
 * LD_PRELOAD under any program.
 *
 * The framebuffer is real memory (a memfd, or the shared file named by KIVO_EMU_FB_FILE) that
 * mmap maps natively. The touch panel is a pipe carrying struct input_event records.
 *
 * Environment (read by the emulator only, at first use):
 *   KIVO_EMU_FB_MODE=WxH            initial visible mode (default 800x480)
 *   KIVO_EMU_FB_STRIDE=N            line_length in bytes (default 4 x width)
 *   KIVO_EMU_FB_FORMAT=name         the panel's pixel layout (default xrgb8888): xrgb8888,
 *                                   xbgr8888, bgrx8888 (32 bits), rgb888, bgr888 (24 bits, named
 *                                   from the high byte down), rgb565, bgr565, rgb555 (16 bits),
 *                                   and three no panel should have: c8 (a palette), gray8
 *                                   (grayscale), rgb444 (4-bit fields)
 *   KIVO_EMU_FB_FAULT=name          missing | refuse-put | no-vsync | refuse-depth
 *   KIVO_EMU_FB_REFRESH=HZ          the panel's refresh rate, 0 to 1000 (default 60): see below
 *   KIVO_EMU_FB_FILE=/path          back the framebuffer by this file; its mode is written to
 *                                   /path.mode as "W H LINE_LENGTH BITS R G B\n" on every
 *                                   change, each colour field as OFFSET:LENGTH
 *   KIVO_EMU_TOUCH_FIFO=/path       read touch input_event records from this FIFO (written by
 *                                   another program, e.g. kivo-emu-touch FIFO X Y PRESSURE...)
 *                                   instead of the in-process pipe
 *   KIVO_EMU_TOUCH_UNPLUGGED=/path  while this file exists, the panel is unplugged (as by
 *                                   kivo_emu_touch_unplug, seen at the next read of the panel or
 *                                   open of its node); removing it plugs the panel back: another
 *                                   program can so unplug and replug the panel of an emulated one
 *   KIVO_EMU_CLOCK=manual           start with the manual clock
 *   KIVO_EMU_CONSOLE_LOG=/path      append "graphics" or "text" to this file, one line for each
 *                                   KDSETMODE on the console (another process, such as a death
 *                                   test's parent, can so see the modes set until the exit)
 *
 * The emulator keeps time like a panel: FBIO_WAITFORVSYNC sleeps until the next refresh, the
 * next whole multiple of 1/HZ seconds on the real monotonic clock, so a host that presents
 * frames in a loop without sleeping runs at the panel's pace (60 frames a second by default), as
 * on the board. KIVO_EMU_FB_REFRESH=0 makes the wait return at once (the tests, benchmarks and
 * fuzz targets set it, or call kivo_emu_fb_set_refresh(0), to run as fast as the machine
 * allows). Under the manual clock (KIVO_EMU_CLOCK=manual, kivo_emu_clock_set_manual) time moves
 * only when the test moves it: the wait then returns at once and advances nothing, whatever the
 * rate.
 *
 * The driver's stride rule: a line_length wider than the packed row (KIVO_EMU_FB_STRIDE or
 * kivo_emu_fb_set_mode) is kept as that many bytes of padding per row for the modes that
 * FBIOPUT_VSCREENINFO sets later. The panel keeps its own depth and order, as most fbdev drivers
 * do: FBIOPUT_VSCREENINFO sets the requested size in the panel's format whatever depth and
 * colour fields it asks for, or, with the refuse-depth fault (as the kernel's DRM fbdev emulation
 * does), fails with EINVAL when asked for a depth other than the panel's. It answers
 * FB_ACTIVATE_TEST without changing the mode. The framebuffer holds little-endian pixel values.
 * Every open of the touch panel gets its own copy of the samples queued while it is open, as evdev
 * clients do (with KIVO_EMU_TOUCH_FIFO the opens share the one FIFO). Devices opened through stdio
 * (fopen) or by a path other than the two above are not emulated.
 */
#ifndef KIVO_EMU_H
#define KIVO_EMU_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum kivo_emu_fb_fault {
    KIVO_EMU_FB_OK = 0,
    KIVO_EMU_FB_MISSING,      /* open of /dev/fb0 fails with ENOENT */
    KIVO_EMU_FB_REFUSE_PUT,   /* FBIOPUT_VSCREENINFO fails with EINVAL */
    KIVO_EMU_FB_NO_VSYNC,     /* FBIO_WAITFORVSYNC fails with ENOTTY */
    KIVO_EMU_FB_REFUSE_DEPTH, /* FBIOPUT_VSCREENINFO fails with EINVAL for another depth */
};

/* Back to the defaults (800x480, packed stride, no fault, touch present, real clock, the
 * panel format of KIVO_EMU_FB_FORMAT or xrgb8888, the refresh rate of KIVO_EMU_FB_REFRESH or
 * 60 Hz) and
 * zeroed counters. Descriptors and mappings already handed out stay valid.
 * They keep working but are left out of the counts below. */
void kivo_emu_reset(void);

/* The driver's current mode; line_length 0 means the packed row. Resizes the backing memory. */
void kivo_emu_fb_set_mode(int xres, int yres, uint32_t line_length);
/* From now on FBIOPUT_VSCREENINFO accepts any request but sets this mode instead (a driver that
 * accepts another size than requested); xres 0 turns that off. */
void kivo_emu_fb_force_mode(int xres, int yres, uint32_t line_length);
void kivo_emu_fb_set_fault(enum kivo_emu_fb_fault fault);
/* The panel's pixel layout, named as KIVO_EMU_FB_FORMAT; the mode keeps its size, the padding
 * goes. -1 for an unknown name. */
int kivo_emu_fb_set_format(const char* name);
/* The panel's refresh rate for FBIO_WAITFORVSYNC, 0 to 1000 Hz; 0 returns at once. */
void kivo_emu_fb_set_refresh(unsigned hz);

/* The current mode and the framebuffer's bytes as the display would show them. */
void kivo_emu_fb_mode(int* xres, int* yres, uint32_t* line_length);
const uint8_t* kivo_emu_fb_pixels(void);
size_t kivo_emu_fb_size(void); /* line_length x yres */
/* Writes the visible xres x yres frame as a PNG, each pixel widened from the panel's format as the
 * panel shows it (a 5-bit field's top bits repeated below); 0 on success. */
int kivo_emu_fb_save_png(const char* path);
/* FBIO_WAITFORVSYNC requests seen since the last reset. */
unsigned kivo_emu_fb_vsync_count(void);

/* 0 makes open of /dev/input/event0 fail with ENOENT. */
void kivo_emu_touch_set_present(int present);
/* Unplugs the panel as the kernel's evdev sees a USB controller go: every descriptor open on it
 * from then on fails its reads with ENODEV and reads as hung up in poll (POLLHUP), and opening
 * /dev/input/event0 fails with ENOENT. kivo_emu_touch_plug makes the node openable again; the
 * descriptors of before stay dead, as a replugged device is a new one. */
void kivo_emu_touch_unplug(void);
void kivo_emu_touch_plug(void);
/* Queues one sample for the panel: ABS_X, ABS_Y, ABS_PRESSURE, BTN_TOUCH (1 when pressure is
 * non-zero) and SYN_REPORT. Dropped when the panel is not open. */
void kivo_emu_touch_inject(int x, int y, unsigned pressure);
/* Queues one raw input_event record (type, code, value), e.g. EV_KEY BTN_TOUCH 0 followed by
 * EV_SYN SYN_REPORT 0 for a lift-off as a real panel reports it, which tslib's input module turns
 * into a sample at (0, 0) with pressure 0. kivo_emu_touch_inject sends no BTN_TOUCH for a sample
 * without pressure, so that tslib delivers its position unchanged. Dropped when the panel is not
 * open. */
void kivo_emu_touch_event(uint16_t type, uint16_t code, int32_t value);

/* Manual clock: when on, CLOCK_MONOTONIC, CLOCK_MONOTONIC_RAW (and their _COARSE variants)
 * read a counter that only kivo_emu_clock_advance moves; it starts at the real time of the
 * switch. */
void kivo_emu_clock_set_manual(int on);
void kivo_emu_clock_advance_ns(int64_t ns);

/* The console's mode: KD_TEXT (0, at the start and after a reset) or KD_GRAPHICS (1). */
int kivo_emu_console_mode(void);
/* 0 makes open of /dev/tty and /dev/tty0 fail with EACCES (no permission, a container). */
void kivo_emu_console_set_present(int present);
/* What /dev/tty, the process's own terminal, is: 1 the console (at the start and after a reset),
 * 0 none (open fails with ENXIO, as under a service manager), 2 a pseudo-terminal (KDSETMODE fails
 * with ENOTTY, as over a remote shell); /dev/tty0 stays the console. */
void kivo_emu_console_set_own_terminal(int kind);
/* As KIVO_EMU_CONSOLE_LOG; null or "" stops the log. A reset stops it too. */
void kivo_emu_console_set_log(const char* path);

/* Descriptors of the devices open now (the console's included), and mappings of the framebuffer
 * alive now (the emulator's own are not counted). */
int kivo_emu_open_descriptors(void);
int kivo_emu_live_mappings(void);

#ifdef __cplusplus
}
#endif

#endif /* KIVO_EMU_H */
