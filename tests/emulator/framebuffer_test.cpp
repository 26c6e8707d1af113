#include "kivo_emu.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fb.h>
#include <linux/input.h>
#include <string>
#include <vector>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "support.h"

extern "C" {
int __open_2(const char* path, int flags);
int __open64_2(const char* path, int flags);
int __openat_2(int dirfd, const char* path, int flags);
int __openat64_2(int dirfd, const char* path, int flags);
}

namespace {

class Framebuffer : public ::testing::Test {
  protected:
    void SetUp() override { kivo_emu_reset(); }
    void TearDown() override { kivo_emu_reset(); }
};

fb_var_screeninfo get_var(int fd)
{
    fb_var_screeninfo var{};
    EXPECT_EQ(ioctl(fd, FBIOGET_VSCREENINFO, &var), 0);
    return var;
}

fb_fix_screeninfo get_fix(int fd)
{
    fb_fix_screeninfo fix{};
    EXPECT_EQ(ioctl(fd, FBIOGET_FSCREENINFO, &fix), 0);
    return fix;
}

int put_mode(int fd, unsigned xres, unsigned yres, fb_var_screeninfo* var)
{
    *var = get_var(fd);
    var->xres = var->xres_virtual = xres;
    var->yres = var->yres_virtual = yres;
    var->bits_per_pixel = 32;
    return ioctl(fd, FBIOPUT_VSCREENINFO, var);
}

struct OpenEntry {
    const char* name;
    int (*open)(const char* path, int flags);
};

// Every way glibc and fortified code open a file.
const OpenEntry open_entries[] = {
    {"open", [](const char* p, int f) { return open(p, f); }},
    {"open64", [](const char* p, int f) { return open64(p, f); }},
    {"openat", [](const char* p, int f) { return openat(AT_FDCWD, p, f); }},
    {"openat64", [](const char* p, int f) { return openat64(AT_FDCWD, p, f); }},
    {"__open_2", [](const char* p, int f) { return __open_2(p, f); }},
    {"__open64_2", [](const char* p, int f) { return __open64_2(p, f); }},
    {"__openat_2", [](const char* p, int f) { return __openat_2(AT_FDCWD, p, f); }},
    {"__openat64_2", [](const char* p, int f) { return __openat64_2(AT_FDCWD, p, f); }},
};

TEST_F(Framebuffer, EveryOpenEntryPointReachesTheDevicesAndOnlyThem)
{
    for (const OpenEntry& entry : open_entries) {
        SCOPED_TRACE(entry.name);
        int fb = entry.open("/dev/fb0", O_RDWR | O_CLOEXEC);
        ASSERT_GE(fb, 0);
        EXPECT_EQ(get_var(fb).xres, 800u);
        int touch = entry.open("/dev/input/event0", O_RDONLY | O_NONBLOCK);
        ASSERT_GE(touch, 0);
        int version = 0;
        EXPECT_EQ(ioctl(touch, EVIOCGVERSION, &version), 0);
        EXPECT_EQ(kivo_emu_open_descriptors(), 2);
        EXPECT_EQ(close(fb), 0);
        EXPECT_EQ(close(touch), 0);

        int plain = entry.open("/dev/null", O_RDONLY);
        ASSERT_GE(plain, 0);
        EXPECT_EQ(kivo_emu_open_descriptors(), 0);
        fb_var_screeninfo var{};
        EXPECT_EQ(ioctl(plain, FBIOGET_VSCREENINFO, &var), -1);
        EXPECT_EQ(close(plain), 0);
        errno = 0;
        EXPECT_EQ(entry.open("/dev/fb0-no-such-device", O_RDONLY), -1);
        EXPECT_EQ(errno, ENOENT);
    }
}

TEST_F(Framebuffer, SavesTheVisibleFrameAsPng)
{
    kivo_emu_fb_set_mode(5, 3, 24); // rows padded by 4 bytes
    int fd = open("/dev/fb0", O_RDWR | O_CLOEXEC);
    auto* bytes =
        static_cast<uint8_t*>(mmap(nullptr, kivo_emu_fb_size(), PROT_WRITE, MAP_SHARED, fd, 0));
    ASSERT_NE(bytes, MAP_FAILED);
    std::memset(bytes, 0xee, kivo_emu_fb_size());
    const auto colour = [](uint32_t x, uint32_t y) {
        return (x * 50) << 16 | (y * 100) << 8 | (x + y * 5);
    };
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) {
            const uint32_t argb = 0x7f000000u | colour(x, y);
            std::memcpy(bytes + y * 24 + x * 4, &argb, 4);
        }
    const std::string path =
        ::testing::TempDir() + "kivo_emu_fb." + std::to_string(getpid()) + ".png";
    ASSERT_EQ(kivo_emu_fb_save_png(path.c_str()), 0);
    munmap(bytes, kivo_emu_fb_size());
    close(fd);
    const kivo_test::Image png = kivo_test::load(path);
    unlink(path.c_str());
    ASSERT_EQ(std::pair(png.w, png.h), std::pair(5, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(png.rgb(x, y), colour(x, y)) << x << "," << y;
}

struct Mode {
    int xres, yres;
    uint32_t line_length;
};

// A plain client: sets the mode, maps the whole size, writes every byte, and the display shows
// them; the mode is driver state, so a later open finds it.
TEST_F(Framebuffer, ModeFollowsTheDriversRules)
{
    const struct {
        const char* name;
        Mode driver;   // kivo_emu_fb_set_mode
        Mode forced;   // kivo_emu_fb_force_mode; xres 0 for none
        Mode request;  // FBIOPUT_VSCREENINFO
        Mode expected; // what the driver reports afterwards
        size_t tail;   // size mod 16
    } cases[] = {
        {"packed rows", {800, 480, 0}, {}, {320, 200, 0}, {320, 200, 1280}, 0},
        {"padded rows, odd height", {800, 481, 3204}, {}, {800, 481, 0}, {800, 481, 3204}, 4},
        {"padding kept for another width", {800, 480, 3204}, {}, {640, 479, 0}, {640, 479, 2564},
            12},
        {"forced size", {800, 480, 0}, {1024, 600, 0}, {800, 480, 0}, {1024, 600, 4096}, 0},
        {"forced size and stride", {800, 480, 0}, {801, 601, 3208}, {640, 480, 0}, {801, 601, 3208},
            8},
    };
    int fd = open("/dev/fb0", O_RDWR);
    fb_var_screeninfo var = get_var(fd);
    EXPECT_EQ(std::vector<unsigned>({var.xres, var.yres, var.bits_per_pixel}),
        std::vector<unsigned>({800, 480, 32}));
    var.xres = var.xres_virtual = 640;
    var.activate = FB_ACTIVATE_TEST; // only tried
    ASSERT_EQ(ioctl(fd, FBIOPUT_VSCREENINFO, &var), 0);
    EXPECT_EQ(var.xres, 640u);
    EXPECT_EQ(get_var(fd).xres, 800u);
    close(fd);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        kivo_emu_reset();
        kivo_emu_fb_set_mode(c.driver.xres, c.driver.yres, c.driver.line_length);
        if (c.forced.xres)
            kivo_emu_fb_force_mode(c.forced.xres, c.forced.yres, c.forced.line_length);
        fd = open("/dev/fb0", O_RDWR | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(put_mode(fd, c.request.xres, c.request.yres, &var), 0);
        // The driver writes the mode it set back into the request.
        EXPECT_EQ(var.xres, unsigned(c.expected.xres));
        EXPECT_EQ(var.yres, unsigned(c.expected.yres));
        var = get_var(fd);
        fb_fix_screeninfo fix = get_fix(fd);
        EXPECT_EQ(var.xres, unsigned(c.expected.xres));
        EXPECT_EQ(var.yres, unsigned(c.expected.yres));
        EXPECT_EQ(fix.line_length, c.expected.line_length);
        size_t size = size_t{fix.line_length} * var.yres;
        EXPECT_EQ(fix.smem_len, size);
        EXPECT_EQ(kivo_emu_fb_size(), size);
        EXPECT_EQ(size % 16, c.tail);
        Mode seen{};
        kivo_emu_fb_mode(&seen.xres, &seen.yres, &seen.line_length);
        EXPECT_EQ(std::vector<int>({seen.xres, seen.yres, int(seen.line_length)}),
            std::vector<int>({c.expected.xres, c.expected.yres, int(c.expected.line_length)}));

        void* mem = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        ASSERT_NE(mem, MAP_FAILED);
        for (size_t i = 0; i < size; ++i)
            static_cast<uint8_t*>(mem)[i] = uint8_t(i * 7 + i / 251);
        EXPECT_EQ(std::memcmp(kivo_emu_fb_pixels(), mem, size), 0);
        EXPECT_EQ(munmap(mem, size), 0);
        EXPECT_EQ(close(fd), 0);
        fd = open("/dev/fb0", O_RDWR);
        EXPECT_EQ(get_var(fd).xres, unsigned(c.expected.xres));
        EXPECT_EQ(close(fd), 0);
    }
}

enum class Step { open_fb, open_touch, put, put_16_bpp, vsync };

struct FaultCase {
    const char* name;
    void (*configure)();
    Step step;
    int expected_errno; // 0: succeeds
};

const FaultCase fault_cases[] = {
    {"no fault: mode set", [] {}, Step::put, 0},
    {"no fault: vertical blank", [] {}, Step::vsync, 0},
    {"missing framebuffer", [] { kivo_emu_fb_set_fault(KIVO_EMU_FB_MISSING); }, Step::open_fb,
        ENOENT},
    {"missing touch panel", [] { kivo_emu_touch_set_present(0); }, Step::open_touch, ENOENT},
    {"refused mode", [] { kivo_emu_fb_set_fault(KIVO_EMU_FB_REFUSE_PUT); }, Step::put, EINVAL},
    {"unsupported depth", [] {}, Step::put_16_bpp, EINVAL},
    {"no vertical blank", [] { kivo_emu_fb_set_fault(KIVO_EMU_FB_NO_VSYNC); }, Step::vsync, ENOTTY},
};

int run_step(Step step)
{
    int fd = open(step == Step::open_touch ? "/dev/input/event0" : "/dev/fb0",
        O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || step == Step::open_fb || step == Step::open_touch) {
        if (fd >= 0)
            close(fd);
        return fd < 0 ? -1 : 0;
    }
    int result = 0;
    fb_var_screeninfo var{};
    if (step == Step::put) {
        result = put_mode(fd, 640, 480, &var);
    } else if (step == Step::put_16_bpp) {
        var = get_var(fd);
        var.bits_per_pixel = 16;
        result = ioctl(fd, FBIOPUT_VSCREENINFO, &var);
    } else {
        uint32_t screen = 0;
        result = ioctl(fd, FBIO_WAITFORVSYNC, &screen);
    }
    int saved = errno;
    close(fd);
    errno = saved;
    return result;
}

TEST_F(Framebuffer, FaultsFailLikeARealDriver)
{
    for (const FaultCase& c : fault_cases) {
        SCOPED_TRACE(c.name);
        kivo_emu_reset();
        c.configure();
        errno = 0;
        int result = run_step(c.step);
        if (c.expected_errno == 0) {
            EXPECT_EQ(result, 0) << strerror(errno);
        } else {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(errno, c.expected_errno) << strerror(errno);
        }
        // A refused mode leaves the previous one in place.
        int xres = 0;
        kivo_emu_fb_mode(&xres, nullptr, nullptr);
        EXPECT_EQ(xres, c.step == Step::put && c.expected_errno == 0 ? 640 : 800);
        EXPECT_EQ(kivo_emu_open_descriptors(), 0);
    }
}

TEST_F(Framebuffer, DescriptorsAndMappingsAreCountedWhileAlive)
{
    const int fds0 = kivo_emu_open_descriptors();
    const int maps0 = kivo_emu_live_mappings();
    const size_t size = kivo_emu_fb_size();
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));

