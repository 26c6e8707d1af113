#include "kivo_emu.h"

#include <SDL.h>
#include <chrono>
#include <cstdint>
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr clockid_t monotonic_clocks[] = {
    CLOCK_MONOTONIC, CLOCK_MONOTONIC_RAW, CLOCK_MONOTONIC_COARSE};

int64_t read_ns(clockid_t id)
{
    timespec ts{};
    EXPECT_EQ(clock_gettime(id, &ts), 0);
    return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

int64_t kernel_monotonic_ns()
{
    timespec ts{};
    syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

int64_t steady_ns()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class ManualClock : public ::testing::Test {
  protected:
    void SetUp() override
    {
        kivo_emu_reset();
        ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
    }
    void TearDown() override
    {
        SDL_Quit();
        kivo_emu_reset();
    }
};

TEST_F(ManualClock, EveryMonotonicReaderAdvancesByExactlyTheStep)
{
    kivo_emu_clock_set_manual(1);
    const int64_t steps[] = {1, 999999, 1000000, 16666667, 40000000, 10000000000};
    for (int64_t step : steps) {
        SCOPED_TRACE(step);
        int64_t before[3];
        for (int i = 0; i < 3; ++i)
            before[i] = read_ns(monotonic_clocks[i]);
        int64_t steady_before = steady_ns();
        Uint64 ticks_before = SDL_GetTicks64();

        kivo_emu_clock_advance_ns(step);

        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(read_ns(monotonic_clocks[i]) - before[i], step)
                << "clock " << monotonic_clocks[i];
        EXPECT_EQ(steady_ns() - steady_before, step);
        // Whole milliseconds move the millisecond count exactly; a fraction may carry one over.
        auto ticks = static_cast<int64_t>(SDL_GetTicks64() - ticks_before);
        int64_t whole = step / 1000000;
        if (step % 1000000 == 0)
            EXPECT_EQ(ticks, whole);
        else
            EXPECT_TRUE(ticks == whole || ticks == whole + 1) << ticks;
    }
}

TEST_F(ManualClock, StandsStillUntilAdvancedAndLeavesTheWallClockAlone)
{
    kivo_emu_clock_set_manual(1);
    int64_t start = read_ns(CLOCK_MONOTONIC);
    EXPECT_LT(start - kernel_monotonic_ns(), 1000000000) << "starts at the real time";
    Uint32 ticks = SDL_GetTicks();
    int64_t wall = read_ns(CLOCK_REALTIME);
    usleep(20000);
    EXPECT_EQ(read_ns(CLOCK_MONOTONIC), start);
    EXPECT_EQ(SDL_GetTicks(), ticks);

    kivo_emu_clock_advance_ns(3600 * int64_t{1000000000});
    EXPECT_LT(read_ns(CLOCK_REALTIME) - wall, int64_t{60} * 1000000000);

    // Back on the real clock, time runs again.
    kivo_emu_clock_set_manual(0);
    int64_t real = read_ns(CLOCK_MONOTONIC);
    usleep(20000);
    EXPECT_GE(read_ns(CLOCK_MONOTONIC) - real, 20000000);
}

} // namespace
