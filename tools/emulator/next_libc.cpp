#include "next_libc.h"

#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace kivo_emu {

namespace {

constexpr const char* names[] = {
    "open",
    "open64",
    "openat",
    "openat64",
    "__open_2",
    "__open64_2",
    "__openat_2",
    "__openat64_2",
    "ioctl",
    "__ioctl_time64",
    "close",
    "mmap",
    "mmap64",
    "munmap",
    "clock_gettime",
    "__clock_gettime64",
    "read",
    "__read_chk",
};
static_assert(sizeof names / sizeof names[0] == static_cast<size_t>(Next::count));

void* resolved[static_cast<size_t>(Next::count)];
bool looked_up[static_cast<size_t>(Next::count)];
bool resolving;

} // namespace

void* next_symbol(Next which)
{
    auto i = static_cast<size_t>(which);
    if (looked_up[i])
        return resolved[i];
    if (resolving)
        return nullptr;
    resolving = true;
    resolved[i] = dlsym(RTLD_NEXT, names[i]);
    looked_up[i] = true;
    resolving = false;
    return resolved[i];
}

int sys_openat(int dirfd, const char* path, int flags, mode_t mode)
{
    return static_cast<int>(syscall(SYS_openat, dirfd, path, flags, mode));
}

int sys_close(int fd)
{
    return static_cast<int>(syscall(SYS_close, fd));
}

long sys_ioctl(int fd, unsigned long request, void* arg)
{
    return syscall(SYS_ioctl, fd, request, arg);
}

void* sys_mmap(void* addr, size_t length, int prot, int flags, int fd, off_t offset)
{
#ifdef SYS_mmap2
    if (offset & 4095) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    return reinterpret_cast<void*>(
        syscall(SYS_mmap2, addr, length, prot, flags, fd, offset / 4096));
#else
    return reinterpret_cast<void*>(syscall(SYS_mmap, addr, length, prot, flags, fd, offset));
#endif
}

int sys_munmap(void* addr, size_t length)
{
    return static_cast<int>(syscall(SYS_munmap, addr, length));
}

long long sys_monotonic_ns()
{
#if defined(SYS_clock_gettime64) && !defined(__LP64__)
    struct {
        long long sec;
        long long nsec;
    } ts{};
    syscall(SYS_clock_gettime64, CLOCK_MONOTONIC, &ts);
    return ts.sec * 1000000000LL + ts.nsec;
#else
    timespec ts{};
    syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
#endif
}

} // namespace kivo_emu
