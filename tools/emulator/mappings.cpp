#include "mappings.h"

#include <cstdint>
#include <unistd.h>

namespace kivo_emu::mappings {

namespace {

struct Range {
    uintptr_t begin;
    uintptr_t end; // exclusive; begin == end marks a free slot
    bool counted;
};
constexpr int capacity = 64;
Range ranges[capacity];

uintptr_t page_end(uintptr_t begin, size_t length)
{
    auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    return begin + (length + page - 1) / page * page;
}

Range* free_slot()
{
    for (auto& r : ranges) {
        if (r.begin == r.end)
            return &r;
    }
    return nullptr;
}

} // namespace

void add(void* addr, size_t length)
{
    auto begin = reinterpret_cast<uintptr_t>(addr);
    if (Range* r = free_slot())
        *r = Range{begin, page_end(begin, length), true};
}

void forget(void* addr, size_t length)
{
    auto begin = reinterpret_cast<uintptr_t>(addr);
    auto end = page_end(begin, length);
    for (auto& r : ranges) {
        if (r.begin == r.end || end <= r.begin || r.end <= begin)
            continue;
        Range tail{end, r.end, r.counted};
        r.end = begin > r.begin ? begin : r.begin;
        if (tail.begin < tail.end) {
            if (r.begin == r.end)
                r = tail;
            else if (Range* spare = free_slot())
                *spare = tail;
        }
    }
}

int count()
{
    int n = 0;
    for (auto& r : ranges)
        n += r.begin != r.end && r.counted;
    return n;
}

void forget_counts()
{
    for (auto& r : ranges)
        r.counted = false;
}

} // namespace kivo_emu::mappings
