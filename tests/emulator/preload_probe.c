/* A host program that uses /dev/fb0 and /dev/input/event0 as a real board has them; run under
 * LD_PRELOAD of the emulator. Prints what it saw, one line a step.
 *   preload_probe fb W H     read the mode, ask for WxH, fill the mapping with a byte pattern
 *                            (byte i = 7i + 3), wait for the vertical blank
 *   preload_probe touch N    read N samples through tslib (at most 10 seconds)
 *   preload_probe clock      how far CLOCK_MONOTONIC moves over 20 ms of sleep, in whole ms */
#include <errno.h>
#include <fcntl.h>
#include <linux/fb.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <time.h>
#include <tslib.h>
#include <unistd.h>

static const char* error_name(int e)
{
    switch (e) {
    case ENOENT:
        return "ENOENT";
    case EINVAL:
        return "EINVAL";
    case ENOTTY:
        return "ENOTTY";
    default:
        return strerror(e);
    }
}

static void print_mode(int fd)
{
    struct fb_var_screeninfo var;
    struct fb_fix_screeninfo fix;
    memset(&var, 0, sizeof var);
    memset(&fix, 0, sizeof fix);
    if (ioctl(fd, FBIOGET_VSCREENINFO, &var) != 0 || ioctl(fd, FBIOGET_FSCREENINFO, &fix) != 0)
        printf("get -1 %s\n", error_name(errno));
    else
        printf("mode %u %u %u\n", var.xres, var.yres, fix.line_length);
}

static int framebuffer(unsigned w, unsigned h)
{
    int fd = open("/dev/fb0", O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        printf("open -1 %s\n", error_name(errno));
        return 0;
    }
    print_mode(fd);
    struct fb_var_screeninfo var;
    memset(&var, 0, sizeof var);
    ioctl(fd, FBIOGET_VSCREENINFO, &var);
    var.xres = var.xres_virtual = w;
    var.yres = var.yres_virtual = h;
    var.bits_per_pixel = 32;
    if (ioctl(fd, FBIOPUT_VSCREENINFO, &var) != 0) {
        printf("put -1 %s\n", error_name(errno));
    } else {
        printf("put 0\n");
        print_mode(fd);
    }
    struct fb_fix_screeninfo fix;
    ioctl(fd, FBIOGET_FSCREENINFO, &fix);
    ioctl(fd, FBIOGET_VSCREENINFO, &var);
    size_t size = (size_t)fix.line_length * var.yres;
    unsigned char* mem = mmap(NULL, size, PROT_WRITE, MAP_SHARED, fd, 0);
    if (mem == MAP_FAILED) {
        printf("mmap -1 %s\n", error_name(errno));
        return 1;
    }
    for (size_t i = 0; i < size; ++i)
        mem[i] = (unsigned char)(7 * i + 3);
    unsigned int screen = 0;
    if (ioctl(fd, FBIO_WAITFORVSYNC, &screen) != 0)
        printf("vsync -1 %s\n", error_name(errno));
    else
        printf("vsync 0\n");
    return munmap(mem, size) != 0 || close(fd) != 0;
}

static int touch(int n)
{
    struct tsdev* ts = ts_setup("/dev/input/event0", 1);
    if (!ts) {
        printf("ts_setup %s\n", error_name(errno));
        return 1;
    }
    struct pollfd p = {ts_fd(ts), POLLIN, 0};
    int waits = 0;
    while (n > 0 && waits < 100) {
        struct ts_sample s;
        memset(&s, 0, sizeof s);
        if (ts_read(ts, &s, 1) == 1) {
            printf("sample %d %d %u\n", s.x, s.y, s.pressure);
            --n;
        } else {
            poll(&p, 1, 100);
            ++waits;
        }
    }
    return ts_close(ts) != 0 || n != 0;
}

static int clock_moves(void)
{
    struct timespec a, b;
    clock_gettime(CLOCK_MONOTONIC, &a);
    usleep(20000);
    clock_gettime(CLOCK_MONOTONIC, &b);
    long long ms = ((b.tv_sec - a.tv_sec) * 1000000000LL + (b.tv_nsec - a.tv_nsec)) / 1000000;
    printf("clock %s\n", ms == 0 ? "still" : ms >= 20 ? "runs" : "slow");
    return 0;
}

int main(int argc, char** argv)
{
    setvbuf(stdout, NULL, _IOLBF, 0);
    if (argc == 4 && !strcmp(argv[1], "fb"))
        return framebuffer((unsigned)atoi(argv[2]), (unsigned)atoi(argv[3]));
    if (argc == 3 && !strcmp(argv[1], "touch"))
        return touch(atoi(argv[2]));
    if (argc == 2 && !strcmp(argv[1], "clock"))
        return clock_moves();
    fprintf(stderr, "usage: preload_probe fb W H | touch N | clock\n");
    return 2;
}