    int a = open("/dev/fb0", O_RDWR | O_CLOEXEC);
    int b = openat(AT_FDCWD, "/dev/fb0", O_RDWR);
    int t = open("/dev/input/event0", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    ASSERT_GE(t, 0);
    EXPECT_TRUE(fcntl(a, F_GETFD) & FD_CLOEXEC);
    EXPECT_FALSE(fcntl(b, F_GETFD) & FD_CLOEXEC);
    EXPECT_EQ(kivo_emu_open_descriptors(), fds0 + 3);

    void* m1 = mmap(nullptr, size, PROT_WRITE, MAP_SHARED, a, 0);
    void* m2 = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, b, 0);
    void* other = mmap(nullptr, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(m1, MAP_FAILED);
    ASSERT_NE(m2, MAP_FAILED);
    ASSERT_NE(other, MAP_FAILED);
    EXPECT_EQ(kivo_emu_live_mappings(), maps0 + 2);
    kivo_emu_fb_pixels(); // the emulator's own view is not the program's
    EXPECT_EQ(kivo_emu_live_mappings(), maps0 + 2);

    // A mapping outlives its descriptor; a partly unmapped one is still alive.
    EXPECT_EQ(close(a), 0);
    EXPECT_EQ(kivo_emu_open_descriptors(), fds0 + 2);
    EXPECT_EQ(munmap(m1, page), 0);
    EXPECT_EQ(kivo_emu_live_mappings(), maps0 + 2);
    EXPECT_EQ(munmap(static_cast<uint8_t*>(m1) + page, size - page), 0);
    EXPECT_EQ(kivo_emu_live_mappings(), maps0 + 1);
    EXPECT_EQ(munmap(other, page), 0);
    EXPECT_EQ(kivo_emu_live_mappings(), maps0 + 1);
    EXPECT_EQ(munmap(m2, size), 0);
    EXPECT_EQ(kivo_emu_live_mappings(), maps0);

    // A descriptor number replaced behind the emulator's back is no longer a device.
    int null_fd = open("/dev/null", O_RDONLY);
    ASSERT_GE(null_fd, 0);
    ASSERT_EQ(dup2(null_fd, b), b);
    EXPECT_EQ(kivo_emu_open_descriptors(), fds0 + 1);
    uint32_t screen = 0;
    EXPECT_EQ(ioctl(b, FBIO_WAITFORVSYNC, &screen), -1);
    EXPECT_EQ(close(b), 0);
    EXPECT_EQ(close(null_fd), 0);
    EXPECT_EQ(close(t), 0);
    EXPECT_EQ(kivo_emu_open_descriptors(), fds0);
}

TEST_F(Framebuffer, ResetLeavesEarlierHandlesWorkingButUncounted)
{
    int fd = open("/dev/fb0", O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    void* mem = mmap(nullptr, kivo_emu_fb_size(), PROT_WRITE, MAP_SHARED, fd, 0);
    ASSERT_NE(mem, MAP_FAILED);
    kivo_emu_reset();
    EXPECT_EQ(kivo_emu_open_descriptors(), 0);
    EXPECT_EQ(kivo_emu_live_mappings(), 0);
    EXPECT_EQ(get_var(fd).xres, 800u);
    int again = open("/dev/fb0", O_RDWR | O_CLOEXEC);
    EXPECT_EQ(kivo_emu_open_descriptors(), 1);
    EXPECT_EQ(munmap(mem, kivo_emu_fb_size()), 0);
    EXPECT_EQ(close(fd), 0);
    EXPECT_EQ(kivo_emu_open_descriptors(), 1);
    EXPECT_EQ(kivo_emu_live_mappings(), 0);
    EXPECT_EQ(close(again), 0);
    EXPECT_EQ(kivo_emu_open_descriptors(), 0);
}

} // namespace
