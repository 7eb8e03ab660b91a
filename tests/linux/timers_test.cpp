// The timers as the program runs them: an event loop of the test's own
// watches the platform's descriptor and hands each wake-up back, as the
// front end's loop does.
#include <gtest/gtest.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/linux/linux_platform.h"
#include "platform/time_count.h"
#include "platform/timer_table.h"

namespace {

int64_t steadyMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int wakeUps;

// Runs the loop until `done` or `boundMs` have passed; false on the bound.
template <typename Done>
bool loopUntil(Done done, int64_t boundMs) {
    const int64_t end = steadyMs() + boundMs;
    for (int64_t now; !done() && (now = steadyMs()) < end;) {
        pollfd watched{linuxTimerFd(), POLLIN, 0};
        if (poll(&watched, 1, static_cast<int>(end - now)) > 0) {
            ++wakeUps;
            linuxTimersWake();
        }
    }
    return done();
}

int64_t localMsNow() {
    LocalTime now;
    platformGetLocalTime(&now);
    return toMsCount(now);
}

// Away from a quarter hour of universal time, where a quiet timer wakes to
// look at the clock (a wake-up that is not a tick).
void leaveQuarterHour() {
    for (int waited = 0; waited < 30; ++waited) {
        timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        if (wakeDelay(INT64_MAX, static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000) > 2000) return;
        usleep(50000);
    }
}

TEST(Timers, TheLoopHasADescriptorToWatch) { EXPECT_GE(linuxTimerFd(), 0); }

// Armed to sleep through two and a half steps, a timer wakes the program
// at its third step and ticks at every step after: never earlier, and not
// a step later. Load only makes a wake-up late, so of a few tries one must
// hit the step.
TEST(Timers, AnArmedTimerWakesAtTheFirstStepAfterItsQuietSpan) {
    constexpr int64_t kPeriodMs = 200;
    static int64_t start;
    static std::vector<int64_t> steps;
    leaveQuarterHour();
    for (int attempt = 0; attempt < 3; ++attempt) {
        steps.clear();
        start = steadyMs();  // before the timer's own start: never ahead of it
        uintptr_t id = platformStartTimer(kPeriodMs, [] { steps.push_back((steadyMs() - start) / kPeriodMs); });
        ASSERT_NE(id, 0u);
        const int64_t now = localMsNow();
        platformArmTimer(id, now - 1, now + 2 * kPeriodMs + kPeriodMs / 2);
        const bool ticked = loopUntil([] { return steps.size() >= 2; }, 3000);
        platformStopTimer(id);
        ASSERT_TRUE(ticked);
        EXPECT_GE(steps[0], 3) << "never inside the quiet span";
        if (steps == std::vector<int64_t>{3, 4}) return;
    }
    EXPECT_EQ(steps, (std::vector<int64_t>{3, 4}));
}

// Two timers due within the tolerance of each other wake the program
// once, and a timer stopped by its own tick ticks no more.
TEST(Timers, TimersDueTogetherShareOneWakeUp) {
    static int ticksA, ticksB;
    ticksA = ticksB = 0;
    uintptr_t a = platformStartTimer(50, [] { ++ticksA; });
    loopUntil([] { return false; }, 7);
    uintptr_t b = platformStartTimer(50, [] { ++ticksB; });
    wakeUps = 0;
    const int64_t from = steadyMs();
    loopUntil([] { return ticksB >= 10; }, 5000);
    const int64_t steps = (steadyMs() - from) / 50;
    platformStopTimer(a);
    platformStopTimer(b);
    EXPECT_GE(ticksB, 10);
    EXPECT_LE(ticksA, steps + 1);
    EXPECT_LE(wakeUps, steps + 1) << "both timers wake the program together";

    static uintptr_t self;
    static int selfTicks;
    selfTicks = 0;
    self = platformStartTimer(10, [] {
        ++selfTicks;
        platformStopTimer(self);
    });
    loopUntil([] { return false; }, 100);
    EXPECT_EQ(selfTicks, 1);
}

// A tick that runs a nested event loop (a message box) past its next step
// is not entered again, while the other timers go on; stopping itself
// from inside is safe.
TEST(Timers, ATickRunningANestedLoopIsNotEnteredAgain) {
    static uintptr_t nested;
    static int entries, inside, otherTicks;
    entries = inside = otherTicks = 0;
    uintptr_t other = platformStartTimer(20, [] { ++otherTicks; });
    nested = platformStartTimer(20, [] {
        ++entries;
        if (++inside == 1) loopUntil([] { return otherTicks >= 5; }, 2000);
        --inside;
        platformStopTimer(nested);
    });
    loopUntil([] { return entries > 0 && inside == 0; }, 2000);
    platformStopTimer(other);
    EXPECT_EQ(entries, 1);
    EXPECT_GE(otherTicks, 5);
}

TEST(Timers, AreRefusedWithoutACallbackOrBeyondTheTable) {
    EXPECT_EQ(platformStartTimer(100, nullptr), 0u);
    std::vector<uintptr_t> ids;
    for (int i = 0; i < TimerTable::kSlots + 2; ++i)
        if (uintptr_t id = platformStartTimer(100, [] {})) ids.push_back(id);
    EXPECT_EQ(ids.size(), static_cast<size_t>(TimerTable::kSlots));
    // Ids are not handed out again soon: a late tick of a stopped timer
    // cannot reach its successor.
    for (uintptr_t id : ids) platformStopTimer(id);
    uintptr_t again = platformStartTimer(100, [] {});
    EXPECT_EQ(std::count(ids.begin(), ids.end(), again), 0);
    platformStopTimer(again);
    platformStopTimer(12345);  // not ours: nothing happens
}

}  // namespace
