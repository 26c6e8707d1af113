// The libc entry points the emulator stands in front of. Each one serves the two device paths and
// their descriptors itself and passes everything else on to the next definition.
#undef _FORTIFY_SOURCE
#undef _FILE_OFFSET_BITS
#undef _TIME_BITS

#include "descriptors.h"
#include "exports.h"
#include "console.h"
#include "framebuffer.h"
#include "manual_clock.h"
#include "mappings.h"
#include "next_libc.h"
#include "touch_panel.h"

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

using namespace kivo_emu;

namespace {

// Serves open of a device path: true with the descriptor (or -1 and errno) in fd.
bool open_device(const char* path, int flags, int& fd)
{
    if (!path)
        return false;
    int (*device_open)(int) = nullptr;
    if (!strcmp(path, "/dev/fb0"))
        device_open = framebuffer::open;
    else if (!strcmp(path, "/dev/input/event0"))
        device_open = touch_panel::open;
    else if (!strcmp(path, "/dev/tty"))
        device_open = console::open_own;
    else if (!strcmp(path, "/dev/tty0"))
        device_open = console::open;
    else
        return false;
    int saved = errno;
    fd = device_open(flags);
    if (fd >= 0)
        errno = saved;
    return true;
}

// openat serves a device path only when it is absolute: a relative one names a file below dirfd.
bool open_device_at(const char* path, int flags, int& fd)
{
    return path && path[0] == '/' && open_device(path, flags, fd);
}

bool takes_mode(int flags)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE;
}

int pass_open(Next which, int dirfd, const char* path, int flags, mode_t mode, bool at, bool large)
{
    if (void* next = next_symbol(which)) {
        if (at)
            return reinterpret_cast<int (*)(int, const char*, int, ...)>(next)(
                dirfd, path, flags, mode);
        return reinterpret_cast<int (*)(const char*, int, ...)>(next)(path, flags, mode);
    }
    return sys_openat(at ? dirfd : AT_FDCWD, path, large ? flags | O_LARGEFILE : flags, mode);
}

int pass_open_2(Next which, int dirfd, const char* path, int flags, bool at, bool large)
{
    if (void* next = next_symbol(which)) {
        if (at)
            return reinterpret_cast<int (*)(int, const char*, int)>(next)(dirfd, path, flags);
        return reinterpret_cast<int (*)(const char*, int)>(next)(path, flags);
    }
    return sys_openat(at ? dirfd : AT_FDCWD, path, large ? flags | O_LARGEFILE : flags, 0);
}

// Requests that the kernel answers for every open file, whatever its driver.
bool generic_request(unsigned long request)
{
    return request == FIONBIO || request == FIOASYNC || request == FIOCLEX || request == FIONCLEX;
}

int device_ioctl(Next which, int fd, unsigned long request, void* arg)
{
    if (!generic_request(request)) {
        switch (descriptors::find(fd)) {
        case Device::framebuffer:
            return framebuffer::ioctl(fd, request, arg);
        case Device::touch:
            return touch_panel::ioctl(fd, request, arg);
        case Device::console:
        case Device::pseudo_terminal:
            return console::ioctl(fd, request, arg);
        case Device::none:
            break;
        }
    }
    if (void* next = next_symbol(which))
        return reinterpret_cast<int (*)(int, unsigned long, ...)>(next)(fd, request, arg);
    return static_cast<int>(sys_ioctl(fd, request, arg));
}

void note_mapping(void* addr, size_t length, int flags, int fd)
{
    if (addr == MAP_FAILED)
        return;
    int saved = errno;
    if (flags & MAP_FIXED)
        mappings::forget(addr, length);
    if (fd >= 0 && !(flags & MAP_ANONYMOUS) && descriptors::find(fd) == Device::framebuffer)
        mappings::add(addr, length);
    errno = saved;
}

void* pass_mmap(Next which, void* addr, size_t length, int prot, int flags, int fd, off64_t offset)
{
    void* result;
    if (void* next = next_symbol(which))
        result = reinterpret_cast<void* (*)(void*, size_t, int, int, int, off64_t)>(next)(
            addr, length, prot, flags, fd, offset);
    else
        result = sys_mmap(addr, length, prot, flags, fd, static_cast<off_t>(offset));
    note_mapping(result, length, flags, fd);
    return result;
}

