/* The largest single heap request of the process since the last reset. In a native build, malloc,
 * calloc and realloc are defined here, in front of every library's, and pass on to glibc's own
 * allocator after noting the size. AddressSanitizer owns those symbols: there its own limit does
 * the check instead (a request above 64 MiB ends the program with a report), and the largest
 * request noted here stays 0. */
#include <stddef.h>
#include <stdint.h>

size_t kivo_test_largest_allocation(void);
void kivo_test_reset_largest_allocation(void);

#if defined(__SANITIZE_ADDRESS__)

const char* __asan_default_options(void);
const char* __asan_default_options(void)
{
    return "max_allocation_size_mb=64:allocator_may_return_null=0";
}

size_t kivo_test_largest_allocation(void)
{
    return 0;
}
void kivo_test_reset_largest_allocation(void)
{
}

#else

void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* memory, size_t size);

static size_t largest;

static void note(size_t size)
{
    if (size > largest)
        largest = size;
}

void* malloc(size_t size)
{
    note(size);
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size)
{
    size_t total;
    note(__builtin_mul_overflow(count, size, &total) ? SIZE_MAX : total);
    return __libc_calloc(count, size);
}

void* realloc(void* memory, size_t size)
{
    note(size);
    return __libc_realloc(memory, size);
}

size_t kivo_test_largest_allocation(void)
{
    return largest;
}
void kivo_test_reset_largest_allocation(void)
{
    largest = 0;
}

#endif
