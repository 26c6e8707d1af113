// The input_event records of one touch sample, as the emulated panel reports it.
#ifndef KIVO_EMU_TOUCH_RECORDS_H
#define KIVO_EMU_TOUCH_RECORDS_H

#include <linux/input.h>
#include <sys/time.h>

namespace kivo_emu {

constexpr int max_sample_records = 5;

inline input_event touch_record(
    const timeval& tv, unsigned short type, unsigned short code, int value)
{
    input_event ev{};
    ev.input_event_sec = tv.tv_sec;
    ev.input_event_usec = tv.tv_usec;
    ev.type = type;
    ev.code = code;
    ev.value = value;
    return ev;
}

// ABS_X, ABS_Y, ABS_PRESSURE, then BTN_TOUCH 1 when the pressure is non-zero, then SYN_REPORT.
// A sample without pressure carries no BTN_TOUCH 0: tslib's input module reports every report
// holding one at (0, 0) instead of its position. Returns the number of records written.
inline int sample_records(input_event* out, int x, int y, unsigned pressure)
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    int n = 0;
    out[n++] = touch_record(tv, EV_ABS, ABS_X, x);
    out[n++] = touch_record(tv, EV_ABS, ABS_Y, y);
    out[n++] = touch_record(tv, EV_ABS, ABS_PRESSURE, static_cast<int>(pressure));
    if (pressure)
        out[n++] = touch_record(tv, EV_KEY, BTN_TOUCH, 1);
    out[n++] = touch_record(tv, EV_SYN, SYN_REPORT, 0);
    return n;
}

} // namespace kivo_emu

#endif
