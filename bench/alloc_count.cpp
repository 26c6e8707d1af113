#include "alloc_count.h"

#include <dlfcn.h>
#include <execinfo.h>

#include <cstddef>
#include <cstring>

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
}

namespace alloc_count {

namespace {

// Only the thread that started counting counts: others (Pango starts one that sets up
// fontconfig) allocate for themselves, and may do so while that thread stops counting.
thread_local Tally* active = nullptr;
thread_local bool inside = false;
const void* exe_base = nullptr;

bool has(const char* path, const char* part)
{
    return path && std::strstr(path, part) != nullptr;
}

// Runtime libraries that allocate on behalf of their caller: look further up the stack.
bool pass_through(const char* path)
{
    return has(path, "/libc.so") || has(path, "/libstdc++") || has(path, "/libgcc_s") ||
           has(path, "/ld-linux") || has(path, "/libm.so");
}

Origin origin_of(const Dl_info& info)
{
    const char* p = info.dli_fname;
    if (info.dli_fbase == exe_base || has(p, "libkivo-gui"))
        return Ours;
    if (has(p, "libcairo") || has(p, "libpixman"))
        return Cairo;
    if (has(p, "libpango") || has(p, "libglib") || has(p, "libgobject") || has(p, "libharfbuzz") ||
        has(p, "libfontconfig") || has(p, "libfreetype") || has(p, "libfribidi") ||
        has(p, "libthai") || has(p, "libgraphite"))
        return Pango;
    if (has(p, "libSDL2") || has(p, "libwebp") || has(p, "libpng") || has(p, "libjpeg") ||
        has(p, "libtiff"))
        return Sdl;
    return Other;
}

[[gnu::noinline]] void record()
{
    if (!active || inside)
        return;
    inside = true;
    void* frames[24];
    const int n = backtrace(frames, 24);
    // frames[0] is record(), frames[1] the allocation function below.
    for (int i = 2; i < n; ++i) {
        Dl_info info{};
        if (!dladdr(frames[i], &info) || pass_through(info.dli_fname))
            continue;
        const Origin o = origin_of(info);
        ++active->count[o];
        if (o == Ours)
            ++active->sites[reinterpret_cast<std::uintptr_t>(frames[i]) -
                            reinterpret_cast<std::uintptr_t>(info.dli_fbase) - 1];
        inside = false;
        return;
    }
    ++active->count[Other];
    inside = false;
}

} // namespace

void start(Tally* tally)
{
    if (!exe_base) {
        Dl_info info{};
        dladdr(reinterpret_cast<void*>(&start), &info);
        exe_base = info.dli_fbase;
        void* prime[2];
        backtrace(prime, 2); // loads libgcc_s before counting begins
    }
    active = tally;
}

void stop()
{
    active = nullptr;
}

} // namespace alloc_count

// The process's allocation functions, forwarding to glibc's; free stays glibc's own.
extern "C" {

[[gnu::noinline]] void* malloc(std::size_t size)
{
    alloc_count::record();
    return __libc_malloc(size);
}

[[gnu::noinline]] void* calloc(std::size_t count, std::size_t size)
{
    alloc_count::record();
    return __libc_calloc(count, size);
}

[[gnu::noinline]] void* realloc(void* p, std::size_t size)
{
    alloc_count::record();
    return __libc_realloc(p, size);
}

[[gnu::noinline]] void* memalign(std::size_t alignment, std::size_t size)
{
    alloc_count::record();
    return __libc_memalign(alignment, size);
}

[[gnu::noinline]] void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    alloc_count::record();
    return __libc_memalign(alignment, size);
}

[[gnu::noinline]] int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    alloc_count::record();
    void* p = __libc_memalign(alignment, size);
    if (!p)
        return 12; // ENOMEM
    *out = p;
    return 0;
}
}
