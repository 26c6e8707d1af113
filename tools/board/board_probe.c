/*
 * kivo-board-probe: small host-side checks run on the board itself, against kivo.h.
 *
 *   kivo-board-probe console      prints the mode of the console (/dev/tty0): "text" or
 *                                 "graphics" (the library holds it in graphics mode while a
 *                                 window is open, so that the kernel's text stays off the frame)
 *   kivo-board-probe fb           prints what the framebuffer driver itself answers (no library)
 *   kivo-board-probe fb32         asks the driver for 32 bits at its current size, as the library
 *                                 does, and prints its answer and the depth it then reports
 *   kivo-board-probe mode         prints the display mode the library reads: "mode WxH valid=B"
 *   kivo-board-probe window W H   opens a window of that size, shows one frame and closes it
 *   kivo-board-probe touch N      opens an 800x480 window and prints the first N touch records
 *                                 ("press|motion|release X Y"); SIGTERM ends it earlier
 *   kivo-board-probe backgrounds REF...
 *                                 opens an 800x480 window and shows each image reference as the
 *                                 background, one line each: "background <n>: frame in <ms> ms"
 *                                 (from kivo_set_screen to the end of the kivo_present that draws
 *                                 it); then the process's own memory figures ("VmHWM: ...")
 */
#include <kivo/kivo.h>

#include <errno.h>
#include <fcntl.h>
#include <linux/fb.h>
#include <linux/kd.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

static int usage(void)
{
    fprintf(stderr, "usage: kivo-board-probe console | fb | fb32 | mode | window W H | touch N | "
                    "backgrounds REF...\n");
    return 2;
}

static int console(void)
{
    int mode = 0;
    int fd = open("/dev/tty0", O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ioctl(fd, KDGETMODE, &mode) != 0) {
        perror("kivo-board-probe: /dev/tty0");
        return 1;
    }
    close(fd);
    puts(mode == KD_TEXT ? "text" : mode == KD_GRAPHICS ? "graphics" : "other");
    return 0;
}

static int fb(void)
{
    struct fb_var_screeninfo v;
    struct fb_fix_screeninfo f;
    memset(&v, 0, sizeof v);
    memset(&f, 0, sizeof f);
    int fd = open("/dev/fb0", O_RDWR | O_CLOEXEC);
    if (fd < 0 || ioctl(fd, FBIOGET_VSCREENINFO, &v) != 0 ||
        ioctl(fd, FBIOGET_FSCREENINFO, &f) != 0) {
        perror("kivo-board-probe: /dev/fb0");
        return 1;
    }
    uint32_t display = 0;
    int vsync = ioctl(fd, FBIO_WAITFORVSYNC, &display);
    printf("fb %ux%u virtual %ux%u bpp %u red %u/%u green %u/%u blue %u/%u transp %u/%u "
           "line_length %u smem_len %u vsync %d\n",
        v.xres, v.yres, v.xres_virtual, v.yres_virtual, v.bits_per_pixel, v.red.offset,
        v.red.length, v.green.offset, v.green.length, v.blue.offset, v.blue.length, v.transp.offset,
        v.transp.length, f.line_length, f.smem_len, vsync);
    close(fd);
    return 0;
}

static int fb32(void)
{
    struct fb_var_screeninfo v;
    memset(&v, 0, sizeof v);
    int fd = open("/dev/fb0", O_RDWR | O_CLOEXEC);
    if (fd < 0 || ioctl(fd, FBIOGET_VSCREENINFO, &v) != 0) {
        perror("kivo-board-probe: /dev/fb0");
        return 1;
    }
    unsigned before = v.bits_per_pixel;
    v.bits_per_pixel = 32;
    const char* answer = ioctl(fd, FBIOPUT_VSCREENINFO, &v) == 0 ? "accepted" : strerror(errno);
    ioctl(fd, FBIOGET_VSCREENINFO, &v);
    printf("fb 32 bits asked at bpp %u: %s, bpp now %u\n", before, answer, v.bits_per_pixel);
    close(fd);
    return 0;
}

static int mode(void)
{
    int32_t width = 0, height = 0;
    bool valid = false;
    kivo_get_display_mode(&width, &height, &valid);
    printf("mode %dx%d valid=%d\n", (int)width, (int)height, valid ? 1 : 0);
    return 0;
}

static int window(int width, int height)
{
    ConfigRecord config;
    memset(&config, 0, sizeof config);
    config.font0 = config.font1 = config.font2 = config.font3 = "DejaVu Sans 24";
    kivo_init_sdl();
    kivo_create_window(width, height, &config);
    kivo_present(0);
    kivo_destroy_window();
    kivo_quit_sdl();
    printf("window %dx%d shown\n", width, height);
    return 0;
}

static int touch(int count)
{
    static const char* const kinds[] = {"quit", "motion", "release", "press", "user"};
    ConfigRecord config;
    memset(&config, 0, sizeof config);
    config.font0 = config.font1 = config.font2 = config.font3 = "DejaVu Sans 24";
    kivo_init_sdl();
    kivo_create_window(800, 480, &config);
    printf("touch ready\n");
    fflush(stdout);
    int seen = 0, quit = 0;
    while (seen < count && !quit) {
        kivo_present(0);
        EventRecord events[16];
        uint32_t n = kivo_poll_events(events, 16);
        for (uint32_t i = 0; i < n; ++i) {
            if (events[i].kind == KIVO_EVENT_QUIT)
                quit = 1;
            if (events[i].kind > KIVO_EVENT_PRESS)
                continue;
            printf("%s %d %d\n", kinds[events[i].kind], (int)events[i].x, (int)events[i].y);
            fflush(stdout);
            ++seen;
        }
        usleep(10000);
    }
    kivo_destroy_window();
    kivo_quit_sdl();
    return 0;
}

static long long now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

/* The peak and present resident sizes, as the kernel counts them for this process. */
static void print_memory(const char* when)
{
    FILE* status = fopen("/proc/self/status", "r");
    char line[256];
    while (status && fgets(line, sizeof line, status))
        if (!strncmp(line, "VmHWM:", 6) || !strncmp(line, "VmRSS:", 6))
            printf("%s %s", when, line);
    if (status)
        fclose(status);
    fflush(stdout);
}

static int backgrounds(int count, char** refs)
{
    ConfigRecord config;
    memset(&config, 0, sizeof config);
    config.font0 = config.font1 = config.font2 = config.font3 = "DejaVu Sans 24";
    kivo_init_sdl();
    kivo_create_window(800, 480, &config);
    kivo_present(0);
    print_memory("before:");
    for (int i = 0; i < count; ++i) {
        long long start = now_ms();
        kivo_set_screen(0, refs[i], NULL, NULL, 0, 0, 0, 0);
        kivo_present(0);
        printf("background %d: frame in %lld ms\n", i + 1, now_ms() - start);
        fflush(stdout);
    }
    print_memory("after:");
    kivo_destroy_window();
    kivo_quit_sdl();
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 2 && !strcmp(argv[1], "console"))
        return console();
    if (argc == 2 && !strcmp(argv[1], "fb"))
        return fb();
    if (argc == 2 && !strcmp(argv[1], "fb32"))
        return fb32();
    if (argc == 2 && !strcmp(argv[1], "mode"))
        return mode();
    if (argc == 4 && !strcmp(argv[1], "window"))
        return window(atoi(argv[2]), atoi(argv[3]));
    if (argc == 3 && !strcmp(argv[1], "touch"))
        return touch(atoi(argv[2]));
    if (argc >= 3 && !strcmp(argv[1], "backgrounds"))
        return backgrounds(argc - 2, argv + 2);
    return usage();
}
