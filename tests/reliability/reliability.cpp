#include "reliability.h"

#include <unistd.h>

#include <fstream>

#include "support.h"

namespace reliability {

std::string still_reference(int w, int h, std::uint32_t argb)
{
    return "data://" + kivo_test::base64(kivo_test::encoded("BMP", w, h, argb));
}

std::string animated_reference(int w, int h, std::uint32_t argb)
{
    return "data://" + kivo_test::base64(kivo_test::animated_webp(w, h,
                           {{w, h, 0, 0, 100, argb}, {w, h, 0, 0, 100, ~argb | 0xff000000u}}));
}

long resident_bytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

EventRecord press(int x, int y)
{
    const EventRecord e{KIVO_EVENT_PRESS, x, y, 0, 0};
    kivo_push_event(&e);
    EventRecord out{};
    EXPECT_EQ(kivo_poll_events(&out, 1), 1u);
    return out;
}

} // namespace reliability
