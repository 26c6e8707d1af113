#include "fb_memory.h"

#include "next_libc.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <err.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/mman.h>
#include <unistd.h>

namespace kivo_emu::fb_memory {

namespace {

int master = -1;
size_t bytes;
char mode_path[PATH_MAX];
char mode_temp[PATH_MAX + 8];
void* view_addr;
size_t view_bytes;

void publish(int xres, int yres, uint32_t line_length, const char* layout)
{
    if (!mode_path[0])
        return;
    int fd = sys_openat(AT_FDCWD, mode_temp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        warn("kivo-emu: %s", mode_temp);
        return;
    }
    char line[128];
    int n = snprintf(line, sizeof line, "%d %d %u %s\n", xres, yres, line_length, layout);
    bool written = write(fd, line, static_cast<size_t>(n)) == n;
    sys_close(fd);
    if (!written || rename(mode_temp, mode_path) != 0)
        warn("kivo-emu: %s", mode_path);
}

} // namespace

void create(const char* file)
{
    if (master >= 0)
        return;
    if (file && *file) {
        master = sys_openat(AT_FDCWD, file, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (master < 0)
            err(1, "kivo-emu: %s", file);
        // The display starts dark, whatever the file held before.
        if (ftruncate(master, 0) != 0)
            err(1, "kivo-emu: %s", file);
        snprintf(mode_path, sizeof mode_path, "%s.mode", file);
        snprintf(mode_temp, sizeof mode_temp, "%s.mode.new", file);
    } else {
        master = memfd_create("kivo-emu-fb0", MFD_CLOEXEC);
        if (master < 0)
            err(1, "kivo-emu: memfd_create");
    }
}

void resize(int xres, int yres, uint32_t line_length, const char* layout)
{
    bytes = static_cast<size_t>(line_length) * static_cast<size_t>(yres);
    if (ftruncate(master, static_cast<off_t>(bytes)) != 0)
        err(1, "kivo-emu: framebuffer of %zu bytes", bytes);
    publish(xres, yres, line_length, layout);
}

size_t size()
{
    return bytes;
}

int open_descriptor(int flags)
{
    char path[32];
    snprintf(path, sizeof path, "/proc/self/fd/%d", master);
    int fd = sys_openat(AT_FDCWD, path, flags & (O_ACCMODE | O_CLOEXEC | O_NONBLOCK), 0);
    if (fd < 0 && errno == ENOENT) // no /proc: share the master's open file instead
        fd = fcntl(master, (flags & O_CLOEXEC) ? F_DUPFD_CLOEXEC : F_DUPFD, 0);
    return fd;
}

const uint8_t* view()
{
    if (view_addr && view_bytes == bytes)
        return static_cast<const uint8_t*>(view_addr);
    if (view_addr)
        sys_munmap(view_addr, view_bytes);
    view_addr = sys_mmap(nullptr, bytes, PROT_READ, MAP_SHARED, master, 0);
    if (view_addr == MAP_FAILED)
        err(1, "kivo-emu: mmap of the framebuffer view");
    view_bytes = bytes;
    return static_cast<const uint8_t*>(view_addr);
}

} // namespace kivo_emu::fb_memory
