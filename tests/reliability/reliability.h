// Shared pieces of the reliability tests: tiny generated images as "data://" references, the
// process's resident memory, and a fixture on the manual clock.
#pragma once

#include "support.h"

namespace reliability {

using kivo_test::area;
using kivo_test::config;
using kivo_test::open;

// A w x h BMP of one colour, or a two-frame animated WebP, as a "data://" reference.
std::string still_reference(int w, int h, std::uint32_t argb);
std::string animated_reference(int w, int h, std::uint32_t argb);

// Resident set size in bytes (/proc/self/statm).
long resident_bytes();

class Fixture : public kivo_test::ManualClockDisplay {};

// Pushes a press at (x, y), in the current coordinate space, and returns the record polled for it.
EventRecord press(int x, int y);

// The last drawn frame, one word per pixel.
inline std::vector<std::uint32_t> frame()
{
    return kivo_test::frame().px;
}

} // namespace reliability