bool manual_time(clockid_t id, long long& sec, long& nsec)
{
    long long ns = 0;
    if (!manual_clock::read(id, ns))
        return false;
    sec = ns / 1000000000LL;
    nsec = static_cast<long>(ns % 1000000000LL);
    return true;
}

} // namespace

// The mode argument of an open call, present only when flags ask for one.
#define KIVO_EMU_MODE_ARG(mode, flags)                                                             \
    mode_t mode = 0;                                                                               \
    if (takes_mode(flags)) {                                                                       \
        va_list ap;                                                                                \
        va_start(ap, flags);                                                                       \
        mode = va_arg(ap, mode_t);                                                                 \
        va_end(ap);                                                                                \
    }

#define KIVO_EMU_OPEN(name, which, large)                                                          \
    KIVO_EMU_INTERPOSE int name(const char* path, int flags, ...)                                  \
    {                                                                                              \
        KIVO_EMU_MODE_ARG(mode, flags);                                                            \
        int fd;                                                                                    \
        if (open_device(path, flags, fd))                                                          \
            return fd;                                                                             \
        return pass_open(which, AT_FDCWD, path, flags, mode, false, large);                        \
    }

#define KIVO_EMU_OPENAT(name, which, large)                                                        \
    KIVO_EMU_INTERPOSE int name(int dirfd, const char* path, int flags, ...)                       \
    {                                                                                              \
        KIVO_EMU_MODE_ARG(mode, flags);                                                            \
        int fd;                                                                                    \
        if (open_device_at(path, flags, fd))                                                       \
            return fd;                                                                             \
        return pass_open(which, dirfd, path, flags, mode, true, large);                            \
    }

KIVO_EMU_OPEN(open, Next::open, false)
KIVO_EMU_OPEN(open64, Next::open64, true)
KIVO_EMU_OPENAT(openat, Next::openat, false)
KIVO_EMU_OPENAT(openat64, Next::openat64, true)

// The fortified variants (_FORTIFY_SOURCE) that take no mode.
KIVO_EMU_INTERPOSE int __open_2(const char* path, int flags)
{
    int fd;
    return open_device(path, flags, fd)
               ? fd
               : pass_open_2(Next::open_2, AT_FDCWD, path, flags, false, false);
}

KIVO_EMU_INTERPOSE int __open64_2(const char* path, int flags)
{
    int fd;
    return open_device(path, flags, fd)
               ? fd
               : pass_open_2(Next::open64_2, AT_FDCWD, path, flags, false, true);
}

KIVO_EMU_INTERPOSE int __openat_2(int dirfd, const char* path, int flags)
{
    int fd;
    if (open_device_at(path, flags, fd))
        return fd;
    return pass_open_2(Next::openat_2, dirfd, path, flags, true, false);
}

KIVO_EMU_INTERPOSE int __openat64_2(int dirfd, const char* path, int flags)
{
    int fd;
    if (open_device_at(path, flags, fd))
        return fd;
    return pass_open_2(Next::openat64_2, dirfd, path, flags, true, true);
}

KIVO_EMU_INTERPOSE int ioctl(int fd, unsigned long request, ...) noexcept
{
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    return device_ioctl(Next::ioctl, fd, request, arg);
}

#ifndef __LP64__
// 32-bit glibc built for a 64-bit time_t sends ioctl here.
KIVO_EMU_INTERPOSE int __ioctl_time64(int fd, unsigned long request, ...) noexcept
{
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    return device_ioctl(Next::ioctl_time64, fd, request, arg);
}
#endif

KIVO_EMU_INTERPOSE int close(int fd)
{
    if (descriptors::find(fd) != Device::none) {
        int saved = errno;
        int peer = descriptors::remove(fd);
        if (peer >= 0)
            sys_close(peer);
        errno = saved;
    }
    if (void* next = next_symbol(Next::close))
        return reinterpret_cast<int (*)(int)>(next)(fd);
    return sys_close(fd);
}

