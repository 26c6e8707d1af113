// The definitions the interposed entry points stand in front of, and raw system calls for the
// emulator's own use (which must never come back through its interposed entry points).
#ifndef KIVO_EMU_NEXT_LIBC_H
#define KIVO_EMU_NEXT_LIBC_H

#include <sys/types.h>

namespace kivo_emu {

enum class Next {
    open,
    open64,
    openat,
    openat64,
    open_2,
    open64_2,
    openat_2,
    openat64_2,
    ioctl,
    ioctl_time64,
    close,
    mmap,
    mmap64,
    munmap,
    clock_gettime,
    clock_gettime64,
    read,
    read_chk,
    count
};

// The next definition of the symbol after this library in the lookup order (libc's, or that of a
// sanitizer runtime placed in front of libc), resolved once. Null while that lookup is itself
// under way (a nested call during dlsym) or when there is none; callers then use a raw system call.
void* next_symbol(Next which);

int sys_openat(int dirfd, const char* path, int flags, mode_t mode);
int sys_close(int fd);
long sys_ioctl(int fd, unsigned long request, void* arg);
void* sys_mmap(void* addr, size_t length, int prot, int flags, int fd, off_t offset);
int sys_munmap(void* addr, size_t length);
// CLOCK_MONOTONIC in nanoseconds, read from the kernel directly.
long long sys_monotonic_ns();

} // namespace kivo_emu

#endif
