// A counting allocator for the benchmark binary: while counting, every malloc, calloc, realloc
// and aligned allocation of the process is attributed to the library whose code asked for it
// (the first caller outside libc, libstdc++ and libgcc), and ours are kept by call site.
#pragma once

#include <array>
#include <cstdint>
#include <map>

namespace alloc_count {

enum Origin { Ours, Cairo, Pango, Sdl, Other, origin_count };
inline constexpr const char* origin_names[origin_count] = {
    "ours", "cairo", "pango", "sdl", "other"};

struct Tally {
    std::array<std::uint64_t, origin_count> count{};
    // Our call sites: return address minus the executable's load base, for addr2line.
    std::map<std::uintptr_t, std::uint64_t> sites;
};

// Counts into *tally from now until stop(). Not reentrant; one thread.
void start(Tally* tally);
void stop();

} // namespace alloc_count