// A descriptor of the touch panel after it was unplugged fails its reads, as evdev's does.
KIVO_EMU_INTERPOSE ssize_t read(int fd, void* buf, size_t count)
{
    touch_panel::before_read(fd);
    if (descriptors::gone(fd)) {
        errno = ENODEV;
        return -1;
    }
    if (void* next = next_symbol(Next::read))
        return reinterpret_cast<ssize_t (*)(int, void*, size_t)>(next)(fd, buf, count);
    return syscall(SYS_read, fd, buf, count);
}

KIVO_EMU_INTERPOSE ssize_t __read_chk(int fd, void* buf, size_t count, size_t size)
{
    touch_panel::before_read(fd);
    if (descriptors::gone(fd)) {
        errno = ENODEV;
        return -1;
    }
    if (void* next = next_symbol(Next::read_chk))
        return reinterpret_cast<ssize_t (*)(int, void*, size_t, size_t)>(next)(
            fd, buf, count, size);
    return syscall(SYS_read, fd, buf, count);
}

KIVO_EMU_INTERPOSE void* mmap(
    void* addr, size_t length, int prot, int flags, int fd, off_t offset) noexcept
{
    if (void* next = next_symbol(Next::mmap)) {
        void* result = reinterpret_cast<void* (*)(void*, size_t, int, int, int, off_t)>(next)(
            addr, length, prot, flags, fd, offset);
        note_mapping(result, length, flags, fd);
        return result;
    }
    return pass_mmap(Next::mmap, addr, length, prot, flags, fd, offset);
}

KIVO_EMU_INTERPOSE void* mmap64(
    void* addr, size_t length, int prot, int flags, int fd, off64_t offset) noexcept
{
    return pass_mmap(Next::mmap64, addr, length, prot, flags, fd, offset);
}

KIVO_EMU_INTERPOSE int munmap(void* addr, size_t length) noexcept
{
    int result;
    if (void* next = next_symbol(Next::munmap))
        result = reinterpret_cast<int (*)(void*, size_t)>(next)(addr, length);
    else
        result = sys_munmap(addr, length);
    if (result == 0)
        mappings::forget(addr, length);
    return result;
}

KIVO_EMU_INTERPOSE int clock_gettime(clockid_t id, struct timespec* ts) noexcept
{
    long long sec = 0;
    long nsec = 0;
    if (manual_time(id, sec, nsec)) {
        ts->tv_sec = static_cast<time_t>(sec);
        ts->tv_nsec = nsec;
        return 0;
    }
    if (void* next = next_symbol(Next::clock_gettime))
        return reinterpret_cast<int (*)(clockid_t, struct timespec*)>(next)(id, ts);
    return static_cast<int>(syscall(SYS_clock_gettime, id, ts));
}

#ifndef __LP64__
// 32-bit glibc built for a 64-bit time_t sends clock_gettime here.
struct Timespec64 {
    int64_t tv_sec;
    int32_t tv_nsec;
    int32_t padding;
};

KIVO_EMU_INTERPOSE int __clock_gettime64(clockid_t id, Timespec64* ts) noexcept
{
    long long sec = 0;
    long nsec = 0;
    if (manual_time(id, sec, nsec)) {
        ts->tv_sec = sec;
        ts->tv_nsec = static_cast<int32_t>(nsec);
        ts->padding = 0;
        return 0;
    }
    if (void* next = next_symbol(Next::clock_gettime64))
        return reinterpret_cast<int (*)(clockid_t, Timespec64*)>(next)(id, ts);
    return static_cast<int>(syscall(SYS_clock_gettime64, id, ts));
}
#endif

void kivo_emu_reset(void)
{
    framebuffer::reset();
    touch_panel::reset();
    console::reset();
    manual_clock::reset();
    descriptors::forget_counts();
    mappings::forget_counts();
}

int kivo_emu_open_descriptors(void)
{
    return descriptors::count();
}

int kivo_emu_live_mappings(void)
{
    return mappings::count();
}
