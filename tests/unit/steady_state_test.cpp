// The monitor runs for months: its ticks, formatting and log ring must not
// allocate. Counts every allocation of the process while the simulated
// platform records nothing.
#include <cstdlib>
#include <new>

#include "platform/sim/sim_battery_health.h"
#include "program_test.h"

static long allocations;
static bool trapAllocations;

void* operator new(size_t size) {
    ++allocations;
    if (trapAllocations) abort();
    if (void* p = malloc(size ? size : 1)) return p;
    abort();
}
void operator delete(void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }

namespace {

class SteadyState : public ProgramTest {};

TEST_F(SteadyState, AnHourOfTicksAllocatesNothing) {
    liveSettings.Cscreen.Sshowtasktray = 1;
    sim::setPower(0, 0, 90);
    startProgram();
    sim::runFor(5000);  // the first kind change reads the event script
    sim::setRecording(false);
    long before = allocations;
    trapAllocations = getenv("TRAP_ALLOC") != nullptr;
    for (int percent = 89; percent > 60; --percent) {
        sim::setPower(0, 0, static_cast<uint8_t>(percent));
        sim::runFor(120000);
    }
    EXPECT_EQ(allocations - before, 0);
    EXPECT_EQ(liveSettings.Cbattery.percent, 61);  // the hour really ran
    // 29 points: 6 s to the first change, then 28 of 120 s.
    EXPECT_EQ(liveSettings.Cbattery.dischargeRate, (6000 + 28 * 120000) / 29);
}

// The hourly health readings, and the power read every few seconds while
// it is watched, allocate nothing either (the day's line is written).
TEST_F(SteadyState, HealthReadingsAllocateNothing) {
    HealthReading reading{};
    reading.count = 2;
    for (int i = 0; i < 2; ++i) {
        reading.batteries[i] = unknownBatteryHealth();
        snprintf(reading.batteries[i].name, sizeof reading.batteries[i].name, "BAT%d", i);
        reading.batteries[i].designMwh = 50000;
        reading.batteries[i].fullMwh = 45000;
    }
    sim::setBatteryHealth(reading);
    sim::setHealthReadTime(300);
    sim::setPower(0, 0, 90);
    startProgram();
    sim::runFor(5000);
    ASSERT_TRUE(sim::fileExists("C:\\TOOLS\\CELWRDHL.LOG"));
    sim::setRecording(false);
    watchHealthPower(true);
    long before = allocations;
    trapAllocations = getenv("TRAP_ALLOC") != nullptr;
    sim::runFor(3 * 3600 * 1000);
    trapAllocations = false;
    watchHealthPower(false);
    EXPECT_EQ(allocations - before, 0);
    EXPECT_EQ(sim::healthReads().started - sim::healthReads().powerOnly, 4);  // the start and three hours
    EXPECT_GT(sim::healthReads().powerOnly, 2000);
}

}  // namespace
