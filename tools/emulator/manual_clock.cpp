#include "manual_clock.h"

#include "exports.h"
#include "next_libc.h"

#include <cstdlib>
#include <cstring>

namespace kivo_emu::manual_clock {

namespace {

bool ready;
bool manual;
long long now_ns;

void ensure_ready()
{
    if (ready)
        return;
    ready = true;
    const char* mode = getenv("KIVO_EMU_CLOCK");
    if (mode && !strcmp(mode, "manual")) {
        manual = true;
        now_ns = sys_monotonic_ns();
    }
}

} // namespace

bool read(clockid_t id, long long& ns)
{
    ensure_ready();
    if (!manual)
        return false;
    switch (id) {
    case CLOCK_MONOTONIC:
    case CLOCK_MONOTONIC_RAW:
    case CLOCK_MONOTONIC_COARSE:
        ns = now_ns;
        return true;
    default:
        return false;
    }
}

bool active()
{
    ensure_ready();
    return manual;
}

void reset()
{
    ready = true;
    manual = false;
}

} // namespace kivo_emu::manual_clock

using namespace kivo_emu;

void kivo_emu_clock_set_manual(int on)
{
    manual_clock::ensure_ready();
    if (on && !manual_clock::manual)
        manual_clock::now_ns = sys_monotonic_ns();
    manual_clock::manual = on != 0;
}

void kivo_emu_clock_advance_ns(int64_t ns)
{
    manual_clock::ensure_ready();
    if (manual_clock::manual)
        manual_clock::now_ns += ns;
}
