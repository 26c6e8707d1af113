#include "render/warnings.h"

#include <algorithm>

namespace kivo {

namespace {

// FNV-1a, 64 bits on every target: a 32-bit size_t hash would let two causes collide.
std::uint64_t hash(std::string_view kind, std::string_view cause)
{
    std::uint64_t h = 0xcbf29ce484222325u;
    for (std::string_view part : {kind, std::string_view("\0", 1), cause})
        for (const char c : part)
            h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    return h;
}

} // namespace

bool Warnings::first(std::string_view kind, std::string_view cause)
{
    const std::uint64_t h = hash(kind, cause);
    if (std::ranges::count(met_, h) || met_.size() == bound)
        return false;
    met_.push_back(h);
    return !std::ranges::count(said_, h);
}

void Warnings::end_frame()
{
    said_.swap(met_);
    met_.clear();
}

} // namespace kivo
