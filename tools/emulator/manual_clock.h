// The monotonic clocks as the program reads them: real, or a counter the test moves by hand.
#ifndef KIVO_EMU_MANUAL_CLOCK_H
#define KIVO_EMU_MANUAL_CLOCK_H

#include <time.h>

namespace kivo_emu::manual_clock {

// The manual time in nanoseconds when the clock is manual and id is one of the monotonic clocks
// it stands in for; false otherwise (the real clock answers).
bool read(clockid_t id, long long& ns);
// Whether the monotonic clocks are the manual counter now.
bool active();
void reset();

} // namespace kivo_emu::manual_clock

#endif
